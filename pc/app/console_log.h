#pragma once

// File: pc/app/console_log.h
// The log pane of the headless program: every entry is written to a stream
// as the time stamp "%d/%d/%d %d시%d분%d초   " (local time) followed by the
// text, ending with a line break. The pane also keeps the whole text, as the
// window's pane does, for saving. Thread-safe.

#include "pc/service/service_ports.h"
#include "platform/clock.h"

#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>

namespace pc::app {

// "2026/1/5 9시3분7초   "
std::string formatLogStamp(const platform::LocalTime& time);

class ConsoleLog final : public service::ServiceLog {
public:
    // Kinds as the window's pane has them: 1 stamp and text, 0 text alone;
    // anything else writes nothing.
    static constexpr int kStamped = 1;
    static constexpr int kPlain = 0;

    ConsoleLog(platform::Clock& clock, std::ostream& out);

    void appendLog(std::string_view text) override { append(text, kStamped); }
    bool hasText() const override;
    void append(std::string_view text, int kind);
    std::string text() const;
    void clear();

private:
    platform::Clock& m_clock;
    std::ostream& m_out;
    mutable std::mutex m_mutex;
    std::string m_text;
};

} // namespace pc::app
