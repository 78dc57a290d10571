#include "pc/service/command_connection.h"

#include <cerrno>
#include <sys/socket.h>

namespace pc::service {

namespace {

// A handheld that stops reading must not freeze the window thread forever.
constexpr int kSendTimeoutMs = 10000;

} // namespace

CommandConnection::CommandConnection(platform::EventLoop& loop, std::uint64_t id, platform::AcceptedSocket accepted,
    Events events)
    : m_loop(loop)
    , m_id(id)
    , m_socket(std::move(accepted.socket))
    , m_peerAddress(std::move(accepted.peerAddress))
    , m_localAddress(std::move(accepted.localAddress))
    , m_acceptedAt(loop.clock().ticks())
    , m_events(std::move(events))
    , m_gate(m_events.secureLink)
{
    (void)platform::setSendTimeout(m_socket.fd(), kSendTimeoutMs);
    (void)platform::setNoDelay(m_socket.fd());
    m_callbacks.onReadable = [this] { onReadable(); };
    m_callbacks.onClosed = [this] { onPeerClosed(); };
    m_loop.watchSocket(m_socket.fd(), m_callbacks);
}

CommandConnection::~CommandConnection()
{
    close();
}

bool CommandConnection::send(std::string_view bytes)
{
    return isOpen() && platform::sendAll(m_socket.fd(), bytes).hasValue();
}

void CommandConnection::close()
{
    if (!isOpen())
        return;
    m_loop.unwatchSocket(m_socket.fd());
    m_socket.reset();
}

void CommandConnection::onPeerClosed()
{
    if (!isOpen())
        return;
    close();
    if (m_events.onClosed)
        m_events.onClosed(*this);
}

void CommandConnection::onReadable()
{
    if (!m_gate.letIn(m_loop, m_socket, m_callbacks, *this, m_events))
        return;
    char buffer[4096];
    ssize_t received = ::recv(m_socket.fd(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (received <= 0) {
        onPeerClosed();
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
