#include "pc/app/console_progress.h"

#include <algorithm>
#include <ostream>

namespace pc::app {

ConsoleProgress::ConsoleProgress(std::ostream& out)
    : m_out(out)
{
}

std::string ConsoleProgress::lineFor(int percent)
{
    return "진행 " + std::to_string(percent) + "%\n";
}

void ConsoleProgress::openProgress()
{
    m_position = 0;
    m_shownTenths = 0;
}

void ConsoleProgress::setProgress(int percent)
{
    m_position = std::clamp(percent, 0, 100);
    int tenths = m_position / 10;
    if (tenths <= m_shownTenths)
        return;
    m_shownTenths = tenths;
    // One write, so that the line never mixes with an access-log line.
    m_out << lineFor(tenths * 10) << std::flush;
}

void ConsoleProgress::stepProgress()
{
    setProgress(m_position + 1);
}

void ConsoleProgress::closeProgress()
{
    m_position = 0;
    m_shownTenths = 0;
}

} // namespace pc::app
