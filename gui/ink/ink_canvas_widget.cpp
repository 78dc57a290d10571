#include "gui/ink/ink_canvas_widget.h"

#include "gui/ink/painter_ink_canvas.h"

#include <QMouseEvent>
#include <QPainter>

namespace gui::ink {

namespace {

QRect toQRect(const pocket::ink::Rect& rect)
{
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

} // namespace

InkCanvasWidget::InkCanvasWidget(QWidget* parent)
    : QWidget(parent)
    , m_image(kWidth, kHeight, QImage::Format_RGB32)
{
    m_image.fill(Qt::white);
    clear();
    setMinimumSize(kWidth, kHeight);
}

void InkCanvasWidget::setPenHandler(std::function<void(const pocket::ink::PenEvent&)> handler)
{
    m_penHandler = std::move(handler);
}

void InkCanvasWidget::showToolbar(const pocket::ink::ToolbarLook& look)
{
    QPainter painter(&m_image);
    const auto& c = look.colour;
    painter.fillRect(toQRect(look.colourSwatch), QColor(c.red, c.green, c.blue));
    painter.setPen(Qt::black);
    painter.drawRect(toQRect(look.colourSwatch).adjusted(0, 0, -1, -1));
    painter.fillRect(toQRect(look.thicknessBox), Qt::white);
    painter.drawRect(toQRect(look.thicknessBox).adjusted(0, 0, -1, -1));
    painter.fillRect(toQRect(look.thicknessBar), Qt::black);
    update();
}

void InkCanvasWidget::drawLine(pocket::ink::InkPoint from, pocket::ink::InkPoint to, int width,
    pocket::ink::Rgb colour)
{
    QPainter painter(&m_image);
    PainterInkCanvas(painter).drawLine(from, to, width, colour);
    update();
}

void InkCanvasWidget::clear()
{
    QPainter painter(&m_image);
    PainterInkCanvas(painter).clear();
    update();
}

QSize InkCanvasWidget::sizeHint() const
{
    return QSize(kWidth, kHeight);
}

void InkCanvasWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(rect(), m_image);
}

void InkCanvasWidget::mousePressEvent(QMouseEvent* event)
{
    sendPen(pocket::ink::PenAction::Down, event);
}

void InkCanvasWidget::mouseMoveEvent(QMouseEvent* event)
{
    sendPen(pocket::ink::PenAction::Move, event);
}

void InkCanvasWidget::mouseReleaseEvent(QMouseEvent* event)
{
    sendPen(pocket::ink::PenAction::Up, event);
}

void InkCanvasWidget::sendPen(pocket::ink::PenAction action, QMouseEvent* event)
{
    if (!m_penHandler || width() <= 0 || height() <= 0)
        return;
    // The widget may be scaled; pen events are in canvas pixels.
    const QPointF at = event->position();
    const int x = static_cast<int>(at.x() * kWidth / width());
    const int y = static_cast<int>(at.y() * kHeight / height());
    m_penHandler(pocket::ink::PenEvent { action, x, y });
}

} // namespace gui::ink
