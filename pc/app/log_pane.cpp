#include "pc/app/log_pane.h"

namespace pc::app {

LogPane::LogPane(platform::EventLoop& loop, LogView& view)
    : m_loop(loop)
    , m_view(view)
    , m_windowThread(std::this_thread::get_id())
{
}

bool LogPane::hasText() const
{
    std::lock_guard lock(m_mutex);
    return !m_history.isEmpty();
}

void LogPane::append(std::string_view text, int kind)
{
    auto stamp = platform::toLocalTime(m_loop.clock().now());
    auto runs = formatLogEntry(text, kind, stamp);
    if (runs.empty())
        return;
    bool onWindowThread = std::this_thread::get_id() == m_windowThread;
    {
        std::lock_guard lock(m_mutex);
        auto admission = m_history.admit(text, kind, m_loop.clock().ticks());
        if (admission.note) {
            auto noteRuns = formatLogEntry(*admission.note, kStamped, stamp);
            m_history.keep(joinLogRuns(noteRuns));
            m_waiting.push_back(std::move(noteRuns));
        }
        if (!admission.show)
            return;
        m_history.keep(joinLogRuns(runs));
        m_waiting.push_back(std::move(runs));
    }
    if (onWindowThread)
        flush();
    else
        m_loop.post(this, kFlush);
}

void LogPane::flush()
{
    // Entries reach the view in the order they were appended, whichever
    // thread appended them.
    for (;;) {
        std::vector<LogRun> runs;
        {
            std::lock_guard lock(m_mutex);
            if (m_waiting.empty())
                return;
            runs = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        m_view.appendRuns(runs);
    }
}

platform::LResult LogPane::onMessage(int msg, platform::WParam, platform::LParam)
{
    if (msg == kFlush)
        flush();
    return 0;
}

std::string LogPane::text() const
{
    std::lock_guard lock(m_mutex);
    return m_history.text();
}

void LogPane::clear()
{
    {
        std::lock_guard lock(m_mutex);
        m_history.clear();
        m_waiting.clear();
    }
    m_view.clearLog();
}

} // namespace pc::app
