#include "pc/mail/text_util.h"

#include <algorithm>

namespace pc::mail {
namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::string toLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = lowerAscii(c);
    return out;
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    return rtrim(text);
}

std::string_view rtrim(std::string_view text)
{
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::size_t findIgnoringCase(std::string_view haystack, std::string_view needle, std::size_t from)
{
    if (needle.empty())
        return from <= haystack.size() ? from : std::string_view::npos;
    if (from >= haystack.size())
        return std::string_view::npos;
    auto it = std::search(haystack.begin() + static_cast<std::ptrdiff_t>(from), haystack.end(), needle.begin(),
        needle.end(), [](char a, char b) { return lowerAscii(a) == lowerAscii(b); });
    return it == haystack.end() ? std::string_view::npos : static_cast<std::size_t>(it - haystack.begin());
}

bool containsIgnoringCase(std::string_view haystack, std::string_view needle)
{
    return findIgnoringCase(haystack, needle) != std::string_view::npos;
}

std::size_t endOfHeaderField(std::string_view text, std::size_t begin)
{
    std::size_t at = begin;
    while (true) {
        std::size_t lf = text.find('\n', at);
        if (lf == std::string_view::npos)
            return text.size();
        std::size_t lineEnd = (lf > begin && text[lf - 1] == '\r') ? lf - 1 : lf;
        if (lf + 1 >= text.size() || (text[lf + 1] != ' ' && text[lf + 1] != '\t'))
            return lineEnd;
        at = lf + 1;
    }
}

std::string unfold(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '\r' || c == '\n')
            continue;
        out.push_back(c == '\t' ? ' ' : c);
    }
    return std::string(trim(out));
}

} // namespace pc::mail
