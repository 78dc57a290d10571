#include "pc/app/console_log.h"

#include <ostream>

namespace pc::app {

namespace {

constexpr std::string_view kBoldBlue = "\x1b[1;34m";
constexpr std::string_view kBoldRed = "\x1b[1;31m";
constexpr std::string_view kReset = "\x1b[0m";
constexpr std::string_view kAlertPrefix = "!! ";

} // namespace

ConsoleLog::ConsoleLog(platform::Clock& clock, std::ostream& out, Marking marking)
    : m_clock(clock)
    , m_out(out)
    , m_marking(marking)
{
}

bool ConsoleLog::hasText() const
{
    std::lock_guard lock(m_mutex);
    return !m_history.isEmpty();
}

std::string ConsoleLog::render(const std::vector<LogRun>& runs) const
{
    std::string out;
    for (const auto& run : runs) {
        if (run.style == LogStyle::Text || m_marking == Marking::None) {
            out += run.text;
        } else if (m_marking == Marking::Prefix) {
            if (run.style == LogStyle::Alert)
                out += kAlertPrefix;
            out += run.text;
        } else {
            // Colour the text but not its line break, so that a pager or the
            // next line does not inherit the colour.
            std::string_view text = run.text;
            bool endsLine = !text.empty() && text.back() == '\n';
            if (endsLine)
                text.remove_suffix(1);
            out += run.style == LogStyle::Stamp ? kBoldBlue : kBoldRed;
            out += text;
            out += kReset;
            if (endsLine)
                out += '\n';
        }
    }
    return out;
}

void ConsoleLog::append(std::string_view text, int kind)
{
    auto stamp = platform::toLocalTime(m_clock.now());
    auto runs = formatLogEntry(text, kind, stamp);
    if (runs.empty())
        return;
    std::lock_guard lock(m_mutex);
    auto admission = m_history.admit(text, kind, m_clock.ticks());
    if (admission.note) {
        auto noteRuns = formatLogEntry(*admission.note, kStamped, stamp);
        m_history.keep(joinLogRuns(noteRuns));
        m_out << render(noteRuns);
    }
    if (admission.show) {
        m_history.keep(joinLogRuns(runs));
        m_out << render(runs);
    }
    m_out << std::flush;
}

std::string ConsoleLog::text() const
{
    std::lock_guard lock(m_mutex);
    return m_history.text();
}

void ConsoleLog::clear()
{
    std::lock_guard lock(m_mutex);
    m_history.clear();
}

} // namespace pc::app
