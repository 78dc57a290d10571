#include "pocket/link/fetch_to_file.h"

#include "platform/http_fetch.h"
#include "platform/ui.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cstdio>
#include <fstream>

namespace pocket::link {

namespace {

constexpr std::string_view kHttpPrefix = "http://";
constexpr const char* kNoConnectionText = "인터넷연결이 되어 있지 않습니다.";
constexpr const char* kPartialPattern = ".fetching-XXXXXX";

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

std::optional<std::string> fixUpUrl(platform::Ui& ui, std::string_view text)
{
    if (text.empty()) {
        ui.messageBox("Quillon", "You must enter a URL.", platform::Icon::Warning);
        return std::nullopt;
    }
    if (text.substr(0, kHttpPrefix.size()) == kHttpPrefix)
        text.remove_prefix(kHttpPrefix.size());
    std::string url(kHttpPrefix);
    url.append(text);
    std::replace(url.begin(), url.end(), '\\', '/');
    return url;
}

std::string lowerCaseSchemeAndHost(std::string_view url)
{
    std::string result(url);
    std::size_t hostStart = result.find("://");
    hostStart = hostStart == std::string::npos ? 0 : hostStart + 3;
    std::size_t hostEnd = result.find_first_of("/\\", hostStart);
    if (hostEnd == std::string::npos)
        hostEnd = result.size();
    std::transform(result.begin(), result.begin() + static_cast<std::ptrdiff_t>(hostEnd), result.begin(), lower);
    return result;
}

std::string pcFileUrl(std::string_view pcAddress, int webPort, std::string_view name)
{
    return std::string(pcAddress) + ":" + std::to_string(webPort) + "\\" + std::string(name);
}

bool isNoConnection(const platform::Error& error)
{
    return error.code == platform::ErrorCode::Unavailable && error.systemError != ECONNREFUSED;
}

bool fetchToFile(platform::HttpFetch& fetch, platform::Ui& ui, std::string_view url,
    const std::filesystem::path& localPath, const platform::FetchLimits& limits)
{
    if (url.empty())
        return false;
    auto fixed = fixUpUrl(ui, lowerCaseSchemeAndHost(url));
    if (!fixed)
        return false;
    // The body goes into a file beside the destination, which replaces the
    // destination only once the whole body has arrived: a failed fetch
    // leaves an earlier copy as it was.
    // A short name of its own, so that a destination name near the length
    // limit still fits.
    std::string pattern = (localPath.parent_path() / kPartialPattern).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return false;
    ::close(fd);
    std::filesystem::path partial = pattern;
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    if (!file) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        return false;
    }
    auto response = fetch.get(
        *fixed,
        [&](std::string_view block) {
            file.write(block.data(), static_cast<std::streamsize>(block.size()));
            return static_cast<bool>(file);
        },
        limits);
    file.close();
    if (!response && isNoConnection(response.error()))
        ui.messageBox("Quillon", kNoConnectionText, platform::Icon::Warning);
    // An error page is no result file: only a 2xx answer counts.
    bool ok = response && !response->cancelled && response->status >= 200 && response->status < 300 && file.good();
    std::error_code error;
    if (ok)
        std::filesystem::rename(partial, localPath, error);
    if (!ok || error)
        std::filesystem::remove(partial, error);
    return ok && !error;
}

} // namespace pocket::link
