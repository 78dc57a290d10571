#pragma once

// File: pc/convert/hwp_control.h
// The second way to turn HWP documents into page images, used when the word
// processor is not installed: its embeddable control, driven through
// automation (method 0x25 prepares it, 0x24 opens a document, 0x12 writes
// page images). Also the provider of that control backed by LibreOffice:
// it opens the document as PDF and writes every page as a GIF.

#include "pc/convert/dispatch.h"
#include "pc/convert/libreoffice.h"

#include <filesystem>
#include <memory>
#include <string>

namespace pc::convert {

constexpr const char* kHwpControlClassId = "{BD9C32DE-3155-4691-8972-097D53B10052}";
constexpr DispId kHwpControlPrepare = 0x25;
constexpr DispId kHwpControlOpen = 0x24;
constexpr DispId kHwpControlCreatePageImage = 0x12;

class HwpControlConverter {
public:
    // The registry outlives the converter.
    HwpControlConverter(const DispatchRegistry& registry, std::filesystem::path serviceRoot);

    // Writes the folder named after the document (the file name up to its
    // last ".") with name + page number + ".gif" for every page. True when
    // both the opening and the rendering succeeded.
    bool convert(const std::filesystem::path& fullPath, const std::string& fileName);

private:
    const DispatchRegistry& m_registry;
    std::filesystem::path m_root;
};

// The page images of method 0x12 go to the path given with its trailing
// page number counted up: "…/memo/memo0" writes memo0.gif, memo1.gif ...
void registerLibreOfficeHwpControl(DispatchRegistry& registry, std::shared_ptr<const LibreOffice> office);

} // namespace pc::convert
