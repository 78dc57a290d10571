#include "pc/convert/libreoffice_office.h"

#include "pc/convert/office_converter.h"
#include "pc/convert/result_placement.h"
#include "pc/convert/sheet_pages.h"
#include "platform/files.h"
#include "platform/temp_folder.h"

#include <vector>

namespace pc::convert {

namespace {

enum class OfficeKind {
    Word,
    Excel,
    PowerPoint,
};

const OfficeProgram& programOf(OfficeKind kind)
{
    switch (kind) {
    case OfficeKind::Word:
        return wordProgram();
    case OfficeKind::Excel:
        return excelProgram();
    case OfficeKind::PowerPoint:
        break;
    }
    return powerPointProgram();
}

DispatchError officeFailure(const std::string& text)
{
    return { DispatchErrorCode::Exception, text };
}

// Puts every file LibreOffice wrote beside its main output (pictures of an
// HTML page) in place first, then the main output as `mainTarget`.
DispatchResult<Variant> placeOutputs(const std::filesystem::path& from, const std::filesystem::path& main,
    const std::filesystem::path& mainTarget)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(from, error)) {
        if (entry.path() == main)
            continue;
        if (!placeResult(entry.path(), mainTarget.parent_path() / entry.path().filename()))
            return officeFailure("cannot write beside " + mainTarget.string());
    }
    if (error)
        return officeFailure("cannot read " + from.string());
    if (!placeResult(main, mainTarget))
        return officeFailure("cannot write " + mainTarget.string());
    return Variant();
}

// An open document: SaveAs in the program's one supported format, Close.
class OfficeDocument final : public DispatchObject {
public:
    OfficeDocument(OfficeKind kind, std::shared_ptr<const LibreOffice> office, std::filesystem::path path)
        : m_kind(kind)
        , m_office(std::move(office))
        , m_path(std::move(path))
    {
    }

    DispatchResult<Variant> invoke(DispId id, InvokeKind kind, const Arguments& arguments) override
    {
        const OfficeProgram& program = programOf(m_kind);
        if (kind == InvokeKind::Method && id == program.saveAs)
            return saveAs(arguments);
        if (kind == InvokeKind::Method && id == program.close)
            return Variant();
        return memberNotFound(id, kind);
    }

private:
    DispatchResult<Variant> saveAs(const Arguments& arguments)
    {
        if (arguments.size() < 2 || !arguments[0].isString() || !arguments[1].isInteger())
            return badArguments("SaveAs needs a name and a format");
        std::filesystem::path base = arguments[0].string();
        int format = arguments[1].integer();
        auto work = platform::TempFolder::create("quillon-office");
        if (!work)
            return officeFailure(platform::describe(work.error()));
        // The copy is named after the output, so that LibreOffice names its
        // output and the pictures beside it after the output as well.
        std::filesystem::path source = work->path() / "in" / base.filename();
        source += m_path.extension();
        std::error_code error;
        std::filesystem::create_directories(source.parent_path(), error);
        std::filesystem::create_directories(work->path() / "out", error);
        std::filesystem::copy_file(m_path, source, error);
        if (error)
            return officeFailure("cannot read " + m_path.string());
        std::filesystem::path out = work->path() / "out";
        if (m_kind == OfficeKind::Word && format == kWordHtmlFormat)
            return saveHtml(source, "htm:HTML (StarWriter)", out, base);
        if (m_kind == OfficeKind::Excel && format == kExcelHtmlFormat)
            return saveSheets(source, out, base);
        if (m_kind == OfficeKind::PowerPoint && format == kPowerPointJpegFormat)
            return saveSlides(source, out, base);
        return officeFailure("format not available: " + std::to_string(format));
    }

    DispatchResult<Variant> saveHtml(const std::filesystem::path& source, std::string_view format,
        const std::filesystem::path& out, const std::filesystem::path& base)
    {
        auto written = m_office->convert(source, format, "htm", out);
        if (!written)
            return officeFailure(platform::describe(written.error()));
        std::filesystem::path target = base;
        target += ".htm";
        return placeOutputs(out, *written, target);
    }

