#include "platform/codepage.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <iterator>

namespace platform {
namespace {

std::string lowerTrimmed(std::string_view label)
{
    while (!label.empty() && (label.front() == ' ' || label.front() == '"' || label.front() == '\''))
        label.remove_prefix(1);
    while (!label.empty() && (label.back() == ' ' || label.back() == '"' || label.back() == '\''))
        label.remove_suffix(1);
    std::string lower(label);
    for (auto& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    return lower;
}

bool isUtf8Name(std::string_view name)
{
    auto lower = lowerTrimmed(name);
    return lower == "utf-8" || lower == "utf8";
}

// The length of the valid UTF-8 sequence at the front, or 0 when the first
// byte does not start one.
std::size_t sequenceLength(std::string_view text)
{
    if (text.empty())
        return 0;
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0)
            low = 0xa0; // No overlong forms.
        if (lead == 0xed)
            high = 0x9f; // No surrogates.
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0)
            low = 0x90;
        if (lead == 0xf4)
            high = 0x8f;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    if (byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xbf)
            return 0;
    }
    return length;
}

// Converts with iconv, putting `replacement` in place of each input byte
// that cannot be converted. Returns the input unchanged when iconv does not
// know one of the names.
std::string convert(std::string_view bytes, const std::string& from, const std::string& to,
    std::string_view replacement)
{
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 3 / 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    for (;;) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t done = inLeft > 0 ? iconv(cd, &in, &inLeft, &outPtr, &outLeft) : iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        int failure = done == static_cast<std::size_t>(-1) ? errno : 0;
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (failure == E2BIG)
            continue;
        if (failure == EILSEQ || failure == EINVAL) {
            // Skip one whole UTF-8 character when reading UTF-8, else one byte.
            std::size_t skip = 1;
            if (isUtf8Name(from))
                skip = std::max<std::size_t>(1, sequenceLength(std::string_view(in, inLeft)));
            skip = std::min(skip, inLeft);
            in += skip;
            inLeft -= skip;
            out += replacement;
            continue;
        }
        if (failure != 0 || inLeft == 0) {
            if (inLeft == 0 && failure == 0) {
                // Flush any shift state (ISO-2022-KR).
                outPtr = buffer;
                outLeft = sizeof buffer;
                iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
                out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            }
            break;
        }
    }
    iconv_close(cd);
    return out;
}

bool iconvConverts(const std::string& from, const std::string& to)
{
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(cd);
    return true;
}

bool isDoubleByteCodePage(std::string_view codePage)
{
    static constexpr std::string_view kNames[] = { "cp949", "euc-kr", "euckr", "uhc", "windows-949", "cp936", "gbk",
        "gb2312", "cp932", "shift_jis", "sjis", "cp950", "big5" };
    auto lower = lowerTrimmed(codePage);
    return std::find(std::begin(kNames), std::end(kNames), lower) != std::end(kNames);
}

} // namespace

std::string toUtf8(std::string_view bytes, std::string_view codePage)
{
    if (isUtf8CodePage(codePage))
        return std::string(bytes);
    return convert(bytes, std::string(codePage), "UTF-8", "\xef\xbf\xbd");
}

std::string fromUtf8(std::string_view text, std::string_view codePage)
{
    if (isUtf8CodePage(codePage))
        return std::string(text);
    return convert(text, "UTF-8", std::string(codePage), "?");
}

std::string charsetName(std::string_view label)
{
    auto lower = lowerTrimmed(label);
    if (lower.empty())
        return {};
    static constexpr std::string_view kKorean[] = { "ks_c_5601-1987", "ks_c_5601", "euc-kr", "x-windows-949", "cp949",
        "windows-949", "euc_kr", "ks_c_5601-1989", "uhc" };
    for (auto korean : kKorean) {
        if (lower == korean)
            return std::string(kCp949);
    }
    if (lower == "iso-2022-kr")
        return "ISO-2022-KR";
    if (isUtf8Name(lower))
        return std::string(kUtf8);
    return iconvConverts(lower, "UTF-8") ? lower : std::string();
}

std::string charsetToUtf8(std::string_view bytes, std::string_view label)
{
    auto name = charsetName(label);
    if (name.empty())
        return std::string(bytes);
    return toUtf8(bytes, name);
}

std::string charsetToCodePage(std::string_view bytes, std::string_view label, std::string_view codePage)
{
    auto name = charsetName(label);
    if (name.empty())
        return std::string(bytes);
    if (lowerTrimmed(name) == lowerTrimmed(codePage) || (isUtf8Name(name) && isUtf8Name(codePage)))
        return std::string(bytes);
    return fromUtf8(toUtf8(bytes, name), codePage);
}

std::size_t countCodePoints(std::string_view text)
{
    std::size_t count = 0;
    while (!text.empty()) {
        text.remove_prefix(std::max<std::size_t>(1, sequenceLength(text)));
        ++count;
    }
    return count;
}

std::string_view cutCodePoints(std::string_view text, std::size_t limit)
{
    std::size_t used = 0;
    for (std::size_t count = 0; count < limit && used < text.size(); ++count)
        used += std::max<std::size_t>(1, sequenceLength(text.substr(used)));
    return text.substr(0, used);
}

std::string_view cutBytes(std::string_view text, std::size_t limit)
{
    std::size_t used = 0;
    while (used < text.size()) {
        std::size_t step = std::max<std::size_t>(1, sequenceLength(text.substr(used)));
        if (used + step > limit)
            break;
        used += step;
    }
    return text.substr(0, used);
}

bool isValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        auto length = sequenceLength(text);
        if (length == 0)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

std::string_view cutAnsi(std::string_view text, std::size_t limit, std::string_view codePage)
{
    if (text.size() <= limit)
        return text;
    if (isUtf8CodePage(codePage))
        return cutBytes(text, limit);
    if (!isDoubleByteCodePage(codePage))
        return text.substr(0, limit);
    std::size_t position = 0;
    while (position < limit) {
        std::size_t width = static_cast<unsigned char>(text[position]) >= 0x81 ? 2 : 1;
        if (position + width > limit)
            break;
        position += width;
    }
    return text.substr(0, position);
}

bool isUtf8CodePage(std::string_view codePage)
{
    return codePage.empty() || isUtf8Name(codePage);
}

bool isKnownCodePage(std::string_view codePage)
{
    if (codePage.empty())
        return false;
    if (isUtf8Name(codePage))
        return true;
    std::string name(codePage);
    return iconvConverts(name, "UTF-8") && iconvConverts("UTF-8", name);
}

std::size_t encodedSize(std::string_view text, std::string_view codePage)
{
    return isUtf8CodePage(codePage) ? text.size() : fromUtf8(text, codePage).size();
}

} // namespace platform
