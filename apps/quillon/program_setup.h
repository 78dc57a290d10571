#pragma once

// What the headless and the desktop program do alike before their loops run:
// the trace switch, the home folder, and the shell's configuration.

#include "apps/quillon/options.h"
#include "pc/app/pc_shell.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace apps::quillon {

// The path of this program ("quillon" when it cannot be read).
std::string selfPath();

// Turns tracing on when asked and prepares the home folder; on failure says
// why on `err` and gives nothing.
std::optional<std::filesystem::path> prepareProgramHome(const PcOptions& options, std::ostream& err);

// An installed program finds its HWP bridge in lib/quillon beside bin/: when
// win.ini names no HWP folder yet ([HNC Path] or [HNC], key HNC) and
// lib/quillon next to the program's folder (bin/../lib/quillon) holds the bridge, that folder is written
// under [HNC Path], as an installer would. Returns whether it was written.
bool noteInstalledHwpBridge(const std::filesystem::path& home, const std::filesystem::path& programFile);

// The shell's configuration: the home, the ports of the options, and what the
// desktop session runs when the program starts with it (this program with the
// same home, headless or not).
pc::app::ShellConfig shellConfigFor(const PcOptions& options, const std::filesystem::path& home, bool headless);

} // namespace apps::quillon
