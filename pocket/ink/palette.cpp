#include "pocket/ink/palette.h"

namespace pocket::ink {

namespace {

constexpr Rect kColourSwatch { 131, 255, 151, 275 };
constexpr Rect kThicknessBox { 158, 255, 178, 275 };
constexpr int kBarCentreY = 265;
constexpr int kBarInset = 3;

} // namespace

ToolbarLook toolbarLook(InkToken colour, InkToken thickness)
{
    const int width = isThicknessToken(thickness) ? penWidth(thickness) : 0;
    const int top = kBarCentreY - width / 2;
    return ToolbarLook {
        kColourSwatch,
        colourOf(colour).value_or(Rgb {}),
        kThicknessBox,
        Rect { kThicknessBox.left + kBarInset, top, kThicknessBox.right - kBarInset, top + width },
    };
}

} // namespace pocket::ink
