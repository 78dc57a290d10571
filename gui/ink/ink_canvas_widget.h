#pragma once

// File: gui/ink/ink_canvas_widget.h
// The drawing window of the composer and the viewer: a 240-pixel-wide
// canvas with the toolbar row below it, shown as large as the widget allows
// with its proportions kept, centred on a grey ground. Strokes
// are painted into a backing image, so a repaint shows them all again. Pen
// input becomes pocket::ink::PenEvent in canvas pixels; what they mean is
// decided by pocket::ink::InkRecorder, not here. GUI thread only.

#include "pocket/ink/ink_canvas.h"
#include "pocket/ink/ink_recorder.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace gui::ink {

class InkCanvasWidget final : public QWidget, public pocket::ink::InkCanvas {
public:
    // Canvas pixels: the drawing area and the toolbar row below it.
    static constexpr int kWidth = 240;
    static constexpr int kHeight = 275;

    explicit InkCanvasWidget(QWidget* parent = nullptr);

    // Called with every pen event; set by whoever owns the recorder.
    void setPenHandler(std::function<void(const pocket::ink::PenEvent&)> handler);

    // Shows the current pen in the toolbar row (no toolbar in the viewer).
    void showToolbar(const pocket::ink::ToolbarLook& look);

    void drawLine(pocket::ink::InkPoint from, pocket::ink::InkPoint to, int width,
        pocket::ink::Rgb colour) override;
    void clear() override;

    const QImage& image() const { return m_image; }

    // The smallest the canvas is shown: `scale` times its own pixels, as
    // the handheld's screen is drawn.
    void setScale(double scale);
    // Where the canvas is drawn within the widget.
    QRect canvasRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void sendPen(pocket::ink::PenAction action, QMouseEvent* event);

    QImage m_image;
    double m_scale = 1.0;
    std::function<void(const pocket::ink::PenEvent&)> m_penHandler;
};

} // namespace gui::ink
