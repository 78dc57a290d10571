#pragma once

// File: pc/service/document_converters.h
// The document converters behind the document view (303), implemented by
// the PC's converters (pc/convert). Each call gets the local path of the
// source document and the name of its result (a single path component, see
// resultBaseOf) and writes the result under the service root; true means
// the converter did its work (the view then looks for the result). Calls
// come from a worker thread, one conversion at a time.

#include <filesystem>
#include <string>

namespace pc::service {

class DocumentConverters {
public:
    virtual ~DocumentConverters() = default;
    // "<resultBase>.htm" in the service root.
    virtual bool convertWord(const std::filesystem::path& source, const std::string& resultBase) = 0;
    // "<resultBase>.htm" in the service root (the first page of the first
    // sheet, linking to the others).
    virtual bool convertExcel(const std::filesystem::path& source, const std::string& resultBase) = 0;
    // The folder "<resultBase>" with "슬라이드1.jpg" and the further slides.
    virtual bool convertPowerPoint(const std::filesystem::path& source, const std::string& resultBase) = 0;
    // The folder "<resultBase>" with "슬라이드1.jpg" and the further pages.
    virtual bool convertPdf(const std::filesystem::path& source, const std::string& resultBase) = 0;
    // A JPEG at `resultPath` (relative to the service root).
    virtual bool convertImage(const std::filesystem::path& source, const std::string& resultPath) = 0;
    // The folder named after the file with "<base>0.gif" and the further
    // pages (the file name is the HWP converters' own input).
    virtual bool convertHwp(const std::filesystem::path& source, const std::string& fileName) = 0;
};

} // namespace pc::service
