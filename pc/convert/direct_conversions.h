#pragma once

// File: pc/convert/direct_conversions.h
// Formats that no office program's automation covers, converted directly:
// PDF documents become page images like a presentation's slides (poppler
// alone, no office needed), and images the handheld cannot show (WebP, SVG)
// become JPEG through LibreOffice, no wider than the page width. Results
// replace older ones in one step. Blocking; use from a worker thread.

#include "pc/convert/libreoffice.h"

#include <filesystem>

namespace pc::convert {

// The folder `folder` with "슬라이드1.jpg" and one image per further page.
// False when the PDF is damaged, protected, empty or cannot be drawn.
bool convertPdfPages(const LibreOffice& office, const std::filesystem::path& source,
    const std::filesystem::path& folder);

// The JPEG file `target`. False when the source is no image LibreOffice
// reads.
bool convertImageToJpeg(const LibreOffice& office, const std::filesystem::path& source,
    const std::filesystem::path& target);

// The format that asks the office for a JPEG at most `width` pixels wide.
std::string jpegFormat(int width);

} // namespace pc::convert
