#include "platform/poll_event_loop.h"

#include "platform/net_address.h"
#include "platform/testing/manual_clock.h"

#include <fcntl.h>

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

using namespace std::chrono_literals;
using testing::ManualClock;

// Records what arrives, with the manual clock's tick at arrival.
class Recorder : public MessageTarget {
public:
    explicit Recorder(Clock& clock)
        : m_clock(clock)
    {
    }
    struct Event {
        std::string what;
        long long at;
        bool operator==(const Event&) const = default;
    };
    LResult onMessage(int msg, WParam wParam, LParam lParam) override
    {
        events.push_back({ "msg " + std::to_string(msg) + " " + std::to_string(wParam) + " " + std::to_string(lParam),
            m_clock.ticks().count() });
        return msg * 2;
    }
    void onTimer(int id) override { events.push_back({ "timer " + std::to_string(id), m_clock.ticks().count() }); }

    std::vector<Event> events;

private:
    Clock& m_clock;
};

class PollEventLoopTest : public ::testing::Test {
protected:
    ManualClock clock;
    PollEventLoop loop { clock };
    Recorder target { clock };
};

TEST_F(PollEventLoopTest, PeriodicTimersFireInOrderAsTheClockAdvances)
{
    loop.setTimer(target, 1, 1000);
    loop.setTimer(target, 2, 1500);
    clock.advance(3s);
    std::vector<Recorder::Event> expected = {
        { "timer 1", 1000 }, { "timer 2", 1500 }, { "timer 1", 2000 }, { "timer 1", 3000 }, { "timer 2", 3000 },
    };
    EXPECT_EQ(target.events, expected);
}

TEST_F(PollEventLoopTest, KilledAndResetTimersStopOrRestart)
{
    loop.setTimer(target, 1, 1000);
    clock.advance(1500ms);
    loop.killTimer(target, 1);
    clock.advance(5s);
    ASSERT_EQ(target.events.size(), 1u);

    // Setting an existing timer restarts it from now with the new period.
    loop.setTimer(target, 2, 1000);
    clock.advance(900ms);
    loop.setTimer(target, 2, 1000);
    clock.advance(900ms);
    EXPECT_EQ(target.events.size(), 1u);
    clock.advance(100ms);
    ASSERT_EQ(target.events.size(), 2u);
    EXPECT_EQ(target.events.back(), (Recorder::Event { "timer 2", 8400 }));
}

TEST_F(PollEventLoopTest, OneShotPostsOnceAndCanBeCancelled)
{
    loop.setOneShot(&target, 180000, 4025, 7, -1);
    auto cancelled = loop.setOneShot(&target, 1000, 99);
    loop.cancelOneShot(cancelled);
    clock.advance(179999ms);
    EXPECT_TRUE(target.events.empty());
    clock.advance(10min);
    std::vector<Recorder::Event> expected = { { "msg 4025 7 -1", 180000 } };
    EXPECT_EQ(target.events, expected);
}

TEST_F(PollEventLoopTest, HandlersMayRearmTimersWhileTheClockAdvances)
{
    // A keep-alive that sets the next probe from its own expiry.
    class Rearming : public MessageTarget {
    public:
        Rearming(EventLoop& loop)
            : m_loop(loop)
        {
        }
        LResult onMessage(int, WParam, LParam) override
        {
            firedAt.push_back(m_loop.clock().ticks().count());
            m_loop.setOneShot(this, 1000, 1);
            return 0;
        }
        std::vector<long long> firedAt;

    private:
        EventLoop& m_loop;
    } rearming(loop);
    loop.setOneShot(&rearming, 1000, 1);
    clock.advance(3500ms);
    EXPECT_EQ(rearming.firedAt, (std::vector<long long> { 1000, 2000, 3000 }));
}

TEST_F(PollEventLoopTest, PostedMessagesArriveInOrderFromAnyThread)
{
    loop.post(&target, 1, 10, 20);
    std::thread poster([&] {
        for (int i = 2; i <= 4; ++i)
            loop.post(&target, i);
    });
    poster.join();
    EXPECT_EQ(loop.processPending(), 4u);
    ASSERT_EQ(target.events.size(), 4u);
    EXPECT_EQ(target.events[0].what, "msg 1 10 20");
    EXPECT_EQ(target.events[3].what, "msg 4 0 0");
}

TEST_F(PollEventLoopTest, PostFromAnotherThreadWakesARunningLoop)
{
    std::thread poster([&] { loop.post(&target, 5); });
    EXPECT_TRUE(loop.runUntil([&] { return !target.events.empty(); }, 5s));
    poster.join();
}

TEST_F(PollEventLoopTest, SendWaitsForTheWindowThreadsAnswer)
{
    EXPECT_EQ(loop.send(&target, 21), 42); // Same thread: a direct call.
    LResult answer = 0;
    std::thread sender([&] { answer = loop.send(&target, 50); });
    EXPECT_TRUE(loop.runUntil([&] { return target.events.size() == 2; }, 5s));
    sender.join();
    EXPECT_EQ(answer, 100);
}

