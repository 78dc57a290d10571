#include "platform/poll_event_loop.h"

#include "platform/socket_event.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {
namespace {

// A round of processPending() that keeps finding work (a handler that posts to
// itself, a socket nobody reads) still has to end.
constexpr int kMaxPendingRounds = 1000;

} // namespace

PollEventLoop::PollEventLoop(Clock& clock)
    : m_clock(clock)
    , m_wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    , m_loopThread(std::this_thread::get_id())
{
    m_clock.addListener(*this);
}

PollEventLoop::~PollEventLoop()
{
    m_clock.removeListener(*this);
    std::lock_guard lock(m_mutex);
    // Senders waiting on other threads get 0 instead of waiting forever.
    for (auto& message : m_posted)
        message.drop();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool PollEventLoop::onLoopThread() const
{
    return m_loopThread.load() == std::this_thread::get_id();
}

void PollEventLoop::becomeLoopThread()
{
    m_loopThread.store(std::this_thread::get_id());
}

// Callers from other threads hold m_mutex, so the destructor (which takes it
// too) never closes the descriptor while a write to it is under way.
void PollEventLoop::wake()
{
    std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(m_wakeFd, &one, sizeof one);
}

void PollEventLoop::post(MessageTarget* target, int msg, WParam wParam, LParam lParam)
{
    auto serial = MessageTarget::serialIfAlive(target);
    if (serial == 0)
        return;
    std::lock_guard lock(m_mutex);
    m_posted.push_back(Message { target, serial, msg, wParam, lParam, nullptr });
    if (!onLoopThread())
        wake();
}

LResult PollEventLoop::send(MessageTarget* target, int msg, WParam wParam, LParam lParam)
{
    auto serial = MessageTarget::serialIfAlive(target);
    if (serial == 0)
        return 0;
    if (onLoopThread())
        return target->onMessage(msg, wParam, lParam);
    auto reply = std::make_shared<std::promise<LResult>>();
    auto answer = reply->get_future();
    {
        // Woken under the lock: a loop being destroyed closes its wake-up
        // descriptor only after this, never between the push and the write.
        std::lock_guard lock(m_mutex);
        m_posted.push_back(Message { target, serial, msg, wParam, lParam, reply });
        wake();
    }
    return answer.get();
}

void PollEventLoop::setTimer(MessageTarget& target, int id, unsigned ms)
{
    std::lock_guard lock(m_mutex);
    m_timers.setTimer(target, id, Ticks(ms), m_clock.ticks());
    if (!onLoopThread())
        wake();
}

void PollEventLoop::killTimer(MessageTarget& target, int id)
{
    std::lock_guard lock(m_mutex);
    m_timers.killTimer(target, id);
}

OneShotId PollEventLoop::setOneShot(MessageTarget* target, unsigned ms, int msg, WParam wParam, LParam lParam)
{
    std::lock_guard lock(m_mutex);
    OneShotId id = m_timers.setOneShot(target, Ticks(ms), m_clock.ticks(), msg, wParam, lParam);
    if (!onLoopThread())
        wake();
    return id;
}

void PollEventLoop::cancelOneShot(OneShotId id)
{
    std::lock_guard lock(m_mutex);
    m_timers.cancelOneShot(id);
}

void PollEventLoop::watchSocket(int fd, SocketCallbacks callbacks)
{
    std::lock_guard lock(m_mutex);
    m_watches[fd] = std::make_shared<Watch>(Watch { fd, std::move(callbacks) });
    if (!onLoopThread())
        wake();
}

void PollEventLoop::unwatchSocket(int fd)
{
    std::lock_guard lock(m_mutex);
    m_watches.erase(fd);
    if (!onLoopThread())
        wake();
}

std::size_t PollEventLoop::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    return m_posted.size();
}

void PollEventLoop::quit()
{
    std::lock_guard lock(m_mutex);
    m_quit = true;
    wake();
}

void PollEventLoop::run()
{
    becomeLoopThread();
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_quit) {
                m_quit = false;
                return;
            }
        }
        iterate(std::chrono::milliseconds(-1));
    }
}

std::size_t PollEventLoop::processPending()
{
    becomeLoopThread();
    std::size_t total = 0;
    for (int round = 0; round < kMaxPendingRounds; ++round) {
        auto delivered = iterate(std::chrono::milliseconds(0));
        total += delivered;
        if (delivered == 0)
            break;
    }
    return total;
}

bool PollEventLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    becomeLoopThread();
    auto deadline = std::chrono::steady_clock::now() + timeout;
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
        iterate(left);
    }
    return true;
}

