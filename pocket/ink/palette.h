#pragma once

// File: pocket/ink/palette.h
// The composer's colour and thickness palettes (which button stands for
// which token) and where the toolbar shows the current choice.

#include "pocket/ink/ink_message.h"

#include <array>
#include <string_view>

namespace pocket::ink {

struct PaletteButton {
    std::string_view label;
    InkToken token;
};

// Left to right; the palette row ends with the close button kPaletteClose.
constexpr std::array<PaletteButton, 9> kColourPalette { {
    { "red", InkToken::Red },
    { "blue", InkToken::Blue },
    { "green", InkToken::Green },
    { "cyan", InkToken::Cyan },
    { "magenta", InkToken::Magenta },
    { "yellow", InkToken::Yellow },
    { "black", InkToken::Black },
    { "white", InkToken::White },
    { "silver", InkToken::Silver },
} };

constexpr std::array<PaletteButton, 4> kThicknessPalette { {
    { "1 Pt", InkToken::Thickness1 },
    { "3 Pt", InkToken::Thickness3 },
    { "5 Pt", InkToken::Thickness5 },
    { "7 Pt", InkToken::Thickness7 },
} };

constexpr std::string_view kPaletteClose = "X";

// Left and top inclusive, right and bottom exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The toolbar row below the canvas, where pen-ups open the palettes.
constexpr Rect kToolbarRow { 0, 256, 240, 275 };
constexpr Rect kColourButtonHit { 132, 256, 151, 275 };
constexpr Rect kThicknessButtonHit { 159, 256, 178, 275 };

// What the toolbar shows for the current pen: the colour as a filled square,
// and the thickness as a black bar as high as the pen width, centred on
// y = 265, inside a white square.
struct ToolbarLook {
    Rect colourSwatch;
    Rgb colour;
    Rect thicknessBox;
    Rect thicknessBar;
};

ToolbarLook toolbarLook(InkToken colour, InkToken thickness);

} // namespace pocket::ink
