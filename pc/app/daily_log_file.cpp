#include "pc/app/daily_log_file.h"

#include "pc/app/log_entry.h"
#include "pc/mail/private_files.h"
#include "platform/trace.h"

#include <cstdio>

namespace pc::app {

DailyLogFile::DailyLogFile(LogSink& pane, platform::Clock& clock, std::filesystem::path folder)
    : m_pane(pane)
    , m_clock(clock)
    , m_folder(std::move(folder))
{
    if (auto created = mail::createPrivateFolders(m_folder); !created)
        platform::trace("log folder: " + platform::describe(created.error()));
}

std::string DailyLogFile::fileNameFor(const platform::LocalTime& day)
{
    char name[40];
    std::snprintf(name, sizeof name, "quillon-%04d-%02d-%02d.txt", day.year, day.month, day.day);
    return name;
}

void DailyLogFile::append(std::string_view text, int kind)
{
    m_pane.append(text, kind);
    auto now = platform::toLocalTime(m_clock.now());
    std::string entry = joinLogRuns(formatLogEntry(text, kind, now));
    if (entry.empty())
        return;
    std::lock_guard lock(m_mutex);
    auto file = m_folder / fileNameFor(now);
    if (auto written = mail::appendPrivateFile(file, entry); !written)
        platform::trace("log file: " + platform::describe(written.error()));
}

} // namespace pc::app
