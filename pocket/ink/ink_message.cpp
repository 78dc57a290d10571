#include "pocket/ink/ink_message.h"

namespace pocket::ink {

bool isThicknessToken(InkToken token)
{
    switch (token) {
    case InkToken::Thickness1:
    case InkToken::Thickness3:
    case InkToken::Thickness5:
    case InkToken::Thickness7:
        return true;
    default:
        return false;
    }
}

bool isColourToken(InkToken token)
{
    return colourOf(token).has_value();
}

int penWidth(InkToken token)
{
    return static_cast<int>(token) - 110;
}

std::optional<Rgb> colourOf(InkToken token)
{
    switch (token) {
    case InkToken::Black:
        return Rgb { 0, 0, 0 };
    case InkToken::White:
        return Rgb { 255, 255, 255 };
    case InkToken::Red:
        return Rgb { 255, 0, 0 };
    case InkToken::Blue:
        return Rgb { 0, 0, 255 };
    case InkToken::Green:
        return Rgb { 0, 255, 0 };
    case InkToken::Cyan:
        return Rgb { 0, 255, 255 };
    case InkToken::Magenta:
        return Rgb { 255, 0, 255 };
    case InkToken::Silver:
        return Rgb { 192, 192, 192 };
    case InkToken::Yellow:
        return Rgb { 255, 255, 0 };
    default:
        return std::nullopt;
    }
}

} // namespace pocket::ink
