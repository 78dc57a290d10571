#include "pc/mail/raw_message.h"

#include "pc/mail/text_util.h"

namespace pc::mail {

std::string undoDotStuffing(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool lineStart = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (lineStart && c == '.' && i + 1 < text.size() && text[i + 1] == '.') {
            lineStart = false;
            continue;
        }
        out.push_back(c);
        lineStart = c == '\n';
    }
    return out;
}

RawParts splitRawMessage(std::string_view rawText)
{
    std::size_t statusEnd = rawText.find("\r\n");
    std::string_view rest = statusEnd == std::string_view::npos ? std::string_view() : rawText.substr(statusEnd + 2);
    // The terminator "\r\n.\r\n" is the first line made of "." alone: inside
    // the message such a line is always dot-stuffed.
    if (rest.starts_with(".\r\n"))
        return {};
    std::size_t terminator = rest.find("\r\n.\r\n");
    if (terminator != std::string_view::npos)
        rest = rest.substr(0, terminator + 2);
    std::string text = undoDotStuffing(rest);
    std::size_t separator = text.find("\r\n\r\n");
    if (separator == std::string::npos)
        return { std::string(rtrim(text)), {} };
    return { text.substr(0, separator), text.substr(separator + 4) };
}

} // namespace pc::mail
