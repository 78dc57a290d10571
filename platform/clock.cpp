#include "platform/clock.h"

#include <ctime>

namespace platform {

WallTime SystemClock::now() const
{
    return std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now());
}

Ticks SystemClock::ticks() const
{
    return std::chrono::duration_cast<Ticks>(std::chrono::steady_clock::now().time_since_epoch());
}

LocalTime toLocalTime(WallTime time)
{
    auto sinceEpoch = time.time_since_epoch();
    auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    std::time_t raw = static_cast<std::time_t>(seconds.count());
    std::tm parts {};
    localtime_r(&raw, &parts);
    LocalTime local;
    local.year = parts.tm_year + 1900;
    local.month = parts.tm_mon + 1;
    local.day = parts.tm_mday;
    local.hour = parts.tm_hour;
    local.minute = parts.tm_min;
    local.second = parts.tm_sec;
    local.millisecond = static_cast<int>((sinceEpoch - seconds).count());
    local.weekday = parts.tm_wday;
    return local;
}

} // namespace platform
