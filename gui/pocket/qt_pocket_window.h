#pragma once

// File: gui/pocket/qt_pocket_window.h
// The frame window of the handheld, drawn as a 240×320 Pocket PC screen
// (scaled): the title band with the clock at the top, the main dialog, and
// the menu bar at the bottom, of which two are made (disconnected and
// connected) and one shows. It implements the frame's window port. Menu
// commands, taps on the
// main dialog's buttons and the window's close button are passed on through
// the callbacks. The window can be resized: the screen takes the largest
// scale (fractional, at least 1) at which it fits, centred, with the rest
// of the window dark around it. GUI thread only.

#include "gui/pocket/pocket_screen.h"
#include "pocket/app/frame_view.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace gui::handheld {

class QtMainDialog;

class QtTitleBand;

class QtPocketWindow final : public QWidget, public ::pocket::app::FrameView {
public:
    explicit QtPocketWindow(PocketScreen screen = {}, QWidget* parent = nullptr);

    std::function<void(int)> onCommand;
    // Asked as a menu opens, for each of its commands; all run when unset.
    std::function<bool(int)> isCommandEnabled;
    std::function<void(int)> onButton;
    // The close button: the frame asks before anything closes.
    std::function<void()> onCloseRequested;
    // The window became the active one.
    std::function<void()> onActivated;
    // Ctrl+Tab (1) and Ctrl+Shift+Tab (-1): the next or previous page.
    std::function<void(int)> onPageStep;
    // The screen took a new scale (the window was resized).
    std::function<void()> onRescaled;

    QtMainDialog* mainDialog() const { return m_dialog; }
    // The menu bar shown now (105 or 204), or 0.
    int shownMenuBar() const { return m_shownMenuBar; }
    QWidget* menuBarWidget(int resource) const { return m_menuBars.value(resource); }
    QtTitleBand* titleBand() const { return m_band; }
    // The screen at its current scale; the window's widgets and the windows
    // given to scaleWithScreen keep a reference to it.
    const PocketScreen& screen() const { return m_screen; }
    // The screen's area inside the window: what the title band, the main
    // dialog and the menu bars lie in.
    QWidget* screenArea() const { return m_area; }
    // A window drawn as a part of the screen (the log-in dialog, the options
    // sheet) is re-laid out with it when the scale changes.
    void scaleWithScreen(QWidget& window);

    // FrameView.
    void loadViewBitmaps() override { }
    void freeViewBitmaps() override { }
    bool createMenuBar(int resource, const std::vector<::pocket::app::Menu>& menus) override;
    void showMenuBar(int resource) override;
    void sizeToScreen() override;
    void createMainDialog(int top) override;
    void createTitleBand() override;
    void layOut(int messengerLayoutCode) override;
    void drawViewButtons(int currentView) override;
    void setControlVisible(int id, bool visible) override;
    void bringToFront() override;
    void destroyMainDialog() override;
    void destroyFrame() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    // The dark border around a screen that does not fill the window.
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Ctrl+Tab and Ctrl+Shift+Tab step through the pages; Escape, when no
    // menu or dialog took it, minimises the window.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Ctrl+Q and F10.
    void addShortcuts();
    // F10: the first menu of the menu bar shown.
    void openFirstMenu();
    void setScale(double scale);

    PocketScreen m_screen;
    QWidget* m_area = nullptr;
    QList<QPointer<QWidget>> m_scaledWindows;
    QtTitleBand* m_band = nullptr;
    QtMainDialog* m_dialog = nullptr;
    QMap<int, QWidget*> m_menuBars;
    int m_shownMenuBar = 0;
    bool m_destroying = false;
};

} // namespace gui::handheld
