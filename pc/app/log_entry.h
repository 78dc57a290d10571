#pragma once

// File: pc/app/log_entry.h
// How one log entry looks, for every log pane. Kind 1 is the time stamp
// "%d/%d/%d %d시%d분%d초   " (local time, then three spaces) in bold blue
// followed by the text in plain black; kind 0 is the text alone in bold red.
// Line breaks at the front of the text separate entries, so they come before
// the stamp; every entry ends with a line break.
//
//     auto runs = formatLogEntry("PC 서버를 종료합니다..\n", 1, localTime);
//     // { Stamp "2026/1/5 9시3분7초   ", Text "PC 서버를 종료합니다..\n" }

#include "platform/clock.h"

#include <string>
#include <string_view>
#include <vector>

namespace pc::app {

enum class LogStyle {
    Text, // Plain black.
    Stamp, // Bold blue.
    Alert, // Bold red.
};

struct LogRun {
    LogStyle style = LogStyle::Text;
    std::string text;

    bool operator==(const LogRun&) const = default;
};

// "2026/1/5 9시3분7초   "
std::string formatLogStamp(const platform::LocalTime& time);

// The runs of one entry; empty for a kind other than 0 and 1.
std::vector<LogRun> formatLogEntry(std::string_view text, int kind, const platform::LocalTime& time);

// The plain text of runs, as the pane holds it.
std::string joinLogRuns(const std::vector<LogRun>& runs);

} // namespace pc::app
