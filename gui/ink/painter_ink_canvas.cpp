#include "gui/ink/painter_ink_canvas.h"

#include <QPainter>
#include <QPen>

namespace gui::ink {

using pocket::ink::kCanvasBottom;
using pocket::ink::kCanvasTop;
using pocket::ink::kCanvasWidth;

PainterInkCanvas::PainterInkCanvas(QPainter& painter)
    : m_painter(painter)
{
}

void PainterInkCanvas::drawLine(pocket::ink::InkPoint from, pocket::ink::InkPoint to, int width,
    pocket::ink::Rgb colour)
{
    QPen pen(QColor(colour.red, colour.green, colour.blue));
    pen.setWidth(width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setPen(pen);
    m_painter.drawLine(from.x, from.y, to.x, to.y);
}

void PainterInkCanvas::clear()
{
    m_painter.fillRect(0, kCanvasTop, kCanvasWidth, kCanvasBottom - kCanvasTop, Qt::white);
    QPen frame(Qt::black);
    frame.setWidth(1);
    m_painter.setPen(frame);
    m_painter.drawLine(0, kCanvasTop, kCanvasWidth, kCanvasTop);
    m_painter.drawLine(0, kCanvasBottom, kCanvasWidth, kCanvasBottom);
}

} // namespace gui::ink
