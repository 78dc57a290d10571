#pragma once

// File: platform/home.h
// The home folder of either program, which holds its profile, registry store
// and data. It is, in order: the folder given with --home, the folder in
// QUILLON_HOME (QUILLON_POCKET_HOME for the handheld program), then
// $XDG_DATA_HOME/quillon (quillon-pocket), then ~/.local/share/quillon.
//
//     auto home = TRY(platform::prepareHome(platform::Program::Pc, homeOption));

#include "platform/result.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace platform {

enum class Program {
    Pc, // quillon
    Pocket, // quillon-pocket
};

// Reads an environment variable; nullptr when unset. Tests pass their own.
using EnvironmentReader = std::function<const char*(const char*)>;

EnvironmentReader processEnvironment();

// Where the home folder is, without touching the disk. `homeOption` is the
// value of --home ("" when not given). Fails (NotFound) only when nothing at
// all names a folder (no HOME either).
IoResult<std::filesystem::path> resolveHome(Program program, std::string_view homeOption,
    const EnvironmentReader& environment = processEnvironment());

// Resolves the home folder and creates it (and missing parents) with mode 0700.
IoResult<std::filesystem::path> prepareHome(Program program, std::string_view homeOption,
    const EnvironmentReader& environment = processEnvironment());

// The value of "--home DIR" or "--home=DIR" in a command line, or "".
std::string_view findHomeOption(int argc, const char* const* argv);

} // namespace platform
