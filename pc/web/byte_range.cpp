#include "pc/web/byte_range.h"

#include <optional>

namespace pc::web {

namespace {

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::optional<std::uint64_t> number(std::string_view digits)
{
    if (digits.empty() || digits.size() > kMaxRangeDigits)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        if (x != b[i])
            return false;
    }
    return true;
}

} // namespace

ByteRange parseByteRange(std::string_view value, std::uint64_t fileSize)
{
    const ByteRange whole;
    value = trim(value);
    auto equals = value.find('=');
    if (equals == std::string_view::npos || !equalsIgnoringCase(trim(value.substr(0, equals)), "bytes"))
        return whole;
    std::string_view set = trim(value.substr(equals + 1));
    if (set.find(',') != std::string_view::npos)
        return whole; // Several ranges: no multipart answers here.
    auto dash = set.find('-');
    if (dash == std::string_view::npos)
        return whole;
    std::string_view from = trim(set.substr(0, dash));
    std::string_view to = trim(set.substr(dash + 1));
    ByteRange range;
    range.kind = ByteRange::Kind::Partial;
    if (from.empty()) {
        auto suffix = number(to);
        if (!suffix)
            return whole;
        if (*suffix == 0 || fileSize == 0)
            return { ByteRange::Kind::Unsatisfiable, 0, 0 };
        range.first = *suffix >= fileSize ? 0 : fileSize - *suffix;
        range.last = fileSize - 1;
        return range;
    }
    auto first = number(from);
    if (!first)
        return whole;
    std::optional<std::uint64_t> last = fileSize == 0 ? 0 : fileSize - 1;
    if (!to.empty()) {
        last = number(to);
        if (!last || *last < *first)
            return whole; // Last before first: an invalid range; the header is ignored.
    }
    if (*first >= fileSize)
        return { ByteRange::Kind::Unsatisfiable, 0, 0 };
    range.first = *first;
    range.last = std::min(*last, fileSize - 1);
    return range;
}

std::string contentRangeValue(const ByteRange& range, std::uint64_t fileSize)
{
    if (range.kind != ByteRange::Kind::Partial)
        return "bytes */" + std::to_string(fileSize);
    return "bytes " + std::to_string(range.first) + "-" + std::to_string(range.last) + "/" + std::to_string(fileSize);
}

} // namespace pc::web
