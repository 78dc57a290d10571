#include "pc/mail/tcp_stream.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pc::mail {
namespace {

// A clear send waits as long as the socket makes it; a TLS send waits for
// room at most this long.
constexpr std::chrono::milliseconds kTlsSendTimeout { 60000 };

int pollMilliseconds(std::chrono::milliseconds timeout)
{
    return static_cast<int>(std::min<std::chrono::milliseconds::rep>(timeout.count(), 0x7FFFFFFF));
}

// Waits for `events` on `fd`; false on time-out or failure.
bool waitFor(int fd, short events, std::chrono::milliseconds timeout)
{
    pollfd entry { fd, events, 0 };
    while (true) {
        int rc = ::poll(&entry, 1, pollMilliseconds(timeout));
        if (rc < 0 && errno == EINTR)
            continue;
        return rc > 0;
    }
}

ConnectError connectErrorOf(int error)
{
    switch (error) {
    case ECONNREFUSED:
        return ConnectError::Refused;
    case ETIMEDOUT:
        return ConnectError::TimedOut;
    default:
        return ConnectError::ConnectFailed;
    }
}

// Connects one socket without blocking longer than `timeout`.
std::optional<ConnectError> connectWithTimeout(int fd, const addrinfo& address, std::chrono::milliseconds timeout)
{
    int flags = ::fcntl(fd, F_GETFL, 0);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int rc = ::connect(fd, address.ai_addr, address.ai_addrlen);
    if (rc != 0 && errno != EINPROGRESS)
        return connectErrorOf(errno);
    if (rc != 0) {
        if (!waitFor(fd, POLLOUT, timeout))
            return ConnectError::TimedOut;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            return ConnectError::ConnectFailed;
        if (error != 0)
            return connectErrorOf(error);
    }
    ::fcntl(fd, F_SETFL, flags);
    return std::nullopt;
}

} // namespace

TcpStream::~TcpStream()
{
    close();
}

TcpStream::TcpStream(TcpStream&& other) noexcept
    : m_fd(other.m_fd)
    , m_tls(std::move(other.m_tls))
{
    other.m_fd = -1;
}

TcpStream& TcpStream::operator=(TcpStream&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_tls = std::move(other.m_tls);
        other.m_fd = -1;
    }
    return *this;
}

platform::Result<TcpStream, ConnectError> TcpStream::connect(const std::string& host, std::uint16_t port,
    std::chrono::milliseconds timeout)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses) != 0)
        return platform::unexpected(ConnectError::NameNotFound);

    ConnectError failure = ConnectError::ConnectFailed;
    bool created = false;
    for (addrinfo* address = addresses; address; address = address->ai_next) {
        int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0)
            continue;
        created = true;
        auto error = connectWithTimeout(fd, *address, timeout);
        if (!error) {
            ::freeaddrinfo(addresses);
            return TcpStream(fd);
        }
        failure = *error;
        ::close(fd);
    }
    ::freeaddrinfo(addresses);
    if (!created)
        failure = ConnectError::CreateFailed;
    return platform::unexpected(failure);
}

platform::IoResult<void> TcpStream::startTls(const std::string& host, std::chrono::milliseconds timeout)
{
    if (m_fd < 0)
        return platform::Error { platform::ErrorCode::Closed, "TLS on a closed socket" };
    auto tls = platform::VerifiedTls::handshake(m_fd, host, timeout);
    if (!tls) {
        close();
        return tls.error();
    }
    m_tls = std::move(*tls);
    return {};
}

platform::IoResult<void> TcpStream::sendAll(std::string_view bytes)
{
    if (m_fd < 0)
        return platform::Error { platform::ErrorCode::Closed, "send on a closed socket" };
    if (m_tls)
        return m_tls->sendAll(bytes, kTlsSendTimeout);
    while (!bytes.empty()) {
        ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            return platform::errorFromErrno("send", errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return {};
}

platform::IoResult<std::string> TcpStream::receiveSome(std::size_t maxBytes, std::chrono::milliseconds timeout)
{
    if (m_fd < 0)
        return platform::Error { platform::ErrorCode::Closed, "receive on a closed socket" };
    if (m_tls)
        return m_tls->receiveSome(maxBytes, timeout);
    if (!waitFor(m_fd, POLLIN, timeout))
        return platform::Error { platform::ErrorCode::Timeout, "receive timed out" };
    std::string buffer(maxBytes, '\0');
    while (true) {
        ssize_t got = ::recv(m_fd, buffer.data(), buffer.size(), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return platform::errorFromErrno("recv", errno);
        buffer.resize(static_cast<std::size_t>(got));
        return buffer;
    }
}

void TcpStream::close()
{
    m_tls.reset();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace pc::mail
