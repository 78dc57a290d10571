#include "pc/service/view_request.h"

#include <algorithm>
#include <array>

namespace pc::service {

namespace {

constexpr std::array<std::string_view, 7> kWordExtensions = { "doc", "docx", "docm", "dot", "dotx", "odt", "rtf" };
constexpr std::array<std::string_view, 5> kExcelExtensions = { "xls", "xlsx", "xlsm", "ods", "csv" };
constexpr std::array<std::string_view, 5> kPowerPointExtensions = { "ppt", "pptx", "pps", "ppsx", "odp" };
// Each group's first extension keeps the result name it always had.
constexpr std::array<std::string_view, 3> kFirstExtensions = { "doc", "xls", "ppt" };

// The handheld's viewer shows PNG as it shows GIF and JPEG; WebP and SVG it
// cannot show, so they are converted.
constexpr std::array<std::string_view, 21> kCopiedExtensions = { "txt", "bmp", "jpg", "gif", "jpeg", "htm",
    "html", "2bp", "bw", "c", "cpp", "h", "inf", "ini", "jpe", "log", "pwd", "pwi", "tif", "tiff", "png" };
constexpr std::array<std::string_view, 2> kConvertedImageExtensions = { "webp", "svg" };

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
    if (contains(kWordExtensions, lowerExtension))
        return ViewGroup::Word;
    if (contains(kExcelExtensions, lowerExtension))
        return ViewGroup::Excel;
    if (contains(kPowerPointExtensions, lowerExtension))
        return ViewGroup::PowerPoint;
    if (lowerExtension == "pdf")
        return ViewGroup::Pdf;
    if (lowerExtension == "hwp")
        return ViewGroup::Hwp;
    if (lowerExtension.empty())
        return ViewGroup::NoExtension;
    if (contains(kCopiedExtensions, lowerExtension))
        return ViewGroup::Copied;
    if (contains(kConvertedImageExtensions, lowerExtension))
        return ViewGroup::Image;
    return ViewGroup::Unsupported;
}

std::string resultBaseOf(std::string_view fileName)
{
    if (contains(kFirstExtensions, extensionOf(fileName)))
        return baseNameOf(fileName);
    return std::string(fileName);
}

std::string convertedImageName(std::string_view fileName)
{
    return std::string(fileName) + ".jpg";
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
