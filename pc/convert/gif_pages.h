#pragma once

// File: pc/convert/gif_pages.h
// Renders pages of a PDF file as GIF images: pdftoppm draws the page as a
// PPM into a private temporary folder, and the GIF encoder writes the file.

#include "pc/convert/libreoffice.h"

#include <filesystem>

namespace pc::convert {

// Page from 1.
platform::IoResult<void> renderPageAsGif(const LibreOffice& office, const std::filesystem::path& pdf,
    int page, int dpi, const std::filesystem::path& file);

} // namespace pc::convert
