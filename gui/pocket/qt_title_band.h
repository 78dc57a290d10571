#pragma once

// File: gui/pocket/qt_title_band.h
// The title band of the handheld window: the start flag and the program's
// name on the device's blue, with the clock that pocket::device::TitleBand
// draws. It is also the emulated task bar the band covers. GUI thread only.

#include "gui/pocket/pocket_screen.h"
#include "pocket/device/title_band.h"

#include <QWidget>

class QLabel;

namespace gui::handheld {

class QtTitleBand final : public QWidget,
                          public ::pocket::device::TitleBandView,
                          public ::pocket::device::TaskBar {
public:
    QtTitleBand(PocketScreen screen, QWidget* parent);

    QString clockText() const;

    // TitleBandView.
    void place(const ::pocket::device::Rect& area) override;
    void show() override { QWidget::show(); }
    void drawClock(const std::string& text) override;

    // TaskBar: the band covers the emulated task bar, so there is nothing
    // under it to hide or pass taps to.
    std::optional<::pocket::device::Rect> clientArea() override;
    void hideForForeground() override { }
    void tap(int, int) override { }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    PocketScreen m_screen;
    QLabel* m_clock = nullptr;
};

} // namespace gui::handheld