    // A workbook becomes pages of plain tables (sheet_pages.h) rather than
    // one HTML file of every cell, which a handheld could not hold.
    DispatchResult<Variant> saveSheets(
        const std::filesystem::path& source, const std::filesystem::path& out, const std::filesystem::path& base)
    {
        auto files = m_office->convertSheets(source, out);
        if (!files)
            return officeFailure(platform::describe(files.error()));
        std::vector<SheetText> sheets;
        for (const auto& file : *files) {
            auto csv = platform::readWholeFile(file.file);
            sheets.push_back({ file.name, csv ? std::move(*csv) : std::string() });
        }
        std::string name = base.filename().string();
        std::filesystem::path pages = out / "pages";
        bool written = renderSheetPages(name, m_path.filename().string(), sheets, kSheetRowsPerPage,
            [&](const SheetPage& page) {
                return platform::writeFileAtomically(pages / page.path, page.html, 0644).hasValue();
            });
        if (!written)
            return officeFailure("an empty workbook");
        // A workbook of one page has no further pages; an older, longer one
        // of the same name leaves none behind.
        std::filesystem::path folder = base.parent_path() / sheetPageFolder(name);
        std::error_code error;
        if (!std::filesystem::exists(pages / sheetPageFolder(name), error))
            std::filesystem::remove_all(folder, error);
        else if (!placeResult(pages / sheetPageFolder(name), folder))
            return officeFailure("cannot write the sheet pages of " + base.string());
        std::filesystem::path first = base;
        first += ".htm";
        if (!placeResult(pages / (name + ".htm"), first))
            return officeFailure("cannot write " + first.string());
        return Variant();
    }

    DispatchResult<Variant> saveSlides(const std::filesystem::path& source, const std::filesystem::path& out,
        const std::filesystem::path& base)
    {
        auto pdf = m_office->convert(source, "pdf", "pdf", out);
        if (!pdf)
            return officeFailure(platform::describe(pdf.error()));
        auto slides = writeSlideImages(*m_office, *pdf, out / "slides", m_office->config().pageWidth);
        if (!slides)
            return officeFailure(platform::describe(slides.error()));
        // The folder holds this presentation's slides only.
        if (!placeResult(out / "slides", base))
            return officeFailure("cannot write " + base.string());
        return Variant();
    }

    OfficeKind m_kind;
    std::shared_ptr<const LibreOffice> m_office;
    std::filesystem::path m_path;
};

class OfficeDocuments final : public DispatchObject {
public:
    OfficeDocuments(OfficeKind kind, std::shared_ptr<const LibreOffice> office)
        : m_kind(kind)
        , m_office(std::move(office))
    {
    }

    DispatchResult<Variant> invoke(DispId id, InvokeKind kind, const Arguments& arguments) override
    {
        if (kind != InvokeKind::Method || id != programOf(m_kind).open)
            return memberNotFound(id, kind);
        if (arguments.empty() || !arguments[0].isString())
            return badArguments("Open needs a file name");
        std::filesystem::path path = arguments[0].string();
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error))
            return officeFailure("file not found: " + path.string());
        return Variant::object(std::make_shared<OfficeDocument>(m_kind, m_office, path));
    }

private:
    OfficeKind m_kind;
    std::shared_ptr<const LibreOffice> m_office;
};

class OfficeApplication final : public DispatchObject {
public:
    OfficeApplication(OfficeKind kind, std::shared_ptr<const LibreOffice> office)
        : m_kind(kind)
        , m_office(std::move(office))
    {
    }

    DispatchResult<Variant> invoke(DispId id, InvokeKind kind, const Arguments& arguments) override
    {
        const OfficeProgram& program = programOf(m_kind);
        if (kind == InvokeKind::PropertyPut && (id == program.visible || id == program.windowState)) {
            // A headless program has no window to show or size.
            if (arguments.size() != 1 || !arguments[0].isInteger())
                return badArguments("a property takes one number");
            return Variant();
        }
        if (kind == InvokeKind::PropertyGet && id == program.documents)
            return Variant::object(std::make_shared<OfficeDocuments>(m_kind, m_office));
        if (kind == InvokeKind::Method && id == program.quit)
            return Variant();
        return memberNotFound(id, kind);
    }

private:
    OfficeKind m_kind;
    std::shared_ptr<const LibreOffice> m_office;
};

DispatchFactory factoryFor(OfficeKind kind, std::shared_ptr<const LibreOffice> office)
{
    return [kind, office]() -> DispatchResult<std::shared_ptr<DispatchObject>> {
        if (!office->isAvailable())
            return DispatchError { DispatchErrorCode::ServerUnavailable,
                "cannot run " + office->config().soffice };
        return std::shared_ptr<DispatchObject>(std::make_shared<OfficeApplication>(kind, office));
    };
}

} // namespace

void registerLibreOfficeOffice(DispatchRegistry& registry, std::shared_ptr<const LibreOffice> office)
{
    registry.add(wordProgram().progId, factoryFor(OfficeKind::Word, office));
    registry.add(excelProgram().progId, factoryFor(OfficeKind::Excel, office));
    registry.add(powerPointProgram().progId, factoryFor(OfficeKind::PowerPoint, office));
}

} // namespace pc::convert
