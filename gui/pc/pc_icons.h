#pragma once

// File: gui/pc/pc_icons.h
// The PC program's artwork, drawn with QPainter so that it scales cleanly:
// the program's icon (window and tray) and the pictures of the seven buttons.

#include <QIcon>

namespace gui::pc {

enum class ButtonPicture {
    StartServer,
    StopServer,
    ViewLog,
    SaveLog,
    ClearLog,
    ShowAddress,
    Calendar,
};

QIcon programIcon();
QIcon buttonIcon(ButtonPicture picture);

} // namespace gui::pc
