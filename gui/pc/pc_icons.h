#pragma once

// File: gui/pc/pc_icons.h
// The PC program's artwork, drawn with QPainter so that it scales cleanly:
// the program's icon (window and tray), its stopped form for the tray, and
// the pictures of the seven buttons.

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
// The program's icon in grey with a red stop mark: the tray while the server
// is stopped.
QIcon stoppedProgramIcon();
QIcon buttonIcon(ButtonPicture picture);

} // namespace gui::pc
