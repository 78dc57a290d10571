#pragma once

// File: platform/trace.h
// The debug trace: diagnostic texts that no user sees (socket, bind and logon
// failures of the web server, dropped commands). Off by default; on when a
// program calls setTraceEnabled(true) for --trace, or when the environment
// has QUILLON_TRACE=1. Lines go to standard error. Thread-safe.

#include <iosfwd>
#include <string_view>

namespace platform {

void setTraceEnabled(bool enabled);
bool traceEnabled();

// Writes one line (a line break is added when missing).
void trace(std::string_view text);

// Sends trace lines to another stream (tests); nullptr restores standard error.
void setTraceStream(std::ostream* stream);

} // namespace platform
