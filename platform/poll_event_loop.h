#pragma once

// File: platform/poll_event_loop.h
// The event loop of the headless server and of tests: poll() over the watched
// descriptors and an eventfd that other threads write to wake it. Timers run on
// the injected Clock, so a ManualClock drives them in tests without waiting.
// The thread that calls run(), runUntil() or processPending() is the window
// thread; the loop must outlive every thread that posts to it.

#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/queued_message.h"
#include "platform/timer_queue.h"

#include <atomic>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

class PollEventLoop final : public EventLoop, private ClockListener {
public:
    explicit PollEventLoop(Clock& clock);
    ~PollEventLoop() override;
    PollEventLoop(const PollEventLoop&) = delete;
    PollEventLoop& operator=(const PollEventLoop&) = delete;

    void post(MessageTarget* target, int msg, WParam wParam = 0, LParam lParam = 0) override;
    LResult send(MessageTarget* target, int msg, WParam wParam = 0, LParam lParam = 0) override;
    void setTimer(MessageTarget& target, int id, unsigned ms) override;
    void killTimer(MessageTarget& target, int id) override;
    OneShotId setOneShot(MessageTarget* target, unsigned ms, int msg, WParam wParam = 0,
        LParam lParam = 0) override;
    void cancelOneShot(OneShotId id) override;
    void watchSocket(int fd, SocketCallbacks callbacks) override;
    void unwatchSocket(int fd) override;
    void run() override;
    void quit() override;
    std::size_t processPending() override;
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) override;
    Clock& clock() override { return m_clock; }

    // Messages posted or sent and not yet delivered.
    std::size_t pendingCount() const;

private:
    using Message = QueuedMessage;
    struct Watch {
        int fd = -1;
        SocketCallbacks callbacks;
    };

    std::optional<Ticks> nextDue() override;
    void onClockAdvanced() override;

    // One round: posted messages, due timers, then a poll of at most
    // `maxWait` (negative: no limit). Returns the number of deliveries.
    std::size_t iterate(std::chrono::milliseconds maxWait);
    std::size_t dispatchPosted();
    std::size_t runDueTimers();
    std::size_t pollSockets(int timeoutMs);
    std::size_t dispatchWatch(int fd, short revents);
    void wake();
    bool onLoopThread() const;
    void becomeLoopThread();

    Clock& m_clock;
    int m_wakeFd = -1;
    mutable std::mutex m_mutex;
    std::deque<Message> m_posted;
    TimerQueue m_timers;
    std::map<int, std::shared_ptr<Watch>> m_watches;
    bool m_quit = false;
    std::atomic<std::thread::id> m_loopThread;
};

} // namespace platform
