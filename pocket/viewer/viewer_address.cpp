#include "pocket/viewer/viewer_address.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace pocket::viewer {

namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::size_t kLoginIdHostReach = 9;

std::string toLower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// The part after the first "/" at or after `from`; empty without one.
std::string_view afterSlash(std::string_view url, std::size_t from)
{
    std::size_t slash = url.find('/', from);
    return slash == std::string_view::npos ? std::string_view() : url.substr(slash + 1);
}

// Drops "." pieces and lets ".." remove the piece before it, so a page's
// "../img/a.gif" names a file the web server serves.
std::string normalizePath(std::string_view path, char separator)
{
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    bool trailing = !path.empty() && path.back() == separator;
    while (start <= path.size()) {
        std::size_t end = path.find(separator, start);
        std::string_view piece = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (piece == "..") {
            if (!pieces.empty())
                pieces.pop_back();
        } else if (!piece.empty() && piece != ".") {
            pieces.push_back(piece);
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    std::string result;
    for (auto piece : pieces)
        result.append(1, separator).append(piece);
    if (result.empty() || trailing)
        result += separator;
    return result;
}

} // namespace

std::string displayAddress(std::string_view url, std::string_view pcAddress, std::string_view loginId)
{
    // Without a login id the shown address could not be mapped back.
    std::size_t position = pcAddress.empty() || loginId.empty() ? std::string_view::npos : url.find(pcAddress);
    if (position == std::string_view::npos)
        return std::string(url);
    return std::string(kHttp) + std::string(loginId) + "/" + std::string(afterSlash(url, position + pcAddress.size()));
}

std::string fetchAddress(std::string_view url, std::string_view loginId, std::string_view pcAddress,
    std::uint16_t webPort)
{
    // A handheld path ("\Windows\...") is never a page of the PC, even when
    // a short login id happens to occur near its start.
    std::size_t position = loginId.empty() || isHandheldPath(url) ? std::string_view::npos : url.find(loginId);
    if (position == std::string_view::npos || position >= kLoginIdHostReach)
        return std::string(url);
    return std::string(kHttp) + std::string(pcAddress) + ":" + std::to_string(webPort) + "/"
        + std::string(afterSlash(url, position + loginId.size()));
}

std::string savedPageName(std::string_view address)
{
    static constexpr std::string_view kKept[] = { ".html", ".txt", ".bmp", ".gif", ".jpg", ".jpeg", ".hwp", ".doc",
        ".xls", ".ppt" };
    std::string text(address);
    if (!text.empty() && text.back() == '/')
        text.pop_back();
    std::replace(text.begin(), text.end(), '\\', '/');
    std::size_t slash = text.rfind('/');
    std::string name = toLower(slash == std::string::npos ? text : text.substr(slash + 1));
    std::size_t dot = name.find('.');
    std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    if (std::find(std::begin(kKept), std::end(kKept), extension) == std::end(kKept))
        name = name.substr(0, dot) + ".html";
    // An address without a last piece ("http://") still gives a visible name.
    if (name == ".html")
        name = "index.html";
    return name;
}

bool isViewableExtension(std::string_view fileName)
{
    // The first eleven are the original list; the rest are the formats the
    // PC converts since (documents of today, PDF, pictures).
    static constexpr std::string_view kViewable[] = { "htm", "html", "txt", "bmp", "gif", "jpg", "jpeg", "hwp", "doc",
        "xls", "ppt", "docx", "docm", "dot", "dotx", "odt", "rtf", "xlsx", "xlsm", "ods", "csv", "pptx", "pps", "ppsx",
        "odp", "pdf", "png", "webp", "svg" };
    std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    auto extension = toLower(fileName.substr(dot + 1));
    return std::find(std::begin(kViewable), std::end(kViewable), extension) != std::end(kViewable);
}

bool isHandheldPath(std::string_view address)
{
    return !address.empty() && address.front() == '\\';
}

std::string resolveReference(std::string_view pageAddress, std::string_view reference)
{
    if (reference.find("://") != std::string_view::npos || reference.starts_with("data:")
        || reference.starts_with("mailto:"))
        return std::string(reference);
    if (isHandheldPath(pageAddress)) {
        std::string path(reference);
        std::replace(path.begin(), path.end(), '/', '\\');
        if (!isHandheldPath(path)) {
            std::size_t folder = pageAddress.rfind('\\');
            path = std::string(pageAddress.substr(0, folder + 1)) + path;
        }
        return normalizePath(path, '\\');
    }
    std::size_t scheme = pageAddress.find("://");
    std::size_t hostStart = scheme == std::string_view::npos ? 0 : scheme + 3;
    std::size_t pathStart = pageAddress.find('/', hostStart);
    std::string_view origin = pageAddress.substr(0, pathStart);
    if (reference.starts_with("//"))
        return std::string(pageAddress.substr(0, hostStart == 0 ? 0 : scheme + 1)) + std::string(reference);
    std::string path;
    if (reference.starts_with("/")) {
        path = std::string(reference);
    } else {
        std::string_view basePath = pathStart == std::string_view::npos ? "/" : pageAddress.substr(pathStart);
        basePath = basePath.substr(0, basePath.find_first_of("?#"));
        path = std::string(basePath.substr(0, basePath.rfind('/') + 1)) + std::string(reference);
    }
    std::size_t query = path.find_first_of("?#");
    std::string tail = query == std::string::npos ? "" : path.substr(query);
    return std::string(origin) + normalizePath(path.substr(0, query), '/') + tail;
}

} // namespace pocket::viewer
