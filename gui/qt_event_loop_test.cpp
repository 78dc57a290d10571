// The Qt event loop adapter: messages, sends, timers and socket watches
// arrive on the GUI thread as with the poll loop.

#include "gui/qt_event_loop.h"
#include "gui/testing/offscreen_app.h"
#include "platform/testing/manual_clock.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace gui {
namespace {

using namespace std::chrono_literals;

struct Recorder final : platform::MessageTarget {
    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam) override
    {
        EXPECT_EQ(std::this_thread::get_id(), guiThread);
        messages.push_back(msg);
        return static_cast<platform::LResult>(wParam) * 2;
    }
    void onTimer(int id) override { timers.push_back(id); }
    std::thread::id guiThread = std::this_thread::get_id();
    std::vector<int> messages;
    std::vector<int> timers;
};

class QtEventLoopTest : public ::testing::Test {
protected:
    QtEventLoopTest() { testing::offscreenApp(); }
};

TEST_F(QtEventLoopTest, PostsFromOtherThreadsArriveOnTheGuiThreadInOrder)
{
    platform::SystemClock clock;
    QtEventLoop loop(clock);
    Recorder target;
    std::thread worker([&] {
        for (int msg = 1; msg <= 3; ++msg)
            loop.post(&target, msg);
    });
    worker.join();
    EXPECT_TRUE(loop.runUntil([&] { return target.messages.size() == 3; }, 5s));
    EXPECT_EQ(target.messages, (std::vector<int> { 1, 2, 3 }));

    // A message for a target that is gone vanishes.
    auto doomed = std::make_unique<Recorder>();
    loop.post(doomed.get(), 9);
    doomed.reset();
    loop.processPending();
    EXPECT_EQ(target.messages.size(), 3u);
}

TEST_F(QtEventLoopTest, SendFromAnotherThreadWaitsForTheAnswer)
{
    platform::SystemClock clock;
    QtEventLoop loop(clock);
    Recorder target;
    platform::LResult answer = 0;
    std::thread worker([&] {
        answer = loop.send(&target, 7, 21);
        loop.post(&target, 8);
    });
    EXPECT_TRUE(loop.runUntil([&] { return target.messages.size() == 2; }, 5s));
    worker.join();
    EXPECT_EQ(answer, 42);
    // On the GUI thread the target is called at once.
    EXPECT_EQ(loop.send(&target, 5, 1), 2);
}

TEST_F(QtEventLoopTest, TimersFollowTheManualClock)
{
    platform::testing::ManualClock clock;
    QtEventLoop loop(clock);
    Recorder target;
    loop.setTimer(target, 1, 1000);
    loop.setOneShot(&target, 1500, 77);
    clock.advance(999ms);
    EXPECT_TRUE(target.timers.empty());
    clock.advance(2001ms);
    EXPECT_EQ(target.timers, (std::vector<int> { 1, 1, 1 }));
    EXPECT_EQ(target.messages, std::vector<int> { 77 });
    loop.killTimer(target, 1);
    clock.advance(5000ms);
    EXPECT_EQ(target.timers.size(), 3u);
}

TEST_F(QtEventLoopTest, TimersRunOnTheSystemClockToo)
{
    platform::SystemClock clock;
    QtEventLoop loop(clock);
    Recorder target;
    loop.setOneShot(&target, 5, 11);
    loop.setTimer(target, 4, 5);
    EXPECT_TRUE(loop.runUntil([&] { return !target.messages.empty() && target.timers.size() >= 2; }, 5s));
    EXPECT_EQ(target.messages.front(), 11);
}

TEST_F(QtEventLoopTest, WatchedSocketReportsDataThenTheCloseOnce)
{
    platform::SystemClock clock;
    QtEventLoop loop(clock);
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    std::string received;
    int closes = 0;
    platform::SocketCallbacks callbacks;
    callbacks.onReadable = [&] {
        char buffer[64];
        ssize_t got = ::recv(pair[0], buffer, sizeof buffer, 0);
        if (got > 0)
            received.append(buffer, static_cast<std::size_t>(got));
    };
    callbacks.onClosed = [&] { ++closes; };
    loop.watchSocket(pair[0], callbacks);
    ASSERT_EQ(::send(pair[1], "hello", 5, 0), 5);
    EXPECT_TRUE(loop.runUntil([&] { return received == "hello"; }, 5s));
    ::close(pair[1]);
    EXPECT_TRUE(loop.runUntil([&] { return closes == 1; }, 5s));
    loop.processPending();
    EXPECT_EQ(closes, 1);
    ::close(pair[0]);
}

TEST_F(QtEventLoopTest, QuitFromAnotherThreadEndsRun)
{
    platform::SystemClock clock;
    QtEventLoop loop(clock);
    Recorder target;
    std::thread worker([&] {
        loop.send(&target, 1); // Returns once run() is delivering.
        loop.quit();
    });
    loop.run();
    worker.join();
    EXPECT_EQ(target.messages, std::vector<int> { 1 });
}

} // namespace
} // namespace gui
