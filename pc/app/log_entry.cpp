#include "pc/app/log_entry.h"

#include <cstdio>

namespace pc::app {

std::string formatLogStamp(const platform::LocalTime& time)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%d/%d/%d %d시%d분%d초   ", time.year, time.month, time.day, time.hour,
        time.minute, time.second);
    return stamp;
}

std::vector<LogRun> formatLogEntry(std::string_view text, int kind, const platform::LocalTime& time)
{
    if (kind != 0 && kind != 1)
        return {};
    std::vector<LogRun> runs;
    std::size_t breaks = text.find_first_not_of('\n');
    if (breaks == std::string_view::npos)
        breaks = text.size();
    if (breaks > 0)
        runs.push_back({ LogStyle::Text, std::string(breaks, '\n') });
    std::string body(text.substr(breaks));
    if (body.empty() || body.back() != '\n')
        body.push_back('\n');
    if (kind == 1) {
        runs.push_back({ LogStyle::Stamp, formatLogStamp(time) });
        runs.push_back({ LogStyle::Text, std::move(body) });
    } else {
        runs.push_back({ LogStyle::Alert, std::move(body) });
    }
    return runs;
}

std::string joinLogRuns(const std::vector<LogRun>& runs)
{
    std::string text;
    for (const auto& run : runs)
        text += run.text;
    return text;
}

} // namespace pc::app
