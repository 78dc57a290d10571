#include "pc/service/command_connection.h"

#include <cerrno>
#include <sys/socket.h>

namespace pc::service {

CommandConnection::CommandConnection(platform::EventLoop& loop, Accepted accepted, Events events)
    : m_loop(loop)
    , m_fd(accepted.fd)
    , m_peerAddress(std::move(accepted.peerAddress))
    , m_localAddress(std::move(accepted.localAddress))
    , m_events(std::move(events))
{
    platform::SocketCallbacks callbacks;
    callbacks.onReadable = [this] { onReadable(); };
    callbacks.onClosed = [this] {
        if (!isOpen())
            return;
        close();
        if (m_events.onClosed)
            m_events.onClosed(*this);
    };
    m_loop.watchSocket(m_fd, std::move(callbacks));
}

CommandConnection::~CommandConnection()
{
    close();
}

bool CommandConnection::send(std::string_view bytes)
{
    return isOpen() && sendAll(m_fd, bytes);
}

void CommandConnection::close()
{
    if (m_fd < 0)
        return;
    m_loop.unwatchSocket(m_fd);
    closeFd(m_fd);
}

void CommandConnection::onReadable()
{
    char buffer[4096];
    ssize_t received = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (received <= 0) {
        close();
        if (m_events.onClosed)
            m_events.onClosed(*this);
        return;
    }
    m_splitter.feed(std::string_view(buffer, static_cast<std::size_t>(received)));
    // A handler may close this connection (a log-out does); stop then.
    while (isOpen()) {
        auto unit = m_splitter.next();
        if (!unit)
            break;
        if (m_events.onRequest)
            m_events.onRequest(*this, *unit);
    }
}

} // namespace pc::service
