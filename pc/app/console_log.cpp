#include "pc/app/console_log.h"

#include <cstdio>
#include <ostream>

namespace pc::app {

std::string formatLogStamp(const platform::LocalTime& time)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%d/%d/%d %d시%d분%d초   ", time.year, time.month, time.day, time.hour,
        time.minute, time.second);
    return stamp;
}

ConsoleLog::ConsoleLog(platform::Clock& clock, std::ostream& out)
    : m_clock(clock)
    , m_out(out)
{
}

bool ConsoleLog::hasText() const
{
    std::lock_guard lock(m_mutex);
    return !m_text.empty();
}

void ConsoleLog::append(std::string_view text, int kind)
{
    if (kind != kStamped && kind != kPlain)
        return;
    std::string entry;
    // Leading line breaks separate entries; they go before the stamp.
    std::size_t breaks = 0;
    while (breaks < text.size() && text[breaks] == '\n')
        ++breaks;
    entry.append(breaks, '\n');
    if (kind == kStamped)
        entry += formatLogStamp(platform::toLocalTime(m_clock.now()));
    entry.append(text.substr(breaks));
    if (entry.empty() || entry.back() != '\n')
        entry.push_back('\n');
    std::lock_guard lock(m_mutex);
    m_text += entry;
    m_out << entry << std::flush;
}

std::string ConsoleLog::text() const
{
    std::lock_guard lock(m_mutex);
    return m_text;
}

void ConsoleLog::clear()
{
    std::lock_guard lock(m_mutex);
    m_text.clear();
}

} // namespace pc::app
