#pragma once

// File: gui/ink/qt_ink_composer_window.h
// The pen-message window: canvas with toolbar row, the colour and thickness
// palettes, a status line sharing its place with a progress bar, and the
// buttons "New", "Quit" and "Send". It shows what InkComposer tells it and
// passes the user's actions to it; it decides nothing itself. GUI thread.

#include "platform/clock.h"
#include "pocket/ink/ink_composer.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace gui::ink {

class InkCanvasWidget;

class QtInkComposerWindow final : public QWidget, public pocket::ink::InkComposerView {
public:
    QtInkComposerWindow(platform::Clock& clock, QWidget* parent = nullptr);

    // The composer this window reports to; set once it has been created.
    void setComposer(pocket::ink::InkComposer* composer);

    // What the composer calls.
    pocket::ink::InkCanvas& canvas() override;
    void setStatus(std::string_view text) override;
    void setSendEnabled(bool enabled) override;
    void setNewEnabled(bool enabled) override;
    void setProgressVisible(bool visible) override;
    void setProgress(int percent) override;
    void showPalette(pocket::ink::Palette palette, bool shown) override;
    void showToolbar(const pocket::ink::ToolbarLook& look) override;
    void close() override;

    // For tests and the frame.
    QPushButton* sendButton() const { return m_send; }
    QPushButton* newButton() const { return m_new; }
    QPushButton* quitButton() const { return m_quit; }
    QLabel* statusLabel() const { return m_status; }
    InkCanvasWidget* canvasWidget() const { return m_canvas; }
    QWidget* paletteRow(pocket::ink::Palette palette) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildColourPalette();
    QWidget* buildThicknessPalette();

    platform::Clock& m_clock;
    pocket::ink::InkComposer* m_composer = nullptr;
    InkCanvasWidget* m_canvas = nullptr;
    QStackedWidget* m_statusPlace = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QWidget* m_colourPalette = nullptr;
    QWidget* m_thicknessPalette = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_quit = nullptr;
    QPushButton* m_send = nullptr;
    bool m_closing = false;
};

} // namespace gui::ink
