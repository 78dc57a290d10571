#pragma once

// File: gui/pocket/pocket_screen.h
// (The namespace is gui::handheld: a gui::pocket would hide ::pocket from
// the other views inside gui.)
// The handheld's screen: 240×320 Pocket PC pixels, drawn `scale` times larger
// on the desktop. Every widget of the handheld window takes its geometry and
// font sizes in device pixels through this. The scale follows the window's
// size, so it may be fractional: lengths are rounded to whole pixels, and a
// rectangle rounds its edges, so that neighbours still meet.

#include "pocket/app/frame_layout.h"

#include <QFont>
#include <QRect>
#include <QString>

#include <algorithm>
#include <cmath>

namespace gui::handheld {

constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;
constexpr int kMenuBarHeight = 26;
// The device's full-screen windows lie between the title band and the menu bar.
constexpr int kDialogHeight = kScreenHeight - ::pocket::app::kTitleBandHeight - kMenuBarHeight;
constexpr int kDefaultScale = 2;

struct PocketScreen {
    double scale = kDefaultScale;

    int px(double devicePixels) const { return static_cast<int>(std::lround(devicePixels * scale)); }
    // The device pixel under a pixel of the desktop.
    int device(double pixels) const { return static_cast<int>(pixels / scale); }
    QRect rect(int x, int y, int width, int height) const
    {
        return QRect(px(x), px(y), px(x + width) - px(x), px(y + height) - px(y));
    }
    // A font `height` device pixels high, in the Korean face when there is one.
    QFont font(int height, bool bold = false) const
    {
        QFont font(QStringLiteral("NanumGothic"));
        font.setPixelSize(std::max(1, px(height)));
        font.setBold(bold);
        return font;
    }
    // Check box indicators drawn at the screen's scale.
    QString checkBoxStyle() const
    {
        return QStringLiteral("QCheckBox::indicator { width: %1px; height: %1px; }").arg(px(10));
    }
};

} // namespace gui::handheld
