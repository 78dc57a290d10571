#include "platform/login_throttle.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using namespace std::chrono_literals;

TEST(LoginThrottle, DelayDoublesFromOneSecondUpToTheCap)
{
    LoginThrottle throttle;
    Ticks now { 1000 };
    EXPECT_EQ(throttle.delayFor("10.0.0.9", now), 0ms);
    auto first = throttle.onFailure("10.0.0.9", now);
    EXPECT_TRUE(first.startsBurst);
    EXPECT_EQ(first.nextDelay, 0ms);
    EXPECT_EQ(throttle.delayFor("10.0.0.9", now), 0ms);

    const Ticks expected[] = { 1000ms, 2000ms, 4000ms, 8000ms, 16000ms, 32000ms, 60000ms, 60000ms };
    for (Ticks wait : expected) {
        auto failure = throttle.onFailure("10.0.0.9", now);
        EXPECT_FALSE(failure.startsBurst);
        EXPECT_EQ(failure.nextDelay, wait);
        // Nothing at a millisecond before the delay is over, all at its end.
        EXPECT_EQ(throttle.delayFor("10.0.0.9", now + wait - 1ms), 1ms);
        EXPECT_EQ(throttle.delayFor("10.0.0.9", now + wait), 0ms);
        now += wait;
    }
    // Another address is not slowed down.
    EXPECT_EQ(throttle.delayFor("10.0.0.10", now), 0ms);
}

TEST(LoginThrottle, OnlyTheFirstFailuresOfABurstAreWorthALogLine)
{
    LoginThrottle throttle;
    Ticks now { 0 };
    int logged = 0;
    for (int i = 0; i < 1000; ++i) {
        auto failure = throttle.onFailure("a", now);
        logged += failure.startsBurst || failure.startsDelay;
        now += failure.nextDelay;
    }
    EXPECT_EQ(logged, 2);
}

TEST(LoginThrottle, CorrectLogInOrAQuietSpellForgetsTheAddress)
{
    LoginThrottle throttle;
    Ticks now { 0 };
    for (int i = 0; i < 5; ++i)
        (void)throttle.onFailure("a", now);
    EXPECT_GT(throttle.delayFor("a", now), 0ms);
    throttle.onSuccess("a");
    EXPECT_EQ(throttle.delayFor("a", now), 0ms);
    EXPECT_EQ(throttle.onFailure("a", now).nextDelay, 0ms);

    for (int i = 0; i < 5; ++i)
        (void)throttle.onFailure("b", now);
    now += LoginThrottle::kForgetAfter;
    EXPECT_EQ(throttle.delayFor("b", now), 0ms);
    EXPECT_TRUE(throttle.onFailure("b", now).startsBurst);
}

TEST(LoginThrottle, RemembersABoundedNumberOfAddresses)
{
    LoginThrottle throttle;
    for (std::size_t i = 0; i < LoginThrottle::kMaxAddresses + 100; ++i)
        (void)throttle.onFailure("10." + std::to_string(i), Ticks { static_cast<long>(i) });
    EXPECT_EQ(throttle.addressCount(), LoginThrottle::kMaxAddresses);
}

} // namespace
} // namespace platform
