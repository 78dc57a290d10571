#pragma once

// File: gui/pocket/qt_title_band.h
// The title band of the handheld window: the start flag and the program's
// name on the device's blue, with the clock that pocket::device::TitleBand
// draws. It is also the emulated task bar the band covers: a tap the band
// passes to its start button opens the start menu, which lists the
// program's open windows. Taps go to the core through onTap, in device
// pixels. GUI thread only.

#include "gui/pocket/pocket_screen.h"
#include "pocket/device/title_band.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QMenu;

namespace gui::handheld {

class QtTitleBand final : public QWidget,
                          public ::pocket::device::TitleBandView,
                          public ::pocket::device::TaskBar {
public:
    QtTitleBand(const PocketScreen& screen, QWidget* parent);

    QString clockText() const;
    QString linkStateText() const;

    // A tap on the band, at device pixels of the screen.
    std::function<void(int x, int y)> onTap;
    // The start menu the last tap opened, while it is open.
    QMenu* startMenu() const;
    int startTaps() const { return m_startTaps; }

    // TitleBandView.
    void place(const ::pocket::device::Rect& area) override;
    void show() override { QWidget::show(); }
    void drawClock(const std::string& text) override;
    void drawLinkState(const std::string& text) override;

    // TaskBar: the band covers the emulated task bar, so there is nothing
    // under it to hide or pass taps to.
    std::optional<::pocket::device::Rect> clientArea() override;
    void hideForForeground() override { }
    // The start button's tap: the start menu.
    void tap(int x, int y) override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const PocketScreen& m_screen; // The window's, at its current scale.
    QLabel* m_clock = nullptr;
    QLabel* m_linkState = nullptr;
    QPointer<QMenu> m_startMenu;
    int m_startTaps = 0;
};

} // namespace gui::handheld
