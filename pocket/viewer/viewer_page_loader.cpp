#include "pocket/viewer/viewer_page_loader.h"

#include "platform/files.h"
#include "platform/http_fetch.h"
#include "pocket/device/device_root.h"
#include "pocket/viewer/viewer_address.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace pocket::viewer {

namespace {

constexpr std::string_view kStartPageHtml = "<html><head><meta charset=\"utf-8\"><title>Quillon</title></head>\n"
                                            "<body><h3>Quillon</h3>\n"
                                            "<p>주소창에 주소를 입력하고 GO를 누르세요.</p>\n"
                                            "</body></html>\n";

platform::Error error(platform::ErrorCode code, std::string context)
{
    return platform::Error { code, std::move(context), 0 };
}

} // namespace

std::string contentTypeForName(std::string_view name)
{
    std::size_t dot = name.rfind('.');
    std::string extension(dot == std::string_view::npos ? "" : name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "htm" || extension == "html")
        return "text/html";
    if (extension == "txt")
        return "text/plain";
    if (extension == "gif" || extension == "png" || extension == "bmp")
        return "image/" + extension;
    if (extension == "jpg" || extension == "jpeg")
        return "image/jpeg";
    return "application/octet-stream";
}

PageLoader::PageLoader(platform::HttpFetch& fetch, const device::DeviceRoot& device, const platform::FetchLimits& limits)
    : m_fetch(fetch)
    , m_device(device)
    , m_limits(limits)
{
}

platform::IoResult<LoadedPage> PageLoader::load(std::string_view address)
{
    LoadedPage page { std::string(address), {}, {} };
    if (isHandheldPath(address)) {
        auto file = m_device.toLocal(address);
        std::error_code sizeError;
        auto size = std::filesystem::file_size(file, sizeError);
        if (!sizeError && size > kMaxPageBytes)
            return platform::unexpected(error(platform::ErrorCode::Protocol, "too large: " + page.address));
        auto content = platform::readWholeFile(file);
        if (!content)
            return platform::unexpected(content.error());
        page.content = std::move(*content);
        page.contentType = contentTypeForName(address);
        return page;
    }
    std::string url(address);
    if (url.find("://") == std::string::npos)
        url = "http://" + url;
    auto response = m_fetch.get(
        url,
        [&](std::string_view block) {
            page.content.append(block);
            return true;
        },
        m_limits);
    if (!response)
        return platform::unexpected(response.error());
    if (response->status == 404)
        return platform::unexpected(error(platform::ErrorCode::NotFound, "HTTP 404: " + url));
    if (response->status < 200 || response->status >= 300)
        return platform::unexpected(
            error(platform::ErrorCode::Protocol, "HTTP " + std::to_string(response->status) + ": " + url));
    page.contentType = response->contentType.empty() ? contentTypeForName(url) : response->contentType;
    return page;
}

platform::IoResult<LoadedPage> PageLoader::loadResource(std::string_view pageAddress, std::string_view reference)
{
    return load(resolveReference(pageAddress, reference));
}

platform::IoResult<void> installStartPage(const device::DeviceRoot& device)
{
    auto file = device.toLocal(kStartPage);
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored))
        return {};
    return platform::writeFileAtomically(file, kStartPageHtml, 0644);
}

} // namespace pocket::viewer
