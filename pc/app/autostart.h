#pragma once

// File: pc/app/autostart.h
// Starting the program with the desktop session. As on the original system
// the registry store holds the value "Brenwick Quillon" under the current
// user's Run key; beside it a real XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/quillon.desktop, else ~/.config/...) makes the
// desktop start the program.

#include "platform/registry.h"
#include "platform/result.h"

#include <filesystem>
#include <string>

namespace pc::app {

class Autostart {
public:
    static constexpr const char* kRunKey = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr const char* kValueName = "Brenwick Quillon";

    // `command` is what the session should run (the program path and its
    // options); `autostartFolder` is where the desktop entry goes.
    Autostart(platform::Registry& registry, std::string command, std::filesystem::path autostartFolder);

    // The desktop's autostart folder from the environment.
    static std::filesystem::path defaultFolder();

    // Writes the Run value and the desktop entry. Fails when the Run key can
    // be neither opened nor created.
    platform::IoResult<void> enable();
    // Removes both; missing ones are fine.
    void disable();

    bool isEnabled() const;
    std::filesystem::path desktopFile() const { return m_folder / "quillon.desktop"; }

private:
    platform::Registry& m_registry;
    std::string m_command;
    std::filesystem::path m_folder;
};

} // namespace pc::app
