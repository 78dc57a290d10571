#pragma once

// File: apps/quillon-pocket/msn_console.h
// quillon-pocket --msn-console: the MSN messenger of the handheld driven
// from standard input, one command per line (see "help"). It runs the same
// session, page, chats and pen carriage as the handheld's MSN tab; the
// contact tree, status line and chat windows are printed as lines:
//   status<TAB>text              the status line
//   contact<TAB>email<TAB>text   a contact's tree item
//   chat N<TAB>text              what a chat window's log shows
// Message boxes are printed as "[title] text". The end of input ends the
// program after logging out.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace apps::pocket {

constexpr std::string_view kMsnConsoleOption = "--msn-console";

bool wantsMsnConsole(std::span<const std::string_view> args);

// "--msn-console [--home DIR] [--msn-server HOST[:PORT]]".
int runMsnConsoleCommand(
    std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err);

struct MsnConsoleOptions {
    std::string server = "localhost";
    std::uint16_t port = 1863;
};

int runMsnConsole(const std::filesystem::path& home, const MsnConsoleOptions& options, std::istream& in,
    std::ostream& out, std::ostream& err);

} // namespace apps::pocket
