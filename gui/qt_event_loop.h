#pragma once

// File: gui/qt_event_loop.h
// platform::EventLoop over Qt, so that the GUI thread is the window thread:
// the remote service, the main window's logic and the Qt widgets all run on
// the thread that runs the QApplication. Posted messages queue here and are
// drained by one queued call into the Qt event loop; timers sit in a
// platform::TimerQueue on the injected clock with one QTimer armed for the
// next due time; descriptors are watched with QSocketNotifier (watch and
// unwatch on the GUI thread, as the service does). Build it on
// the GUI thread after the QApplication; it must outlive every thread that
// posts to it.

#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/queued_message.h"
#include "platform/timer_queue.h"

#include <QObject>

#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

class QEventLoop;
class QSocketNotifier;
class QTimer;

namespace gui {

class QtEventLoop final : public QObject, public platform::EventLoop, private platform::ClockListener {
    Q_OBJECT
public:
    explicit QtEventLoop(platform::Clock& clock, QObject* parent = nullptr);
    ~QtEventLoop() override;

    void post(platform::MessageTarget* target, int msg, platform::WParam wParam = 0,
        platform::LParam lParam = 0) override;
    platform::LResult send(platform::MessageTarget* target, int msg, platform::WParam wParam = 0,
        platform::LParam lParam = 0) override;
    void setTimer(platform::MessageTarget& target, int id, unsigned ms) override;
    void killTimer(platform::MessageTarget& target, int id) override;
    platform::OneShotId setOneShot(platform::MessageTarget* target, unsigned ms, int msg,
        platform::WParam wParam = 0, platform::LParam lParam = 0) override;
    void cancelOneShot(platform::OneShotId id) override;
    void watchSocket(int fd, platform::SocketCallbacks callbacks) override;
    void unwatchSocket(int fd) override;
    // Runs a Qt event loop until quit(); the application's own exec() works
    // as well, as long as the GUI thread runs Qt's loop.
    void run() override;
    void quit() override;
    std::size_t processPending() override;
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) override;
    platform::Clock& clock() override { return m_clock; }

private:
    using Message = platform::QueuedMessage;
    struct Watch {
        int fd = -1;
        platform::SocketCallbacks callbacks;
        QSocketNotifier* notifier = nullptr;
    };

    std::optional<platform::Ticks> nextDue() override;
    void onClockAdvanced() override;

    bool onLoopThread() const { return std::this_thread::get_id() == m_thread; }
    void enqueue(Message message);
    // Asks the GUI thread to drain the queue and re-arm the timer.
    void wake();
    std::size_t dispatchPosted();
    std::size_t runDueTimers();
    void armTimer();
    void onNotifier(int fd);
    void removeWatch(int fd);

    platform::Clock& m_clock;
    std::thread::id m_thread;
    QTimer* m_timer;
    mutable std::mutex m_mutex;
    std::deque<Message> m_posted;
    platform::TimerQueue m_timers;
    bool m_wakePending = false;
    std::map<int, std::shared_ptr<Watch>> m_watches;
    QEventLoop* m_running = nullptr;
    bool m_quit = false;
    std::size_t m_delivered = 0;
};

} // namespace gui
