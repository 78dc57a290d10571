#include "pc/mail/raw_message.h"

#include "pc/mail/text_util.h"

namespace pc::mail {

std::string undoDotStuffing(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    // A stuffed line starts with "..": at the very start or behind a "\n".
    if (text.starts_with("..")) {
        out += '.';
        copied = 2;
    }
    std::size_t at = copied;
    while (true) {
        std::size_t stuffed = text.find("\n..", at);
        if (stuffed == std::string_view::npos)
            break;
        out.append(text.substr(copied, stuffed + 2 - copied));
        copied = stuffed + 3;
        at = copied;
    }
    out.append(text.substr(copied));
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
    std::size_t separator = rest.find("\r\n\r\n");
    if (separator == std::string_view::npos)
        return { undoDotStuffing(rtrim(rest)), {} };
    // No line starts inside "\r\n\r\n", so both halves unstuff on their own.
    return { undoDotStuffing(rest.substr(0, separator)), undoDotStuffing(rest.substr(separator + 4)) };
}

} // namespace pc::mail
