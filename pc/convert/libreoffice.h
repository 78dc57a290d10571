#pragma once

// File: pc/convert/libreoffice.h
// The office suite behind the converters: LibreOffice run headless
// (`soffice --headless --convert-to`) with a private user profile, so that a
// LibreOffice the user has open is never asked to do the work, and poppler's
// pdfinfo and pdftoppm for page counts and page images. Every program runs
// with a deadline. Blocking; use from a worker thread.

#include "platform/result.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace pc::convert {

struct LibreOfficeConfig {
    std::string soffice = "soffice";
    std::string pdftoppm = "pdftoppm";
    std::string pdfinfo = "pdfinfo";
    // The private profile (-env:UserInstallation); empty: a fresh one in a
    // temporary folder for each run, which starts more slowly.
    std::filesystem::path profileFolder;
    std::chrono::milliseconds timeout { 120000 };
};

enum class PageImageFormat {
    Jpeg,
    Ppm, // Binary PPM, for encoders of other formats.
};

class LibreOffice {
public:
    explicit LibreOffice(LibreOfficeConfig config);

    const LibreOfficeConfig& config() const { return m_config; }
    // Whether soffice can be found (a path, or a name on PATH).
    bool isAvailable() const;

    // Converts the document with the target `format` ("pdf",
    // "htm:HTML (StarWriter)") into outputFolder and returns the written
    // file, named after the source with `extension`. NotFound when soffice
    // is missing; Protocol when it wrote nothing (it does not fail by exit
    // code).
    platform::IoResult<std::filesystem::path> convert(const std::filesystem::path& source,
        std::string_view format, std::string_view extension, const std::filesystem::path& outputFolder) const;

    // The number of pages of a PDF file.
    platform::IoResult<int> pageCount(const std::filesystem::path& pdf) const;

    // Renders pages first..last (from 1) at `dpi` into files
    // prefix + "-" + page number (zero-padded by pdftoppm) + extension.
    platform::IoResult<void> renderPages(const std::filesystem::path& pdf, int first, int last, int dpi,
        PageImageFormat format, const std::filesystem::path& prefix) const;
    // Renders one page (from 1) into exactly `file`.
    platform::IoResult<void> renderPage(const std::filesystem::path& pdf, int page, int dpi,
        PageImageFormat format, const std::filesystem::path& file) const;

private:
    LibreOfficeConfig m_config;
};

// Whether a program name (searched on PATH) or path names an executable.
bool programExists(std::string_view program);

// Kills (SIGKILL) this user's programs that were started with `argument`
// among their arguments; returns how many.
int killProgramsWithArgument(std::string_view argument);

// The page number of a file pdftoppm wrote for `prefix` ("page-07.jpg" → 7),
// or 0 when the name is not one of them.
int renderedPageNumber(std::string_view fileName, std::string_view prefix, std::string_view extension);

} // namespace pc::convert
