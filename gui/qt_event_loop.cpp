#include "gui/qt_event_loop.h"

#include "platform/socket_event.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

namespace gui {

QtEventLoop::QtEventLoop(platform::Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_thread(std::this_thread::get_id())
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, [this] {
        runDueTimers();
        armTimer();
    });
    m_clock.addListener(*this);
}

QtEventLoop::~QtEventLoop()
{
    m_clock.removeListener(*this);
    std::lock_guard lock(m_mutex);
    // Senders on other threads get 0 instead of waiting forever.
    for (auto& message : m_posted)
        message.drop();
    for (auto& [fd, watch] : m_watches)
        delete watch->notifier;
}

void QtEventLoop::enqueue(Message message)
{
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(std::move(message));
    }
    wake();
}

void QtEventLoop::wake()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_wakePending)
            return;
        m_wakePending = true;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            {
                std::lock_guard lock(m_mutex);
                m_wakePending = false;
            }
            dispatchPosted();
            armTimer();
        },
        Qt::QueuedConnection);
}

void QtEventLoop::post(platform::MessageTarget* target, int msg, platform::WParam wParam, platform::LParam lParam)
{
    auto serial = platform::MessageTarget::serialIfAlive(target);
    if (serial == 0)
        return;
    enqueue(Message { target, serial, msg, wParam, lParam, nullptr });
}

platform::LResult QtEventLoop::send(platform::MessageTarget* target, int msg, platform::WParam wParam,
    platform::LParam lParam)
{
    auto serial = platform::MessageTarget::serialIfAlive(target);
    if (serial == 0)
        return 0;
    if (onLoopThread())
        return target->onMessage(msg, wParam, lParam);
    auto reply = std::make_shared<std::promise<platform::LResult>>();
    auto answer = reply->get_future();
    enqueue(Message { target, serial, msg, wParam, lParam, reply });
    return answer.get();
}

std::size_t QtEventLoop::dispatchPosted()
{
    std::deque<Message> batch;
    {
        std::lock_guard lock(m_mutex);
        batch.swap(m_posted);
    }
    std::size_t delivered = 0;
    for (auto& message : batch) {
        if (message.deliver())
            ++delivered;
    }
    m_delivered += delivered;
    return delivered;
}

void QtEventLoop::setTimer(platform::MessageTarget& target, int id, unsigned ms)
{
    {
        std::lock_guard lock(m_mutex);
        m_timers.setTimer(target, id, platform::Ticks(ms), m_clock.ticks());
    }
    if (onLoopThread())
        armTimer();
    else
        wake();
}

void QtEventLoop::killTimer(platform::MessageTarget& target, int id)
{
    std::lock_guard lock(m_mutex);
    m_timers.killTimer(target, id);
}

platform::OneShotId QtEventLoop::setOneShot(platform::MessageTarget* target, unsigned ms, int msg,
    platform::WParam wParam, platform::LParam lParam)
{
    platform::OneShotId id = 0;
    {
        std::lock_guard lock(m_mutex);
        id = m_timers.setOneShot(target, platform::Ticks(ms), m_clock.ticks(), msg, wParam, lParam);
    }
    if (onLoopThread())
        armTimer();
    else
        wake();
    return id;
}

void QtEventLoop::cancelOneShot(platform::OneShotId id)
{
    std::lock_guard lock(m_mutex);
    m_timers.cancelOneShot(id);
}

std::optional<platform::Ticks> QtEventLoop::nextDue()
{
    std::lock_guard lock(m_mutex);
    return m_timers.nextDue();
}

std::size_t QtEventLoop::runDueTimers()
{
    std::size_t fired = 0;
    auto now = m_clock.ticks();
    for (;;) {
        std::optional<platform::TimerQueue::Fired> due;
        {
            std::lock_guard lock(m_mutex);
            due = m_timers.takeDue(now);
        }
        if (!due)
            break;
        ++fired;
        if (due->oneShot != 0)
            post(due->target, due->msg, due->wParam, due->lParam); // One-shots post, as a timer thread would.
        else
            due->target->onTimer(due->timerId);
    }
    m_delivered += fired;
    return fired;
}

