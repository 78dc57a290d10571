#include "pc/service/upload_connection.h"

#include "proto/upload_block.h"

#include <cerrno>
#include <sys/socket.h>

namespace pc::service {

namespace {

// A handheld that stops reading must not freeze the window thread forever.
constexpr int kSendTimeoutMs = 10000;

} // namespace

UploadConnection::UploadConnection(platform::EventLoop& loop, std::uint64_t id, platform::AcceptedSocket accepted,
    Events events)
    : m_loop(loop)
    , m_id(id)
    , m_socket(std::move(accepted.socket))
    , m_peerAddress(std::move(accepted.peerAddress))
    , m_events(std::move(events))
    , m_gate(m_events.secureLink)
    , m_buffer(proto::kUploadBlockBytes)
{
    (void)platform::setSendTimeout(m_socket.fd(), kSendTimeoutMs);
    (void)platform::setNoDelay(m_socket.fd());
    m_callbacks.onReadable = [this] { onReadable(); };
    m_callbacks.onClosed = [this] { onPeerClosed(); };
    m_loop.watchSocket(m_socket.fd(), m_callbacks);
}

UploadConnection::~UploadConnection()
{
    close();
}

bool UploadConnection::send(std::string_view bytes)
{
    return isOpen() && platform::sendAll(m_socket.fd(), bytes).hasValue();
}

void UploadConnection::close()
{
    if (!isOpen())
        return;
    m_loop.unwatchSocket(m_socket.fd());
    m_socket.reset();
}

void UploadConnection::onPeerClosed()
{
    if (!isOpen())
        return;
    close();
    if (m_events.onClosed)
        m_events.onClosed(*this);
}

void UploadConnection::onReadable()
{
    if (!m_gate.letIn(m_loop, m_socket, m_callbacks, *this, m_events))
        return;
    char* block = m_buffer.data();
    ssize_t received = ::recv(m_socket.fd(), block, m_buffer.size(), MSG_DONTWAIT);
    if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (received == 0) {
        onPeerClosed();
        return;
    }
    if (m_events.onBlock) {
        if (received < 0)
            m_events.onBlock(*this, std::nullopt);
        else
            m_events.onBlock(*this, std::string_view(block, static_cast<std::size_t>(received)));
    }
    if (received < 0)
        onPeerClosed();
}

} // namespace pc::service
