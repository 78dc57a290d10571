#pragma once

// File: gui/ink/qt_ink_viewer.h
// Viewer windows for received pen messages: a title line, the canvas and
// "OK". QtInkViewerHost creates them for pocket::ink::InkViewers, which
// decides what they show. GUI thread only.

#include "pocket/ink/ink_viewer.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;

namespace gui::ink {

class InkCanvasWidget;

class QtInkViewerWindow final : public QWidget {
public:
    QtInkViewerWindow(QWidget* parent = nullptr);

    QLabel* titleLabel() const { return m_title; }
    InkCanvasWidget* canvasWidget() const { return m_canvas; }

    std::function<void()> onOk;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void runOk();

    QLabel* m_title = nullptr;
    InkCanvasWidget* m_canvas = nullptr;
};

class QtInkViewerHost final : public pocket::ink::InkViewerHost {
public:
    // The viewers the windows report to; set before the first open().
    void setViewers(pocket::ink::InkViewers* viewers) { m_viewers = viewers; }

    std::unique_ptr<pocket::ink::InkViewerView> createViewerView(int slot) override;

private:
    pocket::ink::InkViewers* m_viewers = nullptr;
};

} // namespace gui::ink
