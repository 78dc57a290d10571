#include "platform/terminal_text.h"

namespace platform {

namespace {

    void appendHex(std::string& out, unsigned char byte)
    {
        constexpr char kDigits[] = "0123456789ABCDEF";
        out += "\\x";
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0f];
    }

} // namespace

std::string terminalSafe(std::string_view text, bool keepLineBreaks)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n' && keepLineBreaks)
            out += '\n';
        else if (byte == '\t')
            out += "\\t";
        else if (byte == '\n')
            out += "\\n";
        else if (byte == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7f)
            appendHex(out, byte);
        else if (byte == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9f
            && static_cast<unsigned char>(text[i + 1]) >= 0x80) {
            appendHex(out, byte);
            appendHex(out, static_cast<unsigned char>(text[++i]));
        } else
            out += static_cast<char>(byte);
    }
    return out;
}

} // namespace platform
