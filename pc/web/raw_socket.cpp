#include "pc/web/raw_socket.h"

#include <cerrno>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pc::web {

using platform::errorFromErrno;
using platform::IoResult;
using platform::unexpected;

CRawSocket& CRawSocket::operator=(CRawSocket&& other) noexcept
{
    if (this != &other) {
        close();
        m_handle = other.detach();
    }
    return *this;
}

IoResult<void> CRawSocket::create()
{
    close();
    m_handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_handle < 0) {
        m_handle = kInvalid;
        return unexpected(errorFromErrno("socket", errno));
    }
    int on = 1;
    ::setsockopt(m_handle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    return {};
}

IoResult<void> CRawSocket::bind(const sockaddr_in& address)
{
    if (::bind(m_handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return unexpected(errorFromErrno("bind", errno));
    return {};
}

IoResult<void> CRawSocket::listen(int backlog)
{
    if (::listen(m_handle, backlog) != 0)
        return unexpected(errorFromErrno("listen", errno));
    return {};
}

IoResult<CRawSocket> CRawSocket::accept(sockaddr_in& peer)
{
    socklen_t length = sizeof peer;
    int handle = ::accept4(m_handle, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (handle < 0)
        return unexpected(errorFromErrno("accept", errno));
    return CRawSocket(handle);
}

IoResult<void> CRawSocket::sendAll(std::string_view bytes, bool more)
{
    int flags = MSG_NOSIGNAL | (more ? MSG_MORE : 0);
    while (!bytes.empty()) {
        ssize_t sent = ::send(m_handle, bytes.data(), bytes.size(), flags);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            return unexpected(errorFromErrno("send", errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return {};
}

IoResult<std::uint64_t> CRawSocket::sendFile(int fileHandle, std::uint64_t length)
{
    // Chunks below 2 GiB: sendfile moves at most 0x7ffff000 bytes per call.
    constexpr std::uint64_t kMaxChunk = 1u << 30;
    std::uint64_t total = 0;
    while (total < length) {
        std::size_t chunk = static_cast<std::size_t>(std::min(length - total, kMaxChunk));
        ssize_t sent = ::sendfile(m_handle, fileHandle, nullptr, chunk);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            return unexpected(errorFromErrno("sendfile", errno));
        }
        if (sent == 0)
            break; // The file ended early (it shrank while being sent).
        total += static_cast<std::uint64_t>(sent);
    }
    return total;
}

IoResult<std::size_t> CRawSocket::receive(char* buffer, std::size_t size)
{
    for (;;) {
        ssize_t received = ::recv(m_handle, buffer, size, 0);
        if (received >= 0)
            return static_cast<std::size_t>(received);
        if (errno != EINTR)
            return unexpected(errorFromErrno("recv", errno));
    }
}

IoResult<bool> CRawSocket::isReadable(int timeoutMs)
{
    pollfd entry { m_handle, POLLIN, 0 };
    int ready = ::poll(&entry, 1, timeoutMs);
    if (ready < 0) {
        if (errno == EINTR)
            return false;
        return unexpected(errorFromErrno("poll", errno));
    }
    return ready > 0;
}

IoResult<void> CRawSocket::setSendTimeout(int timeoutMs)
{
    timeval limit { timeoutMs / 1000, (timeoutMs % 1000) * 1000 };
    if (::setsockopt(m_handle, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) != 0)
        return unexpected(errorFromErrno("setsockopt SO_SNDTIMEO", errno));
    return {};
}

IoResult<sockaddr_in> CRawSocket::localAddress() const
{
    sockaddr_in address {};
    socklen_t length = sizeof address;
    if (::getsockname(m_handle, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return unexpected(errorFromErrno("getsockname", errno));
    return address;
}

void CRawSocket::attach(int handle)
{
    close();
    m_handle = handle;
}

int CRawSocket::detach()
{
    int handle = m_handle;
    m_handle = kInvalid;
    return handle;
}

void CRawSocket::close()
{
    if (m_handle != kInvalid) {
        ::close(m_handle);
        m_handle = kInvalid;
    }
}

} // namespace pc::web
