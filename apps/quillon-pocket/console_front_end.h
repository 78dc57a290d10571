#pragma once

// File: apps/quillon-pocket/console_front_end.h
// quillon-pocket --console: the handheld core driven from standard input,
// one command per line, for scripts and terminals. Message boxes are printed
// as "[title] text" and questions are answered by the next line ("yes" or
// "no"). Commands that wait for the PC (login, logout, ls) return once the
// answer has been handled, so a script reads in order. The end of input ends
// the program. Everything the core can do is a command (see help): My PC,
// mail, the web view, MSN ("msn ...") and ICQ ("icq ..."), with pen
// messages; what arrives (messages, presence, pen messages) is printed one
// event a line, tab-separated, with control characters escaped.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace apps::pocket {

constexpr std::string_view kConsoleOption = "--console";
// The console in its MSN mode, where the MSN commands go without "msn"
// (the MSN console of earlier versions).
constexpr std::string_view kMsnConsoleOption = "--msn-console";

struct ConsoleOptions {
    bool msnMode = false;
    // "HOST[:PORT]", stored as the registry value MSN_SERVER before the start.
    std::optional<std::string> msnServer;
};

// Whether the command line asks for the console front end.
bool wantsConsole(std::span<const std::string_view> args);

// "--console|--msn-console [--home DIR] [--msn-server HOST[:PORT]]": finds
// the home folder (--home, else $QUILLON_POCKET_HOME, else
// $XDG_DATA_HOME/quillon-pocket) and runs the console on standard input and
// output.
int runConsoleCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err);

// Runs the console in the given home folder; returns the exit status.
int runConsole(const std::filesystem::path& home, std::istream& in, std::ostream& out, std::ostream& err,
    const ConsoleOptions& options = {});

} // namespace apps::pocket