void QtEventLoop::armTimer()
{
    auto due = nextDue();
    if (!due) {
        m_timer->stop();
        return;
    }
    auto wait = std::max<long long>(0, (*due - m_clock.ticks()).count());
    // A clock that does not run by itself (tests) is moved by advance(),
    // which calls onClockAdvanced(); the QTimer then only has to look again.
    m_timer->start(static_cast<int>(std::min<long long>(wait, 1 << 30)));
}

void QtEventLoop::onClockAdvanced()
{
    if (!onLoopThread()) {
        wake();
        return;
    }
    runDueTimers();
    dispatchPosted();
    armTimer();
}

void QtEventLoop::watchSocket(int fd, platform::SocketCallbacks callbacks)
{
    removeWatch(fd);
    auto watch = std::make_shared<Watch>();
    watch->fd = fd;
    watch->callbacks = std::move(callbacks);
    watch->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    connect(watch->notifier, &QSocketNotifier::activated, this, [this, fd] { onNotifier(fd); });
    std::lock_guard lock(m_mutex);
    m_watches[fd] = watch;
}

void QtEventLoop::removeWatch(int fd)
{
    std::shared_ptr<Watch> watch;
    {
        std::lock_guard lock(m_mutex);
        auto found = m_watches.find(fd);
        if (found == m_watches.end())
            return;
        watch = found->second;
        m_watches.erase(found);
    }
    watch->notifier->setEnabled(false);
    // The notifier may be the one whose signal is running.
    watch->notifier->deleteLater();
}

void QtEventLoop::unwatchSocket(int fd)
{
    removeWatch(fd);
}

void QtEventLoop::onNotifier(int fd)
{
    std::shared_ptr<Watch> watch;
    {
        std::lock_guard lock(m_mutex);
        auto found = m_watches.find(fd);
        if (found == m_watches.end())
            return;
        watch = found->second;
    }
    const auto& callbacks = watch->callbacks;
    ++m_delivered;
    if (callbacks.onAccept) {
        callbacks.onAccept();
        return;
    }
    // Qt reports a hang-up as readable; the classification tells them apart.
    switch (platform::classifySocketEvent(fd, true, true)) {
    case platform::SocketEvent::None:
        --m_delivered;
        return;
    case platform::SocketEvent::Readable:
        if (callbacks.onReadable)
            callbacks.onReadable();
        return;
    case platform::SocketEvent::Closed:
        break;
    }
    {
        std::lock_guard lock(m_mutex);
        auto found = m_watches.find(fd);
        if (found == m_watches.end() || found->second != watch)
            return;
    }
    removeWatch(fd);
    if (callbacks.onClosed)
        callbacks.onClosed();
}

void QtEventLoop::run()
{
    QEventLoop loop;
    {
        std::lock_guard lock(m_mutex);
        if (m_quit) {
            m_quit = false;
            return;
        }
        m_running = &loop;
    }
    loop.exec();
    std::lock_guard lock(m_mutex);
    m_running = nullptr;
    m_quit = false;
}

void QtEventLoop::quit()
{
    std::lock_guard lock(m_mutex);
    m_quit = true;
    if (m_running)
        QMetaObject::invokeMethod(m_running, "quit", Qt::QueuedConnection);
}

std::size_t QtEventLoop::processPending()
{
    std::size_t before = m_delivered;
    for (int round = 0; round < 1000; ++round) {
        std::size_t start = m_delivered;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        dispatchPosted();
        runDueTimers();
        if (m_delivered == start)
            break;
    }
    return m_delivered - before;
}

bool QtEventLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    // Wakes the wait below when the time is up.
    QTimer guard;
    guard.setSingleShot(true);
    guard.start(static_cast<int>(std::min<long long>(timeout.count(), 1 << 30)));
    while (!done()) {
        {
            std::lock_guard lock(m_mutex);
            if (m_quit) {
                m_quit = false;
                return false;
            }
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return done();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace gui
