#include "pocket/icq/icq_link.h"

#include "pocket/link/link_messages.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <vector>

namespace pocket::icq {

SocketIcqLink::SocketIcqLink(link::SocketClient& client, platform::MessageTarget& window)
    : m_client(client)
{
    m_client.setTitleForKind(link::kLinkKindIcq);
    m_client.setKind(link::kLinkKindIcq);
    m_client.setReceiveMode(link::ReceiveMode::Readiness);
    m_client.setNotifyOnClose(false);
    m_client.setWindow(&window);
}

bool SocketIcqLink::open(const std::string& host, std::uint16_t port, bool hostIsAddress)
{
    m_splitter.clear();
    m_client.setHost(host);
    m_client.setPort(port);
    m_client.setHostIsAddress(hostIsAddress);
    m_client.setReceiveMode(link::ReceiveMode::Readiness);
    return m_client.open();
}

void SocketIcqLink::close()
{
    m_client.close();
    m_splitter.clear();
}

bool SocketIcqLink::isOpen() const
{
    return m_client.isOpen();
}

bool SocketIcqLink::send(std::string_view bytes)
{
    return m_client.sendBytes(bytes);
}

LinkRead SocketIcqLink::readFrame()
{
    const int fd = m_client.socketFd();
    if (fd < 0)
        return { ReadOutcome::Closed, {} };
    // Takes only what the current frame still lacks, so a second frame that
    // arrived in the same segment stays in the socket and brings its own 5025.
    std::vector<char> buffer(m_splitter.bytesWanted());
    ssize_t received = 0;
    do
        received = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
    while (received < 0 && errno == EINTR);
    if (received == 0)
        return { ReadOutcome::Closed, {} };
    if (received < 0)
        return { errno == EAGAIN || errno == EWOULDBLOCK ? ReadOutcome::Nothing : ReadOutcome::Closed, {} };
    m_splitter.feed({ buffer.data(), static_cast<std::size_t>(received) });
    auto next = m_splitter.next();
    if (!next || !*next)
        return { ReadOutcome::Nothing, {} };
    return { ReadOutcome::Frame, std::move(**next) };
}

std::uint32_t SocketIcqLink::localAddress() const
{
    const int fd = m_client.socketFd();
    sockaddr_in local {};
    socklen_t length = sizeof local;
    if (fd < 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 || local.sin_family != AF_INET)
        return 0;
    return ntohl(local.sin_addr.s_addr);
}

} // namespace pocket::icq
