#include "pocket/msn/testing/scripted_peer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace pocket::msn::testing {

namespace {
    constexpr int kWaitMs = 5000;

    // Waits for the descriptor or the wake pipe; false on time-out or wake.
    bool waitReadable(int fd, int wake)
    {
        pollfd watched[2] = { { fd, POLLIN, 0 }, { wake, POLLIN, 0 } };
        return ::poll(watched, 2, kWaitMs) > 0 && (watched[0].revents != 0) && watched[1].revents == 0;
    }
} // namespace

ScriptedPeer::ScriptedPeer(std::vector<ScriptedConnection> connections)
{
    if (auto listening = platform::listenTcp("127.0.0.1", 0, 4)) {
        m_listener = std::move(*listening);
        m_port = platform::localPort(m_listener.fd()).valueOr(0);
    }
    (void)::pipe(m_wake);
    m_thread = std::thread(&ScriptedPeer::serve, this, std::move(connections));
}

ScriptedPeer::~ScriptedPeer()
{
    (void)::write(m_wake[1], "x", 1);
    m_thread.join();
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

void ScriptedPeer::fail(std::string why)
{
    std::lock_guard lock(m_mutex);
    if (m_failure.empty())
        m_failure = std::move(why);
}

std::string ScriptedPeer::failure() const
{
    std::lock_guard lock(m_mutex);
    return m_failure;
}

bool ScriptedPeer::waitDone()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(kWaitMs), [this] { return m_done; });
    return m_done && m_failure.empty();
}

bool ScriptedPeer::runSteps(int fd, const ScriptedConnection& connection)
{
    std::string received;
    for (const auto& step : connection.steps) {
        while (received.size() < step.expect.size()) {
            if (!waitReadable(fd, m_wake[0])) {
                fail("timed out waiting for: " + step.expect + " (got: " + received + ")");
                return false;
            }
            char buffer[4096];
            ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                fail("closed while waiting for: " + step.expect + " (got: " + received + ")");
                return false;
            }
            received.append(buffer, static_cast<std::size_t>(got));
        }
        if (received.compare(0, step.expect.size(), step.expect) != 0) {
            fail("expected: " + step.expect + " got: " + received);
            return false;
        }
        received.erase(0, step.expect.size());
        if (!step.reply.empty())
            (void)::send(fd, step.reply.data(), step.reply.size(), MSG_NOSIGNAL);
    }
    return true;
}

void ScriptedPeer::serve(std::vector<ScriptedConnection> connections)
{
    std::vector<int> held;
    for (const auto& connection : connections) {
        if (!waitReadable(m_listener.fd(), m_wake[0])) {
            fail("no connection came");
            break;
        }
        int fd = ::accept(m_listener.fd(), nullptr, nullptr);
        bool ok = runSteps(fd, connection);
        if (connection.holdOpen && ok)
            held.push_back(fd);
        else
            ::close(fd);
        if (!ok)
            break;
    }
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_changed.notify_all();
    // Held connections stay open until the test is over.
    pollfd wake { m_wake[0], POLLIN, 0 };
    if (!held.empty())
        (void)::poll(&wake, 1, -1);
    for (int fd : held)
        ::close(fd);
}

} // namespace pocket::msn::testing
