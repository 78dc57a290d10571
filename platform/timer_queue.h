#pragma once

// File: platform/timer_queue.h
// The timers of one event loop, without any waiting: periodic timers named by
// (target, id) and one-shot timers that post a message. The loop asks for the
// next due time, then takes the due timers one by one, earliest first (timers
// due together in the order they were set). A periodic timer that was late
// fires once and resumes a full period after `now`, instead of firing a burst
// to catch up. Timers of destroyed targets are dropped as they come due.
//
// Not thread-safe: the owning loop locks around it. PollEventLoop uses it, and
// so can any other EventLoop (a Qt adapter arms one QTimer for nextDue()).

#include "platform/clock.h"
#include "platform/event_loop.h"

#include <optional>
#include <vector>

namespace platform {

class TimerQueue {
public:
    struct Fired {
        MessageTarget* target = nullptr;
        OneShotId oneShot = 0; // Non-zero for a one-shot: post `msg`.
        int timerId = 0; // For a periodic timer: call onTimer(timerId).
        int msg = 0;
        WParam wParam = 0;
        LParam lParam = 0;
    };

    // Replaces a timer with the same target and id. Periods below 1 ms are
    // raised to 1 ms, so that a timer cannot fire on every round.
    void setTimer(MessageTarget& target, int id, Ticks period, Ticks now);
    void killTimer(const MessageTarget& target, int id);

    // The id is unique for this queue; a dead or null target gets an id that
    // fires nothing.
    OneShotId setOneShot(MessageTarget* target, Ticks delay, Ticks now, int msg, WParam wParam, LParam lParam);
    void cancelOneShot(OneShotId id);

    std::optional<Ticks> nextDue() const;
    // The earliest timer due at `now` whose target is alive, already moved on
    // (periodic) or removed (one-shot).
    std::optional<Fired> takeDue(Ticks now);

    std::size_t size() const { return m_timers.size(); }

private:
    struct Timer {
        MessageTarget* target = nullptr;
        std::uint64_t serial = 0;
        OneShotId oneShot = 0;
        int id = 0;
        Ticks period { 0 };
        Ticks due { 0 };
        std::uint64_t order = 0;
        int msg = 0;
        WParam wParam = 0;
        LParam lParam = 0;
    };

    std::vector<Timer> m_timers;
    std::uint64_t m_nextOrder = 1;
    OneShotId m_nextOneShot = 1;
};

} // namespace platform
