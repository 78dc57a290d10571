#include "pocket/viewer/document_pages.h"

#include <algorithm>
#include <cctype>

namespace pocket::viewer {

namespace {

    bool isDigit(char c) { return c >= '0' && c <= '9'; }

    char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

    // Where `word` starts in `text`, ignoring ASCII case.
    std::size_t findNoCase(std::string_view text, std::string_view word, std::size_t from = 0)
    {
        auto found = std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
            word.begin(), word.end(), [](char a, char b) { return lower(a) == lower(b); });
        return found == text.end() ? std::string_view::npos : static_cast<std::size_t>(found - text.begin());
    }

} // namespace

std::string wrappedImage(std::string_view page)
{
    const std::size_t img = findNoCase(page, "<img");
    if (img == std::string_view::npos)
        return {};
    const std::size_t close = page.find('>', img);
    const std::size_t src = findNoCase(page, "src=", img);
    if (src == std::string_view::npos || (close != std::string_view::npos && src > close))
        return {};
    std::size_t start = src + 4;
    char quote = start < page.size() ? page[start] : '\0';
    if (quote == '"' || quote == '\'') {
        ++start;
        const std::size_t end = page.find(quote, start);
        return end == std::string_view::npos ? std::string() : std::string(page.substr(start, end - start));
    }
    std::size_t end = start;
    while (end < page.size() && page[end] != '>' && !std::isspace(static_cast<unsigned char>(page[end])))
        ++end;
    return std::string(page.substr(start, end - start));
}

std::optional<std::string> neighbourPage(std::string_view imageUrl, int step)
{
    const std::size_t slash = imageUrl.find_last_of('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::size_t dot = imageUrl.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart)
        dot = imageUrl.size();
    std::size_t digits = dot;
    while (digits > nameStart && isDigit(imageUrl[digits - 1]))
        --digits;
    // A page number has a few digits; more would be some other number.
    if (digits == dot || dot - digits > 6)
        return std::nullopt;
    const long page = std::stol(std::string(imageUrl.substr(digits, dot - digits))) + step;
    if (page < 0)
        return std::nullopt;
    return std::string(imageUrl.substr(0, digits)) + std::to_string(page) + std::string(imageUrl.substr(dot));
}

} // namespace pocket::viewer
