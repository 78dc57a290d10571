#pragma once

// File: pc/app/desktop_launcher.h
// What the main window asks of the desktop: open a file with its usual
// program (the shell's "open" verb; xdg-open here), open the date and time
// settings, and run a command (the update program). Programs are started
// detached; the caller does not wait for them.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pc::app {

class DesktopLauncher {
public:
    virtual ~DesktopLauncher() = default;
    virtual bool openFile(const std::filesystem::path& file) = 0;
    virtual bool openDateTimeSettings() = 0;
    virtual bool runCommand(const std::string& commandLine) = 0;
};

// The desktop's programs: files open with xdg-open and the date and time
// panel starts directly; a command line (the update command, which the user
// configured) runs through /bin/sh in the background.
class XdgLauncher final : public DesktopLauncher {
public:
    bool openFile(const std::filesystem::path& file) override;
    // The first date and time panel found on the PATH (GNOME, KDE, MATE,
    // Cinnamon); false when there is none.
    bool openDateTimeSettings() override;
    bool runCommand(const std::string& commandLine) override;
};

// A word for /bin/sh: 'text' with every ' written as '\''.
std::string shellQuote(std::string_view text);

// The first program of `names` found in the PATH directories, or "".
std::string findOnPath(const std::vector<std::string>& names);

} // namespace pc::app
