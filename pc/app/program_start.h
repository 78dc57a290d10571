#pragma once

// File: pc/app/program_start.h
// The program's start before its window, in this order: one instance per home
// folder (a second start shows "Quillon is already running!", asks the first
// to come to the front and ends), the login values' defaults in the profile,
// then the switches "RegServer" and "UnregServer" (any letter case, with or
// without a leading "/" or "-"), which record or remove the program's
// registration in the registry store and end without a window. The mail
// program's kind and the socket layer need no step of their own here: the
// shell reads the kind from the registry store, and sockets need no set-up.

#include "platform/registry.h"
#include "platform/single_instance.h"
#include "platform/ui.h"

#include <filesystem>
#include <string>
#include <vector>

namespace pc::app {

enum class StartSwitch {
    None,
    RegServer,
    UnregServer,
};

// The last registration switch among the words; the others stay in `rest`.
StartSwitch takeStartSwitch(const std::vector<std::string>& words, std::vector<std::string>* rest = nullptr);

// The program's class registration, as the original's server module wrote
// it: "Quillon.Application" with its class id, and the class id's local
// server, which is `programPath`.
inline constexpr std::string_view kProgId = "HKCR\\Quillon.Application";
inline constexpr std::string_view kClassId = "{6C0F4B1E-2D3A-4E5F-9A7B-51D1C0A1E7C1}";
platform::IoResult<void> registerProgram(platform::Registry& registry, const std::string& programPath);
// Removes what registerProgram() wrote; missing keys are fine.
platform::IoResult<void> unregisterProgram(platform::Registry& registry);

// The message of a profile or registry store that exists but cannot be used:
// it names the file, says why, and what the user can do.
std::string unusableFileText(const std::filesystem::path& file, const platform::Error& error);

enum class StartOutcome {
    OpenWindow,
    AlreadyRunning,
    Registered,
    Unregistered,
    Failed, // The home folder's files cannot be used (the message is shown).
};

class ProgramStart {
public:
    ProgramStart(std::filesystem::path home, platform::Ui& ui);

    // The instance lock stays held for as long as this object lives.
    StartOutcome run(StartSwitch startSwitch, const std::string& programPath);
    platform::SingleInstance& instance() { return m_instance; }

private:
    std::filesystem::path m_home;
    platform::Ui& m_ui;
    platform::SingleInstance m_instance;
};

} // namespace pc::app
