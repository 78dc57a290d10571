#include "pc/app/log_history.h"

#include <algorithm>

namespace pc::app {

namespace {

std::size_t lineCount(std::string_view text)
{
    return std::max<std::size_t>(1, static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
}

} // namespace

std::string repeatNote(std::size_t repeats)
{
    return "위 기록이 " + std::to_string(repeats) + "번 더 반복되었습니다.\n";
}

LogHistory::Admission LogHistory::admit(std::string_view text, int kind, platform::Ticks now)
{
    bool repeats = kind == m_lastKind && text == m_lastText && now - m_lastSeen < kRepeatWindow;
    m_lastSeen = now;
    if (repeats) {
        ++m_repeats;
        return {};
    }
    Admission admission;
    admission.show = true;
    if (m_repeats > 0)
        admission.note = repeatNote(m_repeats);
    m_repeats = 0;
    m_lastText = std::string(text);
    m_lastKind = kind;
    return admission;
}

void LogHistory::keep(std::string formatted)
{
    m_lines += lineCount(formatted);
    m_bytes += formatted.size();
    m_entries.push_back(std::move(formatted));
    while (m_entries.size() > 1 && (m_lines > kMaxLines || m_bytes > kMaxBytes)) {
        m_lines -= lineCount(m_entries.front());
        m_bytes -= m_entries.front().size();
        m_entries.pop_front();
    }
}

std::string LogHistory::text() const
{
    std::string all;
    all.reserve(m_bytes);
    for (const auto& entry : m_entries)
        all += entry;
    return all;
}

void LogHistory::clear()
{
    m_entries.clear();
    m_lines = 0;
    m_bytes = 0;
    m_lastText.clear();
    m_lastKind = -1;
    m_repeats = 0;
}

} // namespace pc::app
