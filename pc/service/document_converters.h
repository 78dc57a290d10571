#pragma once

// File: pc/service/document_converters.h
// The document converters behind the document view (303), implemented by
// the PC's converters (pc/convert). Each call gets the local path of the
// source document and its file name and writes its result under the service
// root; true means the converter did its work (the view then looks for the
// result). Calls come from a worker thread, one conversion at a time.

#include <filesystem>
#include <string>

namespace pc::service {

class DocumentConverters {
public:
    virtual ~DocumentConverters() = default;
    // "<base>.htm" in the service root.
    virtual bool convertWord(const std::filesystem::path& source, const std::string& fileName) = 0;
    // "<base>.htm" in the service root.
    virtual bool convertExcel(const std::filesystem::path& source, const std::string& fileName) = 0;
    // The folder "<base>" with "슬라이드1.jpg" and the further slides.
    virtual bool convertPowerPoint(const std::filesystem::path& source, const std::string& fileName) = 0;
    // The folder "<base>" with "<base>0.gif" and the further pages.
    virtual bool convertHwp(const std::filesystem::path& source, const std::string& fileName) = 0;
};

} // namespace pc::service
