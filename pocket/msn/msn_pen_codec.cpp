#include "pocket/msn/msn_pen_codec.h"

#include "pocket/msn/msn_wire.h"

#include <algorithm>

namespace pocket::msn {

namespace {
    constexpr std::size_t kUnescapeBytes = 1024;
} // namespace

std::string probeText(std::string_view visitAddress)
{
    return std::string(1, kPenMark) + " Visit " + std::string(visitAddress);
}

std::string penPayload(char digit, std::string_view data)
{
    std::string payload(kTextHeader);
    payload += kPenMark;
    payload += digit;
    payload.append(data);
    return payload;
}

std::string messageCommand(int transactionId, std::string_view payload)
{
    return "MSG " + std::to_string(transactionId) + " N " + std::to_string(payload.size()) + "\r\n"
        + std::string(payload);
}

std::string escapeChunk(std::string_view chunk)
{
    std::string out(chunk);
    for (char& c : out) {
        if (c == '\0')
            c = 'k';
        else if (c == '\n')
            c = 'i';
        else if (c == '\r')
            c = 'j';
    }
    return out;
}

std::optional<PenMessage> parsePenMessage(std::string_view body)
{
    if (body.size() < 2 || body[0] != kPenMark)
        return std::nullopt;
    return PenMessage { body[1], std::string(body.substr(2)) };
}

std::string unescapeChunk(std::string_view body)
{
    std::string out(body.substr(0, std::min(body.size(), kUnescapeBytes)));
    for (char& c : out) {
        if (c == 'k') {
            c = '\0';
        } else if (c == 'i') {
            c = '\n';
        } else if (c == 'j') {
            c = '\r';
        } else if (c == kPadding) {
            c = kEndOfInk;
            break;
        }
    }
    // The 0x07 and the digit come before the data.
    if (out.size() <= 2)
        return {};
    return out.substr(2, kChunkBytes);
}

} // namespace pocket::msn
