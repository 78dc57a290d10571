#pragma once

// File: pc/app/log_sink.h
// The log pane as the main window's commands see it: entries of kind 1 (time
// stamp and text) and kind 0 (text alone, marked as an alert), the whole text
// for saving, and clearing. The window's pane (LogPane) and the terminal's
// (ConsoleLog) implement it.

#include "pc/service/service_ports.h"

#include <string>
#include <string_view>

namespace pc::app {

class LogSink : public service::ServiceLog {
public:
    // The kinds callers pick; any other kind writes nothing.
    static constexpr int kStamped = 1;
    static constexpr int kPlain = 0;

    void appendLog(std::string_view text) override { append(text, kStamped); }
    virtual void append(std::string_view text, int kind) = 0;
    // The whole text of the pane, as saved to a log file.
    virtual std::string text() const = 0;
    virtual void clear() = 0;
};

} // namespace pc::app
