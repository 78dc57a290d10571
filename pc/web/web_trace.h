#pragma once

// File: pc/web/web_trace.h
// The web server's diagnostic texts ("Failed to bind server socket, ...").
// They are composed for the debug trace only (platform/trace.h: off unless
// --trace or QUILLON_TRACE=1) and have no other effect.

#include <string>

namespace pc::web {

void webTrace(const std::string& text);

// printf-style composition of a trace text.
[[nodiscard]] std::string traceText(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace pc::web
