#include "pocket/link/testing/loopback_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace pocket::link::testing {

LoopbackServer::LoopbackServer(Handlers handlers)
    : m_handlers(std::move(handlers))
{
    if (auto listener = platform::TcpListener::listen("127.0.0.1", 0)) {
        m_listener = std::move(*listener);
        m_port = m_listener.port();
    }
    (void)::pipe2(m_wake, O_CLOEXEC);
    m_thread = std::thread([this] { run(); });
}

LoopbackServer::~LoopbackServer()
{
    m_stopping = true;
    wake();
    m_thread.join();
    for (int fd : m_connections)
        ::close(fd);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

void LoopbackServer::wake()
{
    (void)::write(m_wake[1], "x", 1);
}

void LoopbackServer::shutDown()
{
    m_shuttingDown = true;
    wake();
}

void LoopbackServer::send(int fd, std::string_view bytes)
{
    (void)::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void LoopbackServer::close(int fd)
{
    m_closing.push_back(fd);
}

void LoopbackServer::run()
{
    for (;;) {
        std::vector<pollfd> watched { { m_wake[0], POLLIN, 0 } };
        {
            std::lock_guard lock(m_mutex);
            if (m_listener.isOpen())
                watched.push_back({ m_listener.fd(), POLLIN, 0 });
            for (int fd : m_connections)
                watched.push_back({ fd, POLLIN, 0 });
        }
        if (::poll(watched.data(), watched.size(), -1) < 0)
            continue;
        if (m_stopping)
            return;
        std::vector<int> readable;
        for (std::size_t i = 1; i < watched.size(); ++i)
            if (watched[i].revents != 0)
                readable.push_back(watched[i].fd);
        std::lock_guard lock(m_mutex);
        turn(readable, watched[0].revents != 0);
    }
}

void LoopbackServer::turn(const std::vector<int>& readable, bool woken)
{
    if (woken) {
        char drain[64];
        (void)::read(m_wake[0], drain, sizeof drain);
    }
    if (m_shuttingDown.exchange(false)) {
        closeEverything();
        return;
    }
    if (woken && m_handlers.woken)
        m_handlers.woken();
    for (int fd : readable) {
        if (m_listener.isOpen() && fd == m_listener.fd()) {
            auto connection = m_listener.accept();
            if (!connection)
                continue;
            int accepted = connection->socket.release();
            m_connections.push_back(accepted);
            if (m_handlers.accepted)
                m_handlers.accepted(accepted);
            continue;
        }
        if (std::ranges::count(m_closing, fd) > 0)
            continue;
        char buffer[4096];
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            if (m_handlers.ended)
                m_handlers.ended(fd);
            close(fd);
        } else if (m_handlers.received) {
            m_handlers.received(fd, { buffer, static_cast<std::size_t>(got) });
        }
    }
    for (int fd : std::exchange(m_closing, {})) {
        if (std::erase(m_connections, fd) > 0)
            ::close(fd);
    }
}

void LoopbackServer::closeEverything()
{
    for (int fd : m_connections)
        ::close(fd);
    m_connections.clear();
    m_closing.clear();
    m_listener.close();
}

} // namespace pocket::link::testing
