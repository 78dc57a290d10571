#pragma once

// File: platform/testing/manual_clock.h
// A clock that moves only when a test tells it to. advance() steps through the
// due times of every bound event loop in order, firing each loop's timers (and
// delivering what they post) at the moment they are due, so a three-minute
// keep-alive is tested in microseconds. Call advance() on the loop's thread.
//
//     platform::testing::ManualClock clock;
//     platform::PollEventLoop loop(clock);
//     loop.setTimer(target, 1, 1000);
//     clock.advance(std::chrono::seconds(3)); // target.onTimer(1) three times.

#include "platform/clock.h"

#include <mutex>
#include <vector>

namespace platform::testing {

class ManualClock final : public Clock {
public:
    // Starts at a fixed wall time (2026-01-01 00:00:00 UTC) and at tick 0.
    ManualClock();
    explicit ManualClock(WallTime start);

    WallTime now() const override;
    Ticks ticks() const override;
    void addListener(ClockListener& listener) override;
    void removeListener(ClockListener& listener) override;

    // Moves both clocks forward, firing due timers on the way.
    void advance(Ticks step);
    // Sets the wall clock alone (the monotonic clock never goes back).
    void setNow(WallTime time);

private:
    std::vector<ClockListener*> listenersCopy() const;
    void moveTo(Ticks ticks);

    mutable std::mutex m_mutex;
    WallTime m_wall;
    Ticks m_ticks { 0 };
    std::vector<ClockListener*> m_listeners;
};

} // namespace platform::testing
