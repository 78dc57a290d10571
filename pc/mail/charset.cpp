#include "pc/mail/charset.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iconv.h>

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

class IconvHandle {
public:
    IconvHandle(const std::string& from)
        : m_handle(iconv_open(std::string(kPcCodePage).c_str(), from.c_str()))
    {
    }
    ~IconvHandle()
    {
        if (isOpen())
            iconv_close(m_handle);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool isOpen() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_handle; }

private:
    iconv_t m_handle;
};

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

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
    IconvHandle handle(name);
    if (!handle.isOpen())
        return std::string(bytes);

    std::string out;
    out.reserve(bytes.size() * 3 / 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    while (true) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t rc = inLeft > 0 ? iconv(handle.get(), &in, &inLeft, &outPtr, &outLeft)
                                    : iconv(handle.get(), nullptr, nullptr, &outPtr, &outLeft);
        int error = errno;
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (rc != static_cast<std::size_t>(-1)) {
            if (inLeft == 0 && outPtr == buffer)
                break;
            continue;
        }
        if (error == E2BIG)
            continue;
        // Invalid or truncated input: mark it and go on behind the bad byte.
        out.append(kReplacement);
        if (inLeft == 0)
            break;
        ++in;
        --inLeft;
    }
    return out;
}

std::string toPcCodePage(std::string&& bytes, std::string_view charset)
{
    if (iconvCharsetName(charset).empty())
        return std::move(bytes);
    return toPcCodePage(std::string_view(bytes), charset);
}

std::string_view cutUtf8(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    // Step back over continuation bytes so that a sequence is kept whole or
    // dropped whole.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::size_t countCodePoints(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(),
        [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace pc::mail
