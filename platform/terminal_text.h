#pragma once

// File: platform/terminal_text.h
// Text from outside (a PC's file names, a messenger peer's message) made
// safe to print on a terminal, one event a line: control characters would
// otherwise reach the terminal raw (an ESC sequence in a file name redraws
// the screen). Bytes of UTF-8 letters pass unchanged.

#include <string>
#include <string_view>

namespace platform {

// The text with its control characters escaped: tab, line feed and carriage
// return as \t \n \r, other C0 bytes and DEL as \xHH, and the C1 controls
// (U+0080 to U+009F, in UTF-8 C2 80 to C2 9F) as their two bytes \xC2\xHH.
// With `keepLineBreaks` a line feed stays, for texts printed over several
// lines (a mail header).
std::string terminalSafe(std::string_view text, bool keepLineBreaks = false);

} // namespace platform
