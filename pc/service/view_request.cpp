#include "pc/service/view_request.h"

#include <algorithm>
#include <array>

namespace pc::service {

namespace {

constexpr std::array<std::string_view, 20> kCopiedExtensions = { "txt", "bmp", "jpg", "gif", "jpeg", "htm",
    "html", "2bp", "bw", "c", "cpp", "h", "inf", "ini", "jpe", "log", "pwd", "pwi", "tif", "tiff" };

constexpr std::array<std::string_view, 10> kViewImageExtensions
    = { "gif", "jpg", "bmp", "png", "jpeg", "2bp", "bw", "jpe", "tif", "tiff" };

constexpr std::array<std::string_view, 5> kPageImageExtensions = { "gif", "jpg", "bmp", "png", "jpeg" };

template <std::size_t N> bool contains(const std::array<std::string_view, N>& list, std::string_view value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

std::string extensionOf(std::string_view name)
{
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    std::string extension(name.substr(dot + 1));
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

std::string baseNameOf(std::string_view name)
{
    std::size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

ViewGroup viewGroupOf(std::string_view lowerExtension)
{
    if (lowerExtension == "doc")
        return ViewGroup::Word;
    if (lowerExtension == "xls")
        return ViewGroup::Excel;
    if (lowerExtension == "ppt")
        return ViewGroup::PowerPoint;
    if (lowerExtension == "hwp")
        return ViewGroup::Hwp;
    if (lowerExtension.empty())
        return ViewGroup::NoExtension;
    if (contains(kCopiedExtensions, lowerExtension))
        return ViewGroup::Copied;
    return ViewGroup::Unsupported;
}

bool isViewImageExtension(std::string_view lowerExtension)
{
    return contains(kViewImageExtensions, lowerExtension);
}

bool isPageImageExtension(std::string_view lowerExtension)
{
    return contains(kPageImageExtensions, lowerExtension);
}

std::string wrapperPage(std::string_view imageUrl)
{
    return "<html><body><img src=\"" + std::string(imageUrl) + "\"></body></html>";
}

std::string forwardSlashes(std::string_view text)
{
    std::string result(text);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

std::string serviceUrl(std::string_view host, std::string_view path)
{
    return "http://" + std::string(host) + "/" + forwardSlashes(path);
}

} // namespace pc::service
