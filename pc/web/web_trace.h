#pragma once

// File: pc/web/web_trace.h
// The web server's diagnostic texts ("Failed to bind server socket, ...").
// They are composed for a debug trace only and have no other effect.

#include <functional>
#include <string>

namespace pc::web {

using TraceSink = std::function<void(const std::string&)>;

// Where traces go; nowhere until a sink is set. Set it before starting servers.
void setWebTraceSink(TraceSink sink);
void webTrace(const std::string& text);

// printf-style composition of a trace text.
[[nodiscard]] std::string traceText(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace pc::web
