#include "pc/mail/charset.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cctype>

namespace pc::mail {
namespace {

std::string lowerTrimmed(std::string_view label)
{
    std::string out;
    for (char c : label) {
        if (c == '"' || c == '\'' || c == ' ' || c == '\t')
            continue;
        out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    // A language suffix of RFC 2231 ("euc-kr*ko") is not part of the name.
    if (auto star = out.find('*'); star != std::string::npos)
        out.resize(star);
    return out;
}

struct Alias {
    std::string_view label;
    std::string_view iconvName;
};

// CP949 is a superset of EUC-KR: Korean mailers labelled CP949 text with
// either name, so both are read as CP949.
constexpr Alias kAliases[] = {
    { "ks_c_5601-1987", "CP949" },
    { "ks_c_5601", "CP949" },
    { "ksc5601", "CP949" },
    { "ksc_5601", "CP949" },
    { "euc-kr", "CP949" },
    { "euckr", "CP949" },
    { "x-euc-kr", "CP949" },
    { "cp949", "CP949" },
    { "ms949", "CP949" },
    { "uhc", "CP949" },
    { "windows-949", "CP949" },
    { "x-windows-949", "CP949" },
    { "korean", "CP949" },
    { "iso-2022-kr", "ISO-2022-KR" },
    { "csiso2022kr", "ISO-2022-KR" },
    { "us-ascii", "" },
    { "ascii", "" },
    { "utf-8", "" },
    { "utf8", "" },
};

} // namespace

std::string iconvCharsetName(std::string_view label)
{
    std::string name = lowerTrimmed(label);
    if (name.empty())
        return {};
    for (const auto& alias : kAliases) {
        if (alias.label == name)
            return std::string(alias.iconvName);
    }
    return name;
}

std::string toPcCodePage(std::string_view bytes, std::string_view charset)
{
    std::string name = iconvCharsetName(charset);
    if (name.empty() || bytes.empty())
        return std::string(bytes);
    return platform::charsetToCodePage(bytes, name, kPcCodePage);
}

std::string toPcCodePage(std::string&& bytes, std::string_view charset)
{
    if (iconvCharsetName(charset).empty())
        return std::move(bytes);
    return toPcCodePage(std::string_view(bytes), charset);
}

std::string undeclaredHeaderText(std::string_view bytes, std::string_view declaredCharset)
{
    bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return std::string(bytes);
    if (!iconvCharsetName(declaredCharset).empty())
        return validUtf8(toPcCodePage(bytes, declaredCharset));
    return validUtf8(std::string(bytes));
}

std::string validUtf8(std::string text)
{
    if (platform::isValidUtf8(text))
        return text;
    // CP949 reads every byte sequence; what it cannot read becomes U+FFFD.
    return platform::toUtf8(text, platform::kCp949);
}

} // namespace pc::mail
