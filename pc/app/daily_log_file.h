#pragma once

// File: pc/app/daily_log_file.h
// Keeps a copy of the log in the log folder: every entry shown in a pane is
// also appended, as plain text, to "quillon-YYYY-MM-DD.txt" of the day it was
// written (local time), so a server that runs unattended (a systemd service)
// leaves its log on disk as well as on standard output. The files are
// readable by their owner only; clearing the pane leaves them as they are.
// A file that cannot be written costs the copy, never the pane's entry.

#include "pc/app/log_sink.h"
#include "platform/clock.h"

#include <filesystem>
#include <mutex>

namespace pc::app {

class DailyLogFile final : public LogSink {
public:
    // Forwards every call to `pane`; creates the folder when missing.
    DailyLogFile(LogSink& pane, platform::Clock& clock, std::filesystem::path folder);

    // "quillon-2026-01-05.txt"
    static std::string fileNameFor(const platform::LocalTime& day);

    bool hasText() const override { return m_pane.hasText(); }
    void append(std::string_view text, int kind) override;
    std::string text() const override { return m_pane.text(); }
    void clear() override { m_pane.clear(); }

private:
    LogSink& m_pane;
    platform::Clock& m_clock;
    std::filesystem::path m_folder;
    std::mutex m_mutex; // Entries from several threads land whole.
};

} // namespace pc::app
