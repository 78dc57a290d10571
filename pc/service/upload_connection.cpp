#include "pc/service/upload_connection.h"

#include "proto/upload_block.h"

#include <cerrno>
#include <sys/socket.h>

namespace pc::service {

UploadConnection::UploadConnection(platform::EventLoop& loop, Accepted accepted, Events events)
    : m_loop(loop)
    , m_fd(accepted.fd)
    , m_peerAddress(std::move(accepted.peerAddress))
    , m_events(std::move(events))
{
    platform::SocketCallbacks callbacks;
    callbacks.onReadable = [this] { onReadable(); };
    callbacks.onClosed = [this] { onPeerClosed(); };
    m_loop.watchSocket(m_fd, std::move(callbacks));
}

UploadConnection::~UploadConnection()
{
    close();
}

bool UploadConnection::send(std::string_view bytes)
{
    return isOpen() && sendAll(m_fd, bytes);
}

void UploadConnection::close()
{
    if (m_fd < 0)
        return;
    m_loop.unwatchSocket(m_fd);
    closeFd(m_fd);
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
    char block[proto::kUploadBlockBytes];
    ssize_t received = ::recv(m_fd, block, sizeof block, MSG_DONTWAIT);
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
