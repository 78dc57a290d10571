#include "pc/convert/hwp_control.h"

#include "pc/convert/gif_pages.h"
#include "pc/convert/safe_output_name.h"
#include "platform/temp_folder.h"

#include <algorithm>
#include <optional>

namespace pc::convert {

namespace {

bool succeeded(const DispatchResult<Variant>& result)
{
    return result && result->isInteger() && result->integer() != 0;
}

// The control's document: a PDF rendering made when it opens one.
class HwpControlObject final : public DispatchObject {
public:
    explicit HwpControlObject(std::shared_ptr<const LibreOffice> office)
        : m_office(std::move(office))
    {
    }

    DispatchResult<Variant> invoke(DispId id, InvokeKind kind, const Arguments& arguments) override
    {
        if (kind != InvokeKind::Method)
            return memberNotFound(id, kind);
        switch (id) {
        case kHwpControlPrepare:
            return Variant::i2(1);
        case kHwpControlOpen:
            return open(arguments);
        case kHwpControlCreatePageImage:
            return createPageImages(arguments);
        default:
            return memberNotFound(id, kind);
        }
    }

private:
    DispatchResult<Variant> open(const Arguments& arguments)
    {
        auto* paths
            = arguments.empty() ? nullptr : std::get_if<std::vector<std::string>>(&arguments[0].value());
        if (!paths || paths->empty())
            return badArguments("open takes an array with the document path");
        m_pdf.reset();
        auto work = platform::TempFolder::create("quillon-hwp-control");
        if (!work)
            return Variant::i2(0);
        m_work.emplace(std::move(*work));
        auto pdf = m_office->convert(paths->front(), "pdf", "pdf", m_work->path());
        if (!pdf)
            return Variant::i2(0);
        m_pdf = *pdf;
        return Variant::i2(1);
    }

    DispatchResult<Variant> createPageImages(const Arguments& arguments)
    {
        if (arguments.size() < 4 || !arguments[0].isString() || !arguments[1].isString()
            || !arguments[3].isInteger())
            return badArguments("page images take a path, a format and numbers");
        if (!m_pdf || arguments[1].string() != "gif")
            return Variant::i2(0);
        auto pages = m_office->pageCount(*m_pdf);
        if (!pages)
            return Variant::i2(0);
        std::string path = arguments[0].string();
        std::size_t digits = path.find_last_not_of("0123456789") + 1;
        int first = digits < path.size() ? std::stoi(path.substr(digits, 6)) : 0;
        std::string stem = path.substr(0, digits);
        int dpi = std::clamp(arguments[3].integer(), 24, 300);
        for (int page = 1; page <= *pages; ++page) {
            std::filesystem::path file = stem + std::to_string(first + page - 1) + ".gif";
            if (!renderPageAsGif(*m_office, *m_pdf, page, dpi, file))
                return Variant::i2(0);
        }
        return Variant::i2(1);
    }

    std::shared_ptr<const LibreOffice> m_office;
    std::optional<platform::TempFolder> m_work;
    std::optional<std::filesystem::path> m_pdf;
};

} // namespace

HwpControlConverter::HwpControlConverter(const DispatchRegistry& registry, std::filesystem::path serviceRoot)
    : m_registry(registry)
    , m_root(std::move(serviceRoot))
{
}

bool HwpControlConverter::convert(const std::filesystem::path& fullPath, const std::string& fileName)
{
    std::string safe = safeOutputName(fileName);
    std::string name = safe.substr(0, safe.rfind('.'));
    if (name.empty() || name == "." || name == "..")
        return false;
    // The images go into the folder itself (…/memo/memo0.gif), where the
    // view request looks for them.
    std::filesystem::path folder = m_root / name;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    auto control = m_registry.create(kHwpControlClassId);
    if (!control)
        return false;
    DispatchObject& object = **control;
    (void)object.invoke(kHwpControlPrepare, InvokeKind::Method, { Variant::i2(1) });
    if (!succeeded(
            object.invoke(kHwpControlOpen, InvokeKind::Method, { Variant::strings({ fullPath.string() }) })))
        return false;
    std::string imagePath = (folder / name).string() + "0";
    return succeeded(object.invoke(kHwpControlCreatePageImage, InvokeKind::Method,
        { Variant::string(imagePath), Variant::string("gif"), Variant::i2(24), Variant::i2(96),
            Variant::i2(3) }));
}

void registerLibreOfficeHwpControl(DispatchRegistry& registry, std::shared_ptr<const LibreOffice> office)
{
    registry.add(kHwpControlClassId, [office]() -> DispatchResult<std::shared_ptr<DispatchObject>> {
        if (!office->isAvailable())
            return DispatchError { DispatchErrorCode::ServerUnavailable,
                "cannot run " + office->config().soffice };
        return std::shared_ptr<DispatchObject>(std::make_shared<HwpControlObject>(office));
    });
}

} // namespace pc::convert
