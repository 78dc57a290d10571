#pragma once

// File: pocket/ink/ink_message.h
// The stroke model of a pen message. A message is an ordered sequence of
// items, each either a token (one byte of 100 or more) or a point (four bytes
// of 0-99 on the wire). A well-formed message is zero or more strokes, each
// "e", a thickness token, a colour token, one or more points and "f",
// followed by the end token "g".
//
// Values only; no threads, no I/O.

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace pocket::ink {

// One token byte. Named values are those the format gives a meaning; a
// message read from outside may hold any other byte of 100 or more, which is
// why this is an enum with a fixed underlying type and not a closed set.
enum class InkToken : std::uint8_t {
    LineStart = 0x65, // "e"
    LineEnd = 0x66, // "f"
    MessageEnd = 0x67, // "g"
    Thickness1 = 0x6F, // "o", 1 pixel
    Thickness3 = 0x71, // "q", 3 pixels
    Thickness5 = 0x73, // "s", 5 pixels
    Thickness7 = 0x75, // "u", 7 pixels
    Black = 0x79, // "y"
    White = 0x7A, // "z"
    Red = 0x7B, // "{"
    Blue = 0x7C, // "|"
    Green = 0x7D, // "}"
    Cyan = 0x7E, // "~"
    Magenta = 0x7F,
    Silver = 0x80,
    Yellow = 0x81,
};

// Bytes below this value start a point; this value and above are tokens.
constexpr std::uint8_t kFirstTokenByte = 100;

// A pixel position in the drawing window. Points written to a file split
// each coordinate into hundreds and remainder, so both stay below 10000.
struct InkPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const InkPoint&, const InkPoint&) = default;
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

using InkItem = std::variant<InkToken, InkPoint>;

bool isThicknessToken(InkToken token);
bool isColourToken(InkToken token);

// Pen width in pixels of a thickness token: the byte minus 110.
int penWidth(InkToken token);

// The colour of a colour token; nothing for any other byte.
std::optional<Rgb> colourOf(InkToken token);

// The items of one message in recording (or reading) order.
class InkMessage {
public:
    void append(InkToken token) { m_items.emplace_back(token); }
    void append(InkPoint point) { m_items.emplace_back(point); }
    void clear() { m_items.clear(); }

    bool isEmpty() const { return m_items.empty(); }
    std::size_t size() const { return m_items.size(); }
    const std::vector<InkItem>& items() const { return m_items; }

    friend bool operator==(const InkMessage&, const InkMessage&) = default;

private:
    std::vector<InkItem> m_items;
};

inline bool isToken(const InkItem& item, InkToken token)
{
    const auto* held = std::get_if<InkToken>(&item);
    return held && *held == token;
}

inline bool isPoint(const InkItem& item)
{
    return std::holds_alternative<InkPoint>(item);
}

} // namespace pocket::ink
