#include "pc/convert/office_converter.h"

#include "pc/convert/safe_output_name.h"

namespace pc::convert {

namespace {

Arguments withMissing(Arguments arguments, std::size_t missingCount)
{
    for (std::size_t i = 0; i < missingCount; ++i)
        arguments.push_back(Variant::missing());
    return arguments;
}

Variant i2(std::int16_t value)
{
    return Variant::i2(value);
}

Variant text(const std::string& value)
{
    return Variant::string(value);
}

Arguments none()
{
    return {};
}

Arguments wordOpen(const std::string& path)
{
    return withMissing({ text(path) }, 11);
}

Arguments wordSaveAs(const std::string& base)
{
    return withMissing({ text(base), i2(kWordHtmlFormat) }, 9);
}

// Close and Quit take the same three numbers.
Arguments wordClose(const std::string&)
{
    return { i2(0), i2(0), i2(8) };
}

Arguments wordQuit()
{
    return wordClose({});
}

Arguments excelOpen(const std::string& path)
{
    return withMissing({ text(path), i2(0), i2(0) }, 10);
}

Arguments excelSaveAs(const std::string& base)
{
    Arguments arguments = withMissing({ text(base), i2(kExcelHtmlFormat) }, 4);
    arguments.push_back(i2(0));
    return withMissing(std::move(arguments), 4);
}

Arguments excelClose(const std::string& base)
{
    return { i2(0), text(base), i2(0) };
}

Arguments powerPointOpen(const std::string& path)
{
    return { text(path), i2(0), i2(-1), i2(-1) };
}

Arguments powerPointSaveAs(const std::string& base)
{
    return { text(base), i2(kPowerPointJpegFormat), i2(-1) };
}

Arguments powerPointClose(const std::string&)
{
    return {};
}

const OfficeProgram kWord {
    .progId = "Word.Application",
    .visible = 0x17,
    .windowState = 0x5B,
    .documents = 0x6,
    .open = 0xF,
    .openArguments = wordOpen,
    .saveAs = 0x66,
    .saveAsArguments = wordSaveAs,
    .close = 0x451,
    .closeArguments = wordClose,
    .quit = 0x451,
    .quitArguments = wordQuit,
};

const OfficeProgram kExcel {
    .progId = "Excel.Application",
    .visible = 0x22E,
    .windowState = 0x18C,
    .documents = 0x23C,
    .open = 0x2AA,
    .openArguments = excelOpen,
    .saveAs = 0x11C,
    .saveAsArguments = excelSaveAs,
    .close = 0x115,
    .closeArguments = excelClose,
    .quit = 0x12E,
    .quitArguments = none,
};

const OfficeProgram kPowerPoint {
    .progId = "Powerpoint.Application",
    .visible = 0x7EE,
    .windowState = 0x7ED,
    .documents = 0x7D1,
    .open = 0x7D4,
    .openArguments = powerPointOpen,
    .saveAs = 0x7F4,
    .saveAsArguments = powerPointSaveAs,
    .close = 0x7F7,
    .closeArguments = powerPointClose,
    .quit = 0x7E5,
    .quitArguments = none,
};

} // namespace

const OfficeProgram& wordProgram()
{
    return kWord;
}

const OfficeProgram& excelProgram()
{
    return kExcel;
}

const OfficeProgram& powerPointProgram()
{
    return kPowerPoint;
}

std::string officeOutputBase(const std::filesystem::path& serviceRoot, std::string_view fileName)
{
    // The extension is always four characters here (".doc", ".xls", ".ppt").
    std::string name = safeOutputStem(fileName);
    if (name.empty())
        return {};
    return (serviceRoot / name).string();
}

OfficeConverter::OfficeConverter(
    const DispatchRegistry& registry, std::filesystem::path serviceRoot, Trace trace)
    : m_registry(registry)
    , m_root(std::move(serviceRoot))
    , m_trace(std::move(trace))
{
}

bool OfficeConverter::convertWord(const std::filesystem::path& fullPath, const std::string& fileName)
{
    return convert(kWord, fullPath, fileName);
}

bool OfficeConverter::convertExcel(const std::filesystem::path& fullPath, const std::string& fileName)
{
    return convert(kExcel, fullPath, fileName);
}

bool OfficeConverter::convertPowerPoint(const std::filesystem::path& fullPath, const std::string& fileName)
{
    return convert(kPowerPoint, fullPath, fileName);
}

bool OfficeConverter::call(
    DispatchObject& object, DispId id, InvokeKind kind, const Arguments& arguments, Variant* result)
{
    auto answer = object.invoke(id, kind, arguments);
    if (!answer) {
        // Automation errors end the conversion; the caller finds no output.
        if (m_trace)
            m_trace("automation: " + answer.error().text);
        return false;
    }
    if (result)
        *result = std::move(*answer);
    return true;
}

bool OfficeConverter::convert(
    const OfficeProgram& program, const std::filesystem::path& fullPath, const std::string& fileName)
{
    return convertTo(program, fullPath, safeOutputStem(fileName));
}

bool OfficeConverter::convertTo(
    const OfficeProgram& program, const std::filesystem::path& fullPath, const std::string& baseName)
{
    if (baseName.empty() || safeOutputName(baseName) != baseName)
        return false;
    std::string base = (m_root / baseName).string();
    auto application = m_registry.create(program.progId);
    if (!application) {
        if (m_trace)
            m_trace(std::string(program.progId) + ": " + application.error().text);
        return false;
    }
    DispatchObject& app = **application;
    if (call(app, program.visible, InvokeKind::PropertyPut, { i2(1) })
        && call(app, program.windowState, InvokeKind::PropertyPut, { i2(2) }))
        saveDocument(app, program, fullPath, base);
    (void)call(app, program.quit, InvokeKind::Method, program.quitArguments());
    return true;
}

void OfficeConverter::saveDocument(DispatchObject& application, const OfficeProgram& program,
    const std::filesystem::path& fullPath, const std::string& base)
{
    Variant documents;
    if (!call(application, program.documents, InvokeKind::PropertyGet, {}, &documents) || !documents.object())
        return;
    Variant document;
    if (!call(*documents.object(), program.open, InvokeKind::Method, program.openArguments(fullPath.string()),
            &document)
        || !document.object())
        return;
    (void)call(*document.object(), program.saveAs, InvokeKind::Method, program.saveAsArguments(base));
    (void)call(*document.object(), program.close, InvokeKind::Method, program.closeArguments(base));
}

} // namespace pc::convert
