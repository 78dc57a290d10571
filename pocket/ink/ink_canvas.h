#pragma once

// File: pocket/ink/ink_canvas.h
// The surface a pen message is drawn on. The Qt layer implements it over a
// QPainter; tests implement it with a fake that records the calls.

#include "pocket/ink/ink_message.h"

namespace pocket::ink {

// The drawing area of the window: white from (0, 20) to (240, 240), framed
// by a horizontal line at y = 20 and one at y = 240.
constexpr int kCanvasTop = 20;
constexpr int kCanvasBottom = 240;
constexpr int kCanvasWidth = 240;

class InkCanvas {
public:
    virtual ~InkCanvas() = default;

    // A straight line of the given pen width in pixels and colour.
    virtual void drawLine(InkPoint from, InkPoint to, int width, Rgb colour) = 0;

    // Paints the drawing area white again.
    virtual void clear() = 0;
};

} // namespace pocket::ink
