#include "platform/testing/manual_clock.h"

#include <algorithm>

namespace platform::testing {

namespace {

constexpr WallTime kDefaultStart { std::chrono::sys_days { std::chrono::year { 2026 } / 1 / 1 } };

} // namespace

ManualClock::ManualClock()
    : ManualClock(kDefaultStart)
{
}

ManualClock::ManualClock(WallTime start)
    : m_wall(start)
{
}

WallTime ManualClock::now() const
{
    std::lock_guard lock(m_mutex);
    return m_wall;
}

Ticks ManualClock::ticks() const
{
    std::lock_guard lock(m_mutex);
    return m_ticks;
}

void ManualClock::addListener(ClockListener& listener)
{
    std::lock_guard lock(m_mutex);
    m_listeners.push_back(&listener);
}

void ManualClock::removeListener(ClockListener& listener)
{
    std::lock_guard lock(m_mutex);
    std::erase(m_listeners, &listener);
}

std::vector<ClockListener*> ManualClock::listenersCopy() const
{
    std::lock_guard lock(m_mutex);
    return m_listeners;
}

void ManualClock::moveTo(Ticks ticks)
{
    std::lock_guard lock(m_mutex);
    if (ticks <= m_ticks)
        return;
    m_wall += ticks - m_ticks;
    m_ticks = ticks;
}

void ManualClock::advance(Ticks step)
{
    Ticks target = ticks() + std::max(step, Ticks(0));
    std::optional<Ticks> previous;
    for (;;) {
        // The earliest due time of any bound loop within the step; timers
        // that a handler sets on the way are seen on the next pass.
        std::optional<Ticks> earliest;
        for (auto* listener : listenersCopy()) {
            auto due = listener->nextDue();
            if (due && *due <= target && (!earliest || *due < *earliest))
                earliest = due;
        }
        // The same due time twice means nothing fired (the loop runs on
        // another thread and was only woken); stepping on would spin.
        if (!earliest || earliest == previous)
            break;
        previous = earliest;
        moveTo(*earliest);
        for (auto* listener : listenersCopy())
            listener->onClockAdvanced();
    }
    moveTo(target);
    for (auto* listener : listenersCopy())
        listener->onClockAdvanced();
}

void ManualClock::setNow(WallTime time)
{
    std::lock_guard lock(m_mutex);
    m_wall = time;
}

} // namespace platform::testing