TEST_F(PollEventLoopTest, SendToADestroyedLoopAnswersZeroInsteadOfHanging)
{
    auto other = std::make_unique<PollEventLoop>(clock);
    std::atomic<LResult> answer = -1;
    std::thread sender([&] { answer = other->send(&target, 50); });
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (other->pendingCount() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_EQ(other->pendingCount(), 1u);
    other.reset();
    sender.join();
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(target.events.empty());
}

// The test hands the loop the address of a destroyed target on purpose.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
#endif
TEST_F(PollEventLoopTest, MessagesAndTimersForADestroyedTargetVanish)
{
    auto doomed = std::make_unique<Recorder>(clock);
    Recorder* raw = doomed.get();
    loop.post(raw, 1);
    loop.setTimer(*raw, 1, 100);
    loop.setOneShot(raw, 50, 2);
    // From here on only the address is used: the loop must know the target
    // is gone without touching it.
    doomed.reset();
    loop.post(raw, 3);
    EXPECT_EQ(loop.processPending(), 0u);
    clock.advance(1s);
    EXPECT_EQ(loop.processPending(), 0u);
    EXPECT_EQ(loop.send(raw, 4), 0);
    // A new target at the same address must not receive the old messages.
    loop.post(&target, 5);
    EXPECT_EQ(loop.processPending(), 1u);
}
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic pop
#endif

TEST_F(PollEventLoopTest, SocketWatchDeliversReadableThenClosed)
{
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    std::string received;
    bool closed = false;
    loop.watchSocket(pair[0], SocketCallbacks { nullptr, [&] {
        char buffer[64];
        auto got = ::recv(pair[0], buffer, sizeof buffer, 0);
        if (got > 0)
            received.append(buffer, static_cast<std::size_t>(got));
    }, [&] { closed = true; } });

    ASSERT_EQ(::send(pair[1], "hello", 5, 0), 5);
    EXPECT_TRUE(loop.runUntil([&] { return received == "hello"; }, 5s));
    // Data sent just before the close is read before the close is reported.
    ASSERT_EQ(::send(pair[1], "bye", 3, 0), 3);
    ::close(pair[1]);
    EXPECT_TRUE(loop.runUntil([&] { return closed; }, 5s));
    EXPECT_EQ(received, "hellobye");
    EXPECT_EQ(loop.processPending(), 0u); // The watch ended with the close.
    ::close(pair[0]);
}

TEST_F(PollEventLoopTest, PipeEndIsReportedAsClosedAfterItsData)
{
    int pipeFds[2];
    ASSERT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
    std::string received;
    bool closed = false;
    loop.watchSocket(pipeFds[0], SocketCallbacks { nullptr, [&] {
        char buffer[16];
        auto got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got > 0)
            received.append(buffer, static_cast<std::size_t>(got));
    }, [&] { closed = true; } });
    ASSERT_EQ(::write(pipeFds[1], "line\n", 5), 5);
    ::close(pipeFds[1]);
    EXPECT_TRUE(loop.runUntil([&] { return closed; }, 5s));
    EXPECT_EQ(received, "line\n");
    ::close(pipeFds[0]);
}

TEST_F(PollEventLoopTest, ListenersReportAcceptsOnRealLoopbackSockets)
{
    auto listener = listenTcp("127.0.0.1", 0);
    ASSERT_TRUE(listener);
    auto port = localPort(listener->fd());
    ASSERT_TRUE(port);
    int accepted = 0;
    std::vector<SocketFd> peers;
    loop.watchSocket(listener->fd(), SocketCallbacks { [&] {
        peers.emplace_back(::accept(listener->fd(), nullptr, nullptr));
        ++accepted;
    }, nullptr, nullptr });
    auto client = connectTcp("127.0.0.1", *port);
    ASSERT_TRUE(client);
    EXPECT_TRUE(loop.runUntil([&] { return accepted == 1; }, 5s));
    loop.unwatchSocket(listener->fd());
}

TEST_F(PollEventLoopTest, UnwatchedSocketsAreSilent)
{
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    int calls = 0;
    loop.watchSocket(pair[0], SocketCallbacks { nullptr, [&] { ++calls; }, [&] { ++calls; } });
    loop.unwatchSocket(pair[0]);
    ASSERT_EQ(::send(pair[1], "x", 1, 0), 1);
    loop.processPending();
    EXPECT_EQ(calls, 0);
    ::close(pair[0]);
    ::close(pair[1]);
}

TEST_F(PollEventLoopTest, QuitFromAnotherThreadEndsRun)
{
    std::thread stopper([&] {
        loop.post(&target, 1);
        loop.quit();
    });
    loop.run();
    stopper.join();
    SUCCEED();
}

TEST(PollEventLoopSystemClock, PeriodicTimerFiresOnARealClock)
{
    SystemClock clock;
    PollEventLoop loop(clock);
    Recorder target(clock);
    loop.setTimer(target, 7, 1);
    EXPECT_TRUE(loop.runUntil([&] { return target.events.size() >= 3; }, 5s));
}

} // namespace
} // namespace platform
