#include "pocket/ink/ink_codec.h"

#include <algorithm>

namespace pocket::ink {

namespace {

constexpr int kMaxCoordinate = 99 * 100 + 99;

void appendPoint(std::string& out, InkPoint point)
{
    // Only coordinates 0-9999 fit in two bytes below 100; a wider value would
    // turn into a token byte, so it is held at the edge instead.
    const int x = std::clamp(point.x, 0, kMaxCoordinate);
    const int y = std::clamp(point.y, 0, kMaxCoordinate);
    out.push_back(static_cast<char>(x / 100));
    out.push_back(static_cast<char>(x % 100));
    out.push_back(static_cast<char>(y / 100));
    out.push_back(static_cast<char>(y % 100));
}

void appendToken(std::string& out, InkToken token)
{
    out.push_back(static_cast<char>(token));
}

} // namespace

std::string_view readErrorText(ReadError error)
{
    switch (error) {
    case ReadError::Missing:
        return "The Message does not exist..";
    case ReadError::InvalidEnd:
        return "Invalid end of Message File..";
    }
    return "Invalid end of Message File..";
}

std::string encodeInk(const InkMessage& message)
{
    const auto& items = message.items();
    std::string out;
    out.reserve(items.size() * 4 + 1);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (const auto* token = std::get_if<InkToken>(&items[i])) {
            appendToken(out, *token);
            continue;
        }
        appendPoint(out, std::get<InkPoint>(items[i]));
        // A stroke whose pen left the window without a pen-up inside it is
        // still open here. Closing it keeps its last point; dropping the
        // point in favour of "f" would lose the final segment.
        const bool last = i + 1 == items.size();
        if (last || isToken(items[i + 1], InkToken::LineStart))
            appendToken(out, InkToken::LineEnd);
    }
    appendToken(out, InkToken::MessageEnd);
    return out;
}

platform::Result<InkMessage, ReadError> decodeInk(std::string_view bytes)
{
    InkMessage message;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto byte = static_cast<std::uint8_t>(bytes[at]);
        if (byte >= kFirstTokenByte) {
            ++at;
            const auto token = static_cast<InkToken>(byte);
            if (token == InkToken::MessageEnd)
                return message;
            message.append(token);
            continue;
        }
        if (bytes.size() - at < 4)
            return platform::unexpected(ReadError::InvalidEnd);
        // Each byte of a point is below 100 only in files this program
        // writes; a larger one still yields a coordinate, as it always has.
        const auto b = [&](std::size_t k) { return static_cast<std::uint8_t>(bytes[at + k]); };
        message.append(InkPoint { b(0) * 100 + b(1), b(2) * 100 + b(3) });
        at += 4;
    }
    return platform::unexpected(ReadError::InvalidEnd);
}

} // namespace pocket::ink
