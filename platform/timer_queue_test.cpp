#include "platform/timer_queue.h"

#include <gtest/gtest.h>
#include <memory>

namespace platform {
namespace {

using Ms = std::chrono::milliseconds;

// "t<id>" for a periodic timer, "m<msg>" for a one-shot, in firing order.
std::vector<std::string> takeAll(TimerQueue& queue, Ms now)
{
    std::vector<std::string> fired;
    while (auto due = queue.takeDue(now))
        fired.push_back(due->oneShot ? "m" + std::to_string(due->msg) : "t" + std::to_string(due->timerId));
    return fired;
}

TEST(TimerQueue, FiresDueTimersEarliestFirstAndTiesInSettingOrder)
{
    MessageTarget a, b;
    TimerQueue queue;
    queue.setTimer(b, 2, Ms(100), Ms(0));
    queue.setOneShot(&a, Ms(100), Ms(0), 7, 0, 0);
    queue.setTimer(a, 1, Ms(50), Ms(0));
    EXPECT_EQ(queue.nextDue(), Ms(50));
    EXPECT_EQ(takeAll(queue, Ms(49)), std::vector<std::string> {});
    EXPECT_EQ(takeAll(queue, Ms(100)), (std::vector<std::string> { "t1", "t2", "m7" }));
    EXPECT_EQ(queue.size(), 2u); // The one-shot is gone.
}

TEST(TimerQueue, ALatePeriodicTimerFiresOnceAndResumesAPeriodAfterNow)
{
    MessageTarget a;
    TimerQueue queue;
    queue.setTimer(a, 1, Ms(100), Ms(0));
    EXPECT_EQ(takeAll(queue, Ms(1050)), (std::vector<std::string> { "t1" }));
    EXPECT_EQ(queue.nextDue(), Ms(1150));
    // On time: the schedule keeps its phase.
    EXPECT_EQ(takeAll(queue, Ms(1150)), (std::vector<std::string> { "t1" }));
    EXPECT_EQ(queue.nextDue(), Ms(1250));
}

TEST(TimerQueue, KillCancelAndResetRemoveOrRestartTimers)
{
    MessageTarget a, b;
    TimerQueue queue;
    queue.setTimer(a, 1, Ms(100), Ms(0));
    queue.setTimer(b, 1, Ms(100), Ms(0)); // Same id, other target: independent.
    auto shot = queue.setOneShot(&a, Ms(10), Ms(0), 3, 0, 0);
    queue.cancelOneShot(shot);
    queue.cancelOneShot(shot + 100); // Unknown: nothing happens.
    queue.killTimer(a, 1);
    queue.setTimer(b, 1, Ms(300), Ms(50)); // Restarted from 50.
    EXPECT_EQ(queue.size(), 1u);
    EXPECT_EQ(queue.nextDue(), Ms(350));
    queue.setTimer(a, 5, Ms(0), Ms(0)); // A zero period is raised to 1 ms.
    EXPECT_EQ(queue.nextDue(), Ms(1));
}

TEST(TimerQueue, TimersOfDestroyedTargetsAreDropped)
{
    auto doomed = std::make_unique<MessageTarget>();
    MessageTarget survivor;
    TimerQueue queue;
    queue.setTimer(*doomed, 1, Ms(10), Ms(0));
    queue.setOneShot(doomed.get(), Ms(10), Ms(0), 9, 0, 0);
    queue.setTimer(survivor, 2, Ms(10), Ms(0));
    doomed.reset();
    EXPECT_EQ(takeAll(queue, Ms(10)), (std::vector<std::string> { "t2" }));
    EXPECT_EQ(queue.size(), 1u);
    // A one-shot for a target that is already gone never enters the queue.
    queue.setOneShot(nullptr, Ms(1), Ms(0), 1, 0, 0);
    EXPECT_EQ(queue.size(), 1u);
}

} // namespace
} // namespace platform
