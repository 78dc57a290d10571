#include "platform/codec/quoted_printable.h"

#include "platform/codec/percent_encoding.h"

namespace platform::codec {
namespace {

// Returns the byte of "XX" at text[i], or -1 when the two are not hex digits.
int hexByte(std::string_view text, std::size_t i)
{
    int high = hexDigitValue(text[i]);
    int low = hexDigitValue(text[i + 1]);
    if (high < 0 || low < 0)
        return -1;
    return high * 16 + low;
}

} // namespace

std::string decodeQuotedPrintable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c != '=') {
            out.push_back(c);
            ++i;
            continue;
        }
        // Accept a soft break made of "=" and a bare LF: some mailers send it.
        if (i + 1 < text.size() && text[i + 1] == '\n') {
            i += 2;
            continue;
        }
        if (i + 2 >= text.size())
            break;
        if (text[i + 1] == '\r' && text[i + 2] == '\n') {
            i += 3;
            continue;
        }
        int byte = hexByte(text, i + 1);
        if (byte >= 0) {
            out.push_back(static_cast<char>(byte));
        } else {
            out.push_back(text[i + 1]);
            out.push_back(text[i + 2]);
        }
        i += 3;
    }
    return out;
}

std::string decodeQEncoding(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '_') {
            out.push_back(' ');
        } else if (c == '=' && i + 2 < text.size() && hexByte(text, i + 1) >= 0) {
            out.push_back(static_cast<char>(hexByte(text, i + 1)));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace platform::codec
