#include "platform/timer_queue.h"

#include <algorithm>

namespace platform {

void TimerQueue::setTimer(MessageTarget& target, int id, Ticks period, Ticks now)
{
    killTimer(target, id);
    Timer timer;
    timer.target = &target;
    timer.serial = target.serial();
    timer.id = id;
    timer.period = std::max(period, Ticks(1));
    timer.due = now + timer.period;
    timer.order = m_nextOrder++;
    m_timers.push_back(timer);
}

void TimerQueue::killTimer(const MessageTarget& target, int id)
{
    std::erase_if(m_timers, [&](const Timer& t) { return t.oneShot == 0 && t.target == &target && t.id == id; });
}

OneShotId TimerQueue::setOneShot(MessageTarget* target, Ticks delay, Ticks now, int msg, WParam wParam, LParam lParam)
{
    OneShotId id = m_nextOneShot++;
    auto serial = MessageTarget::serialIfAlive(target);
    if (serial == 0)
        return id;
    Timer timer;
    timer.target = target;
    timer.serial = serial;
    timer.oneShot = id;
    timer.due = now + std::max(delay, Ticks(0));
    timer.order = m_nextOrder++;
    timer.msg = msg;
    timer.wParam = wParam;
    timer.lParam = lParam;
    m_timers.push_back(timer);
    return id;
}

void TimerQueue::cancelOneShot(OneShotId id)
{
    std::erase_if(m_timers, [&](const Timer& t) { return t.oneShot == id; });
}

std::optional<Ticks> TimerQueue::nextDue() const
{
    std::optional<Ticks> earliest;
    for (const auto& timer : m_timers) {
        if (!earliest || timer.due < *earliest)
            earliest = timer.due;
    }
    return earliest;
}

std::optional<TimerQueue::Fired> TimerQueue::takeDue(Ticks now)
{
    for (;;) {
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->due > now)
                continue;
            if (next == m_timers.end() || it->due < next->due || (it->due == next->due && it->order < next->order))
                next = it;
        }
        if (next == m_timers.end())
            return std::nullopt;
        Timer timer = *next;
        bool alive = MessageTarget::isAlive(timer.target, timer.serial);
        if (timer.oneShot != 0 || !alive) {
            m_timers.erase(next);
        } else {
            // The new due time is always after now, so each timer fires at
            // most once for one value of now.
            next->due = timer.due + timer.period > now ? timer.due + timer.period : now + timer.period;
        }
        if (!alive)
            continue;
        return Fired { timer.target, timer.oneShot, timer.id, timer.msg, timer.wParam, timer.lParam };
    }
}

} // namespace platform
