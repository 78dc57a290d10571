#pragma once

// File: pc/convert/hwp_page_imaging.h
// HWP documents as page images, by remote-controlling the word processor
// over its DDE link: open the document, ask for its page count, and have it
// write every page as a GIF into the folder named after the document under
// the service root ("report.hwp" → "report/report0.gif", "report1.gif" ...).
// Each conversion connects, opens, renders and disconnects. Blocking; use
// from one thread at a time.

#include "pc/convert/hwp_dde_link.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pc::convert {

// The answer data of "GetDocumentInfo": fourteen 32-bit numbers, of which
// the page count is used.
struct HwpDocumentInfo {
    static constexpr std::size_t kCount = 14;
    static constexpr std::size_t kPageCountIndex = 11;
    std::array<std::int32_t, kCount> values {};
    std::int32_t pageCount() const { return values[kPageCountIndex]; }
};

std::optional<HwpDocumentInfo> parseHwpDocumentInfo(std::string_view data);
std::string encodeHwpDocumentInfo(const HwpDocumentInfo& info);

// The output name: the file name without its last four characters (its
// extension, such as ".hwp"); empty when nothing usable is left.
std::string hwpOutputName(std::string_view fileName);

// The macro that opens a document: folder part and file name joined by "\".
std::string hwpOpenDocumentMacro(std::string_view folder, std::string_view fileName);
std::string hwpPageImageMacro(
    std::int32_t documentId, std::string_view folder, std::string_view imageName, int page);

class HwpPageImaging {
public:
    // The link outlives this object.
    HwpPageImaging(HwpDdeLink& link, std::filesystem::path serviceRoot);

    // True when the document was opened and its pages sent for rendering
    // (also when the page loop stopped early); the caller looks for the
    // first image.
    bool convertHwp(const std::filesystem::path& fullPath, const std::string& fileName);

private:
    bool openDocument(const std::filesystem::path& fullPath);
    bool renderPages(const std::filesystem::path& folder, const std::string& name);
    void close();

    HwpDdeLink& m_link;
    std::filesystem::path m_root;
};

} // namespace pc::convert
