#include "pc/convert/hwp_page_imaging.h"

#include "pc/convert/safe_output_name.h"

#include <cstdio>

namespace pc::convert {

namespace {

std::int32_t readI32(std::string_view data, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + i])) << (8 * i);
    return static_cast<std::int32_t>(value);
}

// A quote would end the macro's string argument early and let the rest of
// a name be read as further arguments.
bool fitsInMacroString(std::string_view text)
{
    return text.find('"') == std::string_view::npos && text.find('\0') == std::string_view::npos;
}

} // namespace

std::optional<HwpDocumentInfo> parseHwpDocumentInfo(std::string_view data)
{
    if (data.size() < 4 * HwpDocumentInfo::kCount)
        return std::nullopt;
    HwpDocumentInfo info;
    for (std::size_t i = 0; i < HwpDocumentInfo::kCount; ++i)
        info.values[i] = readI32(data, 4 * i);
    return info;
}

std::string encodeHwpDocumentInfo(const HwpDocumentInfo& info)
{
    std::string data;
    for (std::int32_t value : info.values) {
        auto bits = static_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
    return data;
}

std::string hwpOutputName(std::string_view fileName)
{
    return safeOutputStem(fileName);
}

std::string hwpOpenDocumentMacro(std::string_view folder, std::string_view fileName)
{
    return "OpenDocument(\"한글 문서 뷰어\",\"" + std::string(folder) + "\\" + std::string(fileName)
        + "\",,\"clientedit\",,,,0,)";
}

std::string hwpPageImageMacro(
    std::int32_t documentId, std::string_view folder, std::string_view imageName, int page)
{
    return "CreatePageImage(" + std::to_string(documentId) + ",\"" + std::string(folder)
        + std::string(imageName) + "\"," + std::to_string(page) + ",90,100)";
}

HwpPageImaging::HwpPageImaging(HwpDdeLink& link, std::filesystem::path serviceRoot)
    : m_link(link)
    , m_root(std::move(serviceRoot))
{
}

bool HwpPageImaging::convertHwp(const std::filesystem::path& fullPath, const std::string& fileName)
{
    std::error_code error;
    std::filesystem::create_directories(m_root, error);
    std::string name = hwpOutputName(fileName);
    if (name.empty() || !fitsInMacroString(fullPath.string()) || !fitsInMacroString(m_root.string()))
        return false;
    if (!m_link.connectHwp(true))
        return false;
    if (m_link.documentId() == 0 && !openDocument(fullPath)) {
        close();
        return false;
    }
    std::filesystem::path folder = m_root / name;
    std::filesystem::create_directories(folder, error);
    bool rendered = renderPages(folder, name);
    // Closed on every path, so that the next conversion finds the link free.
    close();
    return rendered;
}

bool HwpPageImaging::openDocument(const std::filesystem::path& fullPath)
{
    std::string macro;
    std::error_code error;
    // A document that does not exist sends "FX" alone, which HWP refuses.
    if (std::filesystem::is_regular_file(fullPath, error))
        macro = hwpOpenDocumentMacro(fullPath.parent_path().string(), fullPath.filename().string());
    if (!m_link.hwpExecute(macro))
        return false;
    if (auto opened = m_link.hwpReturnValue(); opened && opened->status == 0)
        m_link.setDocumentId(opened->value);
    return true;
}

bool HwpPageImaging::renderPages(const std::filesystem::path& folder, const std::string& name)
{
    std::int32_t id = m_link.documentId();
    if (!m_link.hwpExecute("GetDocumentInfo(" + std::to_string(id) + ",detail)"))
        return false;
    auto status = m_link.hwpReturnValue();
    if (status && status->status != 0)
        return false;
    auto data = m_link.hwpReturnData();
    auto info = data ? parseHwpDocumentInfo(*data) : std::nullopt;
    if (!info)
        return false;
    std::string folderText = folder.string() + "/";
    for (int page = 0; page < info->pageCount(); ++page) {
        std::string image = name + std::to_string(page) + ".gif";
        if (!m_link.hwpExecute(hwpPageImageMacro(id, folderText, image, page)))
            break;
    }
    return true;
}

void HwpPageImaging::close()
{
    m_link.disconnect();
    m_link.setDocumentId(0);
}

} // namespace pc::convert
