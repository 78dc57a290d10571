#pragma once

// File: gui/pocket/pocket_scaling.h
// The handheld's scale carried to every window it opens. While a
// PocketScaling lives, the application's font is the screen's text font at
// the handheld's scale, so message boxes, menus, file choosers and dialogs
// without fonts of their own are drawn as large as the handheld; and each
// window the program shows (other than the handheld window and pop-up menus)
// is placed centred over the handheld window, inside the free area of the
// handheld's screen; one sized as a device window takes the device's
// full-screen size at the handheld's scale as it shows. GUI thread only.

#include "gui/pocket/pocket_screen.h"

#include <QFont>
#include <QObject>
#include <QPointer>

class QScreen;
class QWidget;

namespace gui::handheld {

// The default --scale: the largest whole scale, at most 2, at which the
// handheld window with a usual frame fits the screen's free area.
int defaultScale(const QScreen* screen);

// Makes `window` one of the device's full-screen windows (kScreenWidth by
// kDialogHeight device pixels): sized so at scale 1 now, and at the
// handheld's scale of the moment each time it is shown.
void sizeAsDeviceWindow(QWidget& window);

class PocketScaling final : public QObject {
public:
    // The text size of dialogs, in device pixels.
    static constexpr int kTextHeight = 11;

    PocketScaling(QWidget& handheld, PocketScreen screen);
    ~PocketScaling() override; // Gives the application its font back.

    // The handheld's screen took a new scale: so do the windows open now
    // (sized and centred anew) and those opened from now.
    void setScreen(const PocketScreen& screen);

    // Centres `window` over the handheld window, inside the screen's free area.
    void place(QWidget& window) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A device window takes the screen's size; each window is then placed.
    void fit(QWidget& window);

    QPointer<QWidget> m_handheld;
    PocketScreen m_screen;
    QFont m_previousFont;
};

} // namespace gui::handheld
