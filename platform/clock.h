#pragma once

// File: platform/clock.h
// Where time comes from. Logic never calls time() or system_clock::now(); it is
// handed a Clock. Programs use SystemClock; tests use testing::ManualClock,
// which jumps forward on request and lets bound event loops fire their timers.
//
//     platform::SystemClock clock;
//     auto stamp = platform::toLocalTime(clock.now());

#include <chrono>
#include <optional>

namespace platform {

// Wall-clock time with millisecond precision.
using WallTime = std::chrono::sys_time<std::chrono::milliseconds>;
// Monotonic time since an arbitrary start; only differences mean anything.
using Ticks = std::chrono::milliseconds;

// Implemented by event loops that keep timers on a clock. A clock that jumps
// (ManualClock) asks its listeners for their next due time and tells them when
// time has moved, so timers fire in order without anybody waiting.
class ClockListener {
public:
    virtual ~ClockListener() = default;
    virtual std::optional<Ticks> nextDue() = 0;
    virtual void onClockAdvanced() = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual WallTime now() const = 0;
    virtual Ticks ticks() const = 0;

    // Clocks that run by themselves have nothing to report.
    virtual void addListener(ClockListener&) { }
    virtual void removeListener(ClockListener&) { }
};

// The operating system's clocks: system_clock for now(), steady_clock for ticks().
class SystemClock final : public Clock {
public:
    WallTime now() const override;
    Ticks ticks() const override;
};

// A wall-clock time broken down in the local time zone.
struct LocalTime {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1; // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int weekday = 4; // 0 = Sunday
};

LocalTime toLocalTime(WallTime time);

} // namespace platform