std::size_t PollEventLoop::iterate(std::chrono::milliseconds maxWait)
{
    std::size_t delivered = dispatchPosted();
    delivered += runDueTimers();

    int timeoutMs = static_cast<int>(std::min<long long>(maxWait.count(), 1 << 30));
    {
        std::lock_guard lock(m_mutex);
        if (delivered > 0 || !m_posted.empty() || m_quit)
            timeoutMs = 0;
    }
    if (timeoutMs != 0) {
        if (auto due = nextDue()) {
            auto untilDue = std::max<long long>(0, (*due - m_clock.ticks()).count());
            timeoutMs = timeoutMs < 0 ? static_cast<int>(std::min<long long>(untilDue, 1 << 30))
                                      : static_cast<int>(std::min<long long>(untilDue, timeoutMs));
        }
    }
    delivered += pollSockets(timeoutMs);
    return delivered;
}

std::size_t PollEventLoop::dispatchPosted()
{
    std::deque<Message> batch;
    {
        std::lock_guard lock(m_mutex);
        batch.swap(m_posted);
    }
    // Messages posted while this batch runs wait for the next round, so a
    // target that posts to itself cannot starve timers and sockets.
    std::size_t delivered = 0;
    while (!batch.empty()) {
        Message message = std::move(batch.front());
        batch.pop_front();
        if (message.deliver())
            ++delivered;
    }
    return delivered;
}

std::optional<Ticks> PollEventLoop::nextDue()
{
    std::lock_guard lock(m_mutex);
    return m_timers.nextDue();
}

std::size_t PollEventLoop::runDueTimers()
{
    std::size_t fired = 0;
    auto now = m_clock.ticks();
    for (;;) {
        std::optional<TimerQueue::Fired> due;
        {
            std::lock_guard lock(m_mutex);
            due = m_timers.takeDue(now);
            if (due && due->oneShot != 0) {
                // One-shots post, as the timer thread of the original did.
                auto serial = MessageTarget::serialIfAlive(due->target);
                m_posted.push_back(Message { due->target, serial, due->msg, due->wParam, due->lParam, nullptr });
            }
        }
        if (!due)
            break;
        ++fired;
        if (due->oneShot == 0)
            due->target->onTimer(due->timerId);
    }
    return fired;
}

std::size_t PollEventLoop::pollSockets(int timeoutMs)
{
    std::vector<pollfd> fds;
    fds.push_back(pollfd { m_wakeFd, POLLIN, 0 });
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [fd, watch] : m_watches)
            fds.push_back(pollfd { fd, POLLIN, 0 });
    }
    int ready = ::poll(fds.data(), fds.size(), timeoutMs);
    if (ready <= 0)
        return 0;
    if (fds[0].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] auto got = ::read(m_wakeFd, &count, sizeof count);
    }
    std::size_t delivered = 0;
    for (std::size_t i = 1; i < fds.size(); ++i) {
        if (fds[i].revents != 0)
            delivered += dispatchWatch(fds[i].fd, fds[i].revents);
    }
    return delivered;
}

std::size_t PollEventLoop::dispatchWatch(int fd, short revents)
{
    std::shared_ptr<Watch> watch;
    {
        std::lock_guard lock(m_mutex);
        auto found = m_watches.find(fd);
        if (found == m_watches.end())
            return 0; // Unwatched by an earlier callback of this round.
        watch = found->second;
        if (revents & POLLNVAL) {
            // Closed without unwatching: forget it quietly.
            m_watches.erase(found);
            return 0;
        }
    }
    const auto& callbacks = watch->callbacks;
    bool readable = revents & POLLIN;
    if (readable && callbacks.onAccept) {
        callbacks.onAccept();
        return 1;
    }
    switch (classifySocketEvent(fd, readable, revents & (POLLHUP | POLLERR))) {
    case SocketEvent::None:
        return 0;
    case SocketEvent::Readable:
        if (callbacks.onReadable)
            callbacks.onReadable();
        return 1;
    case SocketEvent::Closed:
        break;
    }
    // A close is reported once; the watch ends with it.
    {
        std::lock_guard lock(m_mutex);
        auto found = m_watches.find(fd);
        if (found != m_watches.end() && found->second == watch)
            m_watches.erase(found);
    }
    if (callbacks.onClosed)
        callbacks.onClosed();
    return 1;
}

void PollEventLoop::onClockAdvanced()
{
    if (!onLoopThread()) {
        wake();
        return;
    }
    runDueTimers();
    dispatchPosted();
}

} // namespace platform
