#pragma once

// File: pc/app/log_history.h
// What the log pane keeps, bounded: outside peers add entries (every failed
// log-in, every ignored command), so the pane holds a ring of the newest
// kMaxLines lines (and kMaxBytes bytes), dropping the oldest, and an entry
// that repeats the one before within kRepeatWindow is counted instead of
// shown; the count appears as one note before the next different entry.
// Files already saved are not touched. Not thread-safe: the panes lock
// around it.

#include "platform/clock.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace pc::app {

class LogHistory {
public:
    static constexpr std::size_t kMaxLines = 5000;
    static constexpr std::size_t kMaxBytes = 1024 * 1024;
    static constexpr platform::Ticks kRepeatWindow { 10000 };

    struct Admission {
        bool show = false; // Append the entry.
        std::optional<std::string> note; // Append this first: how often the last one repeated.
    };

    // Decides about an entry's text (kind included, so that an alert never
    // folds into a stamped entry) arriving at `now`.
    Admission admit(std::string_view text, int kind, platform::Ticks now);
    // Keeps the formatted text of an entry that was shown.
    void keep(std::string formatted);

    std::string text() const;
    bool isEmpty() const { return m_entries.empty(); }
    void clear();

private:
    std::deque<std::string> m_entries;
    std::size_t m_lines = 0;
    std::size_t m_bytes = 0;
    std::string m_lastText;
    int m_lastKind = -1;
    platform::Ticks m_lastSeen { 0 };
    std::size_t m_repeats = 0;
};

// "위 기록이 N번 더 반복되었습니다.\n"
std::string repeatNote(std::size_t repeats);

} // namespace pc::app
