#pragma once

// File: pc/convert/office_converter.h
// Word, Excel and PowerPoint documents turned into something the handheld
// can show, by driving the office program through automation: start it,
// open the document, save it again under the service root as HTML (Word,
// Excel) or as one JPEG image per slide (PowerPoint), close it and quit.
// Each conversion starts its own program instance. Use from one thread at a
// time (the view request's worker).

#include "pc/convert/dispatch.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace pc::convert {

// The automation calls of one office program, as its type library numbers
// them.
struct OfficeProgram {
    const char* progId;
    DispId visible;
    DispId windowState;
    DispId documents; // The collection of open documents.
    DispId open;
    Arguments (*openArguments)(const std::string& path);
    DispId saveAs;
    Arguments (*saveAsArguments)(const std::string& base);
    DispId close;
    Arguments (*closeArguments)(const std::string& base);
    DispId quit;
    Arguments (*quitArguments)();
};

const OfficeProgram& wordProgram();
const OfficeProgram& excelProgram();
const OfficeProgram& powerPointProgram();

// Save formats: HTML for Word and Excel, one JPEG per slide for PowerPoint.
constexpr std::int16_t kWordHtmlFormat = 8;
constexpr std::int16_t kExcelHtmlFormat = 44;
constexpr std::int16_t kPowerPointJpegFormat = 17;

// The output base name: the service root and the file name without its
// last four characters (the extension with its dot). Empty when the name
// has no more than four characters.
std::string officeOutputBase(const std::filesystem::path& serviceRoot, std::string_view fileName);

class OfficeConverter {
public:
    using Trace = std::function<void(std::string_view)>;

    // The registry outlives the converter.
    OfficeConverter(const DispatchRegistry& registry, std::filesystem::path serviceRoot, Trace trace = {});

    // False only when the program's automation object cannot be created (or
    // the name leaves no output name); the caller looks for the output.
    bool convertWord(const std::filesystem::path& fullPath, const std::string& fileName);
    bool convertExcel(const std::filesystem::path& fullPath, const std::string& fileName);
    bool convertPowerPoint(const std::filesystem::path& fullPath, const std::string& fileName);

    bool convert(
        const OfficeProgram& program, const std::filesystem::path& fullPath, const std::string& fileName);
    // The same with the output base name given (one path component, without
    // the service root): "report.docx" keeps the result of report.docx apart
    // from report.doc's.
    bool convertTo(
        const OfficeProgram& program, const std::filesystem::path& fullPath, const std::string& baseName);

private:
    void saveDocument(DispatchObject& application, const OfficeProgram& program,
        const std::filesystem::path& fullPath, const std::string& base);
    bool call(DispatchObject& object, DispId id, InvokeKind kind, const Arguments& arguments,
        Variant* result = nullptr);

    const DispatchRegistry& m_registry;
    std::filesystem::path m_root;
    Trace m_trace;
};

} // namespace pc::convert
