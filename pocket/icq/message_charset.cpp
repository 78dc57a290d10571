#include "pocket/icq/message_charset.h"

#include "platform/codepage.h"

#include <optional>

namespace pocket::icq {

namespace {

    constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    constexpr std::string_view kLatin1 = "ISO-8859-1";

    // The text in `codePage`, when every byte reads there. A byte that does
    // not becomes U+FFFD, which no 8-bit code page maps a byte to.
    std::optional<std::string> readCleanly(std::string_view bytes, std::string_view codePage)
    {
        if (platform::isUtf8CodePage(codePage)) {
            if (!platform::isValidUtf8(bytes))
                return std::nullopt;
            return std::string(bytes);
        }
        std::string text = platform::toUtf8(bytes, codePage);
        if (!platform::isValidUtf8(text) || text.find(kReplacement) != std::string::npos)
            return std::nullopt;
        return text;
    }

} // namespace

std::string decodeLocalText(std::string_view bytes, std::string_view codePage)
{
    for (std::string_view candidate : { codePage, platform::kUtf8, platform::kCp949 }) {
        if (auto text = readCleanly(bytes, candidate))
            return std::move(*text);
    }
    return platform::toUtf8(bytes, kLatin1);
}

std::string decodeMessageText(std::string_view bytes, std::uint16_t charset, std::string_view codePage)
{
    if (charset != kCharsetUcs2)
        return decodeLocalText(bytes.substr(0, bytes.find('\0')), codePage);
    std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        if (bytes[2 * i] == '\0' && bytes[2 * i + 1] == '\0') {
            units = i;
            break;
        }
    }
    // UTF-16 reads every UCS-2 text, and surrogate pairs as well.
    return platform::toUtf8(bytes.substr(0, units * 2), "UTF-16BE");
}

} // namespace pocket::icq
