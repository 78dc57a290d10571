#include "platform/testing/manual_clock.h"

#include "platform/poll_event_loop.h"

#include <gtest/gtest.h>
#include <thread>

namespace platform::testing {
namespace {

using namespace std::chrono_literals;

class Counter : public MessageTarget {
public:
    void onTimer(int) override { ++ticks; }
    LResult onMessage(int, WParam, LParam) override
    {
        ++messages;
        return 0;
    }
    std::atomic<int> ticks = 0;
    std::atomic<int> messages = 0;
};

TEST(ManualClock, MovesBothClocksTogether)
{
    ManualClock clock;
    auto start = clock.now();
    clock.advance(90s);
    EXPECT_EQ(clock.ticks(), 90s);
    EXPECT_EQ(clock.now() - start, 90s);
    clock.setNow(start); // The wall clock may be set back; ticks never go back.
    clock.advance(-5s);
    EXPECT_EQ(clock.ticks(), 90s);
    EXPECT_EQ(clock.now(), start);
}

TEST(ManualClock, DrivesEveryBoundLoop)
{
    ManualClock clock;
    PollEventLoop first(clock), second(clock);
    Counter a, b;
    first.setTimer(a, 1, 60000);
    second.setOneShot(&b, 180000, 1);
    clock.advance(3min);
    EXPECT_EQ(a.ticks, 3);
    EXPECT_EQ(b.messages, 1);
}

TEST(ManualClock, ALoopOnAnotherThreadIsWokenNotSpunOn)
{
    ManualClock clock;
    std::unique_ptr<PollEventLoop> loop;
    Counter target;
    std::atomic<bool> ready = false;
    std::thread runner([&] {
        loop = std::make_unique<PollEventLoop>(clock);
        loop->setTimer(target, 1, 1000);
        ready = true;
        loop->runUntil([&] { return target.ticks > 0; }, 5s);
    });
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!ready && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_TRUE(ready);
    clock.advance(2s); // Returns although this thread cannot fire the timer.
    runner.join();
    EXPECT_EQ(target.ticks, 1);
    loop.reset();
}

} // namespace
} // namespace platform::testing
