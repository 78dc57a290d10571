#pragma once

// File: pc/convert/page_images.h
// Pages of a PDF file as JPEG images of one width, named as a presentation's
// slides are when it is saved as JPEG ("슬라이드1.jpg", "슬라이드2.jpg" ...):
// the form in which presentations and PDF documents reach the handheld.

#include "pc/convert/libreoffice.h"

#include <filesystem>
#include <string>

namespace pc::convert {

// The file name PowerPoint gives slide `number` (from 1) of a JPEG save.
std::string slideImageName(int number);

// Writes every page of `pdf` into `folder` (which holds nothing else
// afterwards) as slideImageName(page), `width` pixels wide. Returns the
// page count; Protocol when the PDF is damaged, protected or has no pages.
platform::IoResult<int> writeSlideImages(
    const LibreOffice& office, const std::filesystem::path& pdf, const std::filesystem::path& folder, int width);

} // namespace pc::convert
