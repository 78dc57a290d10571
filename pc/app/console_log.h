#pragma once

// File: pc/app/console_log.h
// The log pane of the headless program: every entry is written to a stream
// as log_entry.h formats it, one line per entry. On a terminal the styles
// show as colours (bold blue stamp, bold red kind-0 text); elsewhere a kind-0
// entry is marked with "!! " so that it stands out in a file. The pane also
// keeps the text, as the window's pane does, for saving: bounded, and an
// entry that repeats the one before is folded into a count (log_history.h).
// Thread-safe.

#include "pc/app/log_entry.h"
#include "pc/app/log_history.h"
#include "pc/app/log_sink.h"
#include "platform/clock.h"

#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>

namespace pc::app {

class ConsoleLog final : public LogSink {
public:
    enum class Marking {
        None, // The text exactly as the pane holds it.
        Colour, // ANSI colours, for a terminal.
        Prefix, // "!! " before kind-0 entries.
    };

    ConsoleLog(platform::Clock& clock, std::ostream& out, Marking marking = Marking::None);

    bool hasText() const override;
    void append(std::string_view text, int kind) override;
    std::string text() const override;
    void clear() override;

private:
    std::string render(const std::vector<LogRun>& runs) const;

    platform::Clock& m_clock;
    std::ostream& m_out;
    Marking m_marking;
    mutable std::mutex m_mutex;
    LogHistory m_history;
};

} // namespace pc::app
