#pragma once

// File: apps/quillon-pocket/render_ink_command.h
// `quillon-pocket --render-ink FILE.ink OUT.png`: reads and draws a pen
// message into a 240 x 240 PNG. The reader's or drawer's message is printed
// as "[Quillon] text" on the error stream and the exit status is non-zero.

#include <iosfwd>
#include <span>
#include <string_view>

namespace apps::pocket {

constexpr std::string_view kRenderInkOption = "--render-ink";

// The arguments after "--render-ink". Returns the exit status.
int runRenderInk(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

} // namespace apps::pocket
