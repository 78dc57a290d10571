#pragma once

// File: gui/ink/painter_ink_canvas.h
// An InkCanvas that paints with a QPainter: on a QImage for rendering to a
// file, or on a widget in its paint event. The painter belongs to the
// caller and must outlive this object; window thread only.

#include "pocket/ink/ink_canvas.h"

class QPainter;

namespace gui::ink {

class PainterInkCanvas final : public pocket::ink::InkCanvas {
public:
    explicit PainterInkCanvas(QPainter& painter);

    // Lines have round ends and joins and no antialiasing, the look of the
    // handheld's solid pens.
    void drawLine(pocket::ink::InkPoint from, pocket::ink::InkPoint to, int width,
        pocket::ink::Rgb colour) override;

    // White from (0, 20) to (240, 240), with black lines at y = 20 and 240.
    void clear() override;

private:
    QPainter& m_painter;
};

} // namespace gui::ink
