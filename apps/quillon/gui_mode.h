#pragma once

// File: apps/quillon/gui_mode.h
// The PC program on a desktop: the Qt main window with its tray icon over the
// same shell and main-window logic as the terminal mode, on a Qt event loop
// whose thread is the window thread.

#include "apps/quillon/options.h"

#include <iosfwd>

namespace apps::quillon {

// Whether a display is there to show windows on ($DISPLAY or $WAYLAND_DISPLAY).
bool hasDisplay();

// Returns the process exit status. `argc`/`argv` go to QApplication.
int runGui(const PcOptions& options, int& argc, char** argv, std::ostream& err);

} // namespace apps::quillon
