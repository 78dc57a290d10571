#include "gui/ink/ink_canvas_widget.h"

#include "gui/ink/painter_ink_canvas.h"

#include <QMouseEvent>

#include <algorithm>
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

void InkCanvasWidget::setScale(double scale)
{
    m_scale = std::max(1.0, scale);
    setMinimumSize(sizeHint());
    updateGeometry();
    update();
}

QRect InkCanvasWidget::canvasRect() const
{
    const double fit = std::min(static_cast<double>(width()) / kWidth, static_cast<double>(height()) / kHeight);
    const int shownWidth = std::max(1, static_cast<int>(kWidth * fit));
    const int shownHeight = std::max(1, static_cast<int>(kHeight * fit));
    return QRect((width() - shownWidth) / 2, (height() - shownHeight) / 2, shownWidth, shownHeight);
}

QSize InkCanvasWidget::sizeHint() const
{
    return QSize(static_cast<int>(kWidth * m_scale + 0.5), static_cast<int>(kHeight * m_scale + 0.5));
}

void InkCanvasWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect shown = canvasRect();
    if (shown.size() != size())
        painter.fillRect(rect(), palette().window());
    painter.drawImage(shown, m_image);
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
    const QRect shown = canvasRect();
    if (!m_penHandler || shown.width() <= 0 || shown.height() <= 0)
        return;
    // The canvas may be scaled; pen events are in canvas pixels.
    const QPointF at = event->position() - QPointF(shown.topLeft());
    const int x = static_cast<int>(at.x() * kWidth / shown.width());
    const int y = static_cast<int>(at.y() * kHeight / shown.height());
    m_penHandler(pocket::ink::PenEvent { action, x, y });
}

} // namespace gui::ink
