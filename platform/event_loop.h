#pragma once

// File: platform/event_loop.h
// The window thread. Both programs run their user interface and every protocol
// handler on one thread that owns an EventLoop; socket readers, timers and
// workers only post messages to it, as they would post window messages.
//
//     class Session : public platform::MessageTarget {
//         LResult onMessage(int msg, WParam, LParam) override { ... }
//         void onTimer(int id) override { ... }
//     };
//     loop.post(&session, kKeepAliveExpired);      // from any thread
//     loop.setTimer(session, kDateTimer, 60000);   // on the window thread
//
// PollEventLoop (platform/poll_event_loop.h) implements this interface with
// poll(); the GUI implements it over Qt so that the GUI thread is the window
// thread. Another implementation keeps the same behaviour by reusing the
// pieces PollEventLoop is built from: MessageTarget::isAlive() before every
// delivery, a TimerQueue (platform/timer_queue.h) armed on the injected
// Clock, and classifySocketEvent() (platform/socket_event.h) to tell a
// readable socket from a closed one. Message numbers are plain ints named by
// the code that routes them.

#include "platform/clock.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace platform {

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// Something that receives posted messages and timer ticks, on the window
// thread. Every target registers itself on construction and unregisters in its
// destructor, so a message or timer that names a destroyed target is dropped
// instead of reaching freed memory. Destroy targets on the window thread.
class MessageTarget {
public:
    MessageTarget();
    virtual ~MessageTarget();
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    virtual LResult onMessage(int msg, WParam wParam, LParam lParam);
    virtual void onTimer(int id);

    // A number unique to this target for the life of the process.
    std::uint64_t serial() const { return m_serial; }

    // For event-loop implementations: the serial of a target that is still
    // alive, or 0 when no target lives at that address. isAlive() also rejects
    // a newer target that happens to occupy a destroyed one's address.
    static std::uint64_t serialIfAlive(const MessageTarget* target);
    static bool isAlive(const MessageTarget* target, std::uint64_t serial);

private:
    std::uint64_t m_serial;
};

// Notifications for a watched descriptor, delivered on the window thread.
// onAccept, when set, is called instead of onReadable when the descriptor is
// readable (a listening socket has a connection waiting). onClosed is called
// once when the peer has closed (or the descriptor failed); the watch is then
// removed by the loop. The owner still closes the descriptor.
struct SocketCallbacks {
    std::function<void()> onAccept;
    std::function<void()> onReadable;
    std::function<void()> onClosed;
};

using OneShotId = std::uint64_t;

class EventLoop {
public:
    virtual ~EventLoop() = default;

    // Queues a message for the target; safe from any thread. A null or
    // destroyed target makes the message vanish.
    virtual void post(MessageTarget* target, int msg, WParam wParam = 0, LParam lParam = 0) = 0;

    // Delivers a message and waits for the target's answer. On the window
    // thread the target is called directly; from another thread the caller
    // blocks until the window thread has handled it. Returns 0 when the target
    // is gone or the loop was destroyed first.
    virtual LResult send(MessageTarget* target, int msg, WParam wParam = 0, LParam lParam = 0) = 0;

    // A periodic timer: target.onTimer(id) every `ms` on the window thread.
    // Setting a timer that exists restarts it with the new period.
    virtual void setTimer(MessageTarget& target, int id, unsigned ms) = 0;
    virtual void killTimer(MessageTarget& target, int id) = 0;

    // A timer that fires once after `ms` and then posts msg to the target.
    // Safe from any thread; cancelling a timer that has fired does nothing.
    virtual OneShotId setOneShot(MessageTarget* target, unsigned ms, int msg, WParam wParam = 0,
        LParam lParam = 0)
        = 0;
    virtual void cancelOneShot(OneShotId id) = 0;

    // Watches a descriptor; replaces an earlier watch of the same descriptor.
    // Unwatch before closing the descriptor.
    virtual void watchSocket(int fd, SocketCallbacks callbacks) = 0;
    virtual void unwatchSocket(int fd) = 0;

    // Runs until quit(). quit() is safe from any thread and ends run() (or
    // runUntil()) after the current notification.
    virtual void run() = 0;
    virtual void quit() = 0;

    // For tests: handles everything that is ready now without blocking and
    // returns how many notifications were delivered.
    virtual std::size_t processPending() = 0;

    // For tests: runs until done() is true (checked after each notification)
    // or until `timeout` of real time has passed. Returns done().
    virtual bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) = 0;

    virtual Clock& clock() = 0;
};

} // namespace platform
