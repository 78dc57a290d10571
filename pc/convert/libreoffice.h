#pragma once

// File: pc/convert/libreoffice.h
// The office suite behind the converters: LibreOffice with a private user
// profile, so that a LibreOffice the user has open is never asked to do the
// work, and poppler's pdfinfo and pdftoppm for page counts and page images.
// Documents go to the warm office (warm_office.h) when a bridge is
// configured, and to a cold `soffice --headless --convert-to` when there is
// none or it cannot start. Every conversion runs with a deadline scaled by
// the document's size. Blocking; use from a worker thread.

#include "platform/result.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pc::convert {

class WarmOffice;

struct LibreOfficeConfig {
    std::string soffice = "soffice";
    std::string pdftoppm = "pdftoppm";
    std::string pdfinfo = "pdfinfo";
    // The private profile (-env:UserInstallation); empty: a fresh one in a
    // temporary folder for each run, which starts more slowly. The warm
    // office keeps its own beside it ("-warm" added).
    std::filesystem::path profileFolder;
    // Deadline of pdfinfo and pdftoppm runs, and the least a cold
    // conversion gets.
    std::chrono::milliseconds timeout { 120000 };
    // The office bridge's command line; empty: cold conversions only.
    std::vector<std::string> bridge;
    std::chrono::milliseconds warmStartTimeout { 90000 };
    // A conversion may take deadlineBase + deadlinePerMegabyte for each
    // started megabyte of the document before it is ended.
    std::chrono::milliseconds deadlineBase { 30000 };
    std::chrono::milliseconds deadlinePerMegabyte { 1000 };
    // Larger documents are refused without trying.
    std::uintmax_t maxDocumentBytes = 100u * 1024 * 1024;
    // The width of page and slide images (pixels).
    int pageWidth = 480;
};

// One sheet of a workbook written as CSV.
struct SheetFile {
    std::string name;
    std::filesystem::path file; // May be missing for an empty sheet.
};

// The CSV format a workbook is written in: UTF-8, comma-separated, '"'
// around texts that need it, cells as shown, every sheet into a file of its
// own named <stem>-<sheet name>.csv.
constexpr std::string_view kSheetCsvFormat
    = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1";

enum class PageImageFormat {
    Jpeg,
    Ppm, // Binary PPM, for encoders of other formats.
};

class LibreOffice {
public:
    explicit LibreOffice(LibreOfficeConfig config);
    ~LibreOffice();

    const LibreOfficeConfig& config() const { return m_config; }
    // Whether soffice can be found (a path, or a name on PATH).
    bool isAvailable() const;

    // Starts the warm office now instead of at the first conversion; ends it.
    void startWarm() const;
    void stopWarm() const;
    // Starts the warm office and waits at most `wait` until it is up; false
    // when there is none, it cannot start (conversions then start soffice
    // cold) or it is still starting.
    bool warmUp(std::chrono::milliseconds wait) const;
    // Null when no bridge is configured.
    WarmOffice* warm() const { return m_warm.get(); }

    // Converts the document with the target `format` ("pdf",
    // "htm:HTML (StarWriter)") into outputFolder and returns the written
    // file, named after the source with `extension`. NotFound when soffice
    // is missing; Protocol when the document is empty, too large, damaged,
    // protected or of another kind, or nothing was written; Timeout past the
    // deadline.
    platform::IoResult<std::filesystem::path> convert(const std::filesystem::path& source,
        std::string_view format, std::string_view extension, const std::filesystem::path& outputFolder) const;

    // Writes every sheet of a workbook as CSV (kSheetCsvFormat) into
    // outputFolder; the sheets come back in the workbook's order.
    platform::IoResult<std::vector<SheetFile>> convertSheets(
        const std::filesystem::path& source, const std::filesystem::path& outputFolder) const;

    // How long a conversion of a document of `bytes` may take.
    std::chrono::milliseconds deadlineFor(std::uintmax_t bytes) const;

    // The number of pages of a PDF file.
    platform::IoResult<int> pageCount(const std::filesystem::path& pdf) const;

    // Renders pages first..last (from 1) at `dpi` into files
    // prefix + "-" + page number (zero-padded by pdftoppm) + extension.
    platform::IoResult<void> renderPages(const std::filesystem::path& pdf, int first, int last, int dpi,
        PageImageFormat format, const std::filesystem::path& prefix) const;
    // Renders pages first..last (from 1) as JPEG images `width` pixels wide
    // (the height follows the page) into files named as renderPages() does.
    platform::IoResult<void> renderPagesToWidth(
        const std::filesystem::path& pdf, int first, int last, int width, const std::filesystem::path& prefix) const;
    // Renders one page (from 1) into exactly `file`.
    platform::IoResult<void> renderPage(const std::filesystem::path& pdf, int page, int dpi,
        PageImageFormat format, const std::filesystem::path& file) const;

private:
    // The sheet names (of a workbook) on success.
    platform::IoResult<std::vector<std::string>> run(const std::filesystem::path& source, std::string_view format,
        const std::filesystem::path& target) const;
    platform::IoResult<std::vector<std::string>> runCold(const std::filesystem::path& source,
        std::string_view format, const std::filesystem::path& outputFolder, std::chrono::milliseconds deadline) const;

    LibreOfficeConfig m_config;
    std::shared_ptr<WarmOffice> m_warm;
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
