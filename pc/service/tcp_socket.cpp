#include "pc/service/tcp_socket.h"

#include "platform/net_address.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pc::service {

namespace {

// A handheld that stops reading must not freeze the window thread forever.
constexpr int kSendTimeoutSeconds = 10;

std::string dotted(const sockaddr_in& address)
{
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

} // namespace

platform::IoResult<int> listenTcp(const std::string& address, std::uint16_t port, int backlog)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return platform::unexpected(platform::errorFromErrno("socket", errno));
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in bindAddress {};
    bindAddress.sin_family = AF_INET;
    bindAddress.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &bindAddress.sin_addr) != 1) {
        ::close(fd);
        return platform::unexpected(platform::Error { platform::ErrorCode::InvalidArgument, "address " + address, 0 });
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&bindAddress), sizeof bindAddress) != 0
        || ::listen(fd, backlog) != 0) {
        int saved = errno;
        ::close(fd);
        return platform::unexpected(platform::errorFromErrno("listen " + address + ":" + std::to_string(port), saved));
    }
    return fd;
}

std::uint16_t localPortOf(int fd)
{
    sockaddr_in address {};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

platform::IoResult<Accepted> acceptTcp(int listenFd)
{
    sockaddr_in peer {};
    socklen_t length = sizeof peer;
    int fd = ::accept4(listenFd, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (fd < 0)
        return platform::unexpected(platform::errorFromErrno("accept", errno));
    timeval timeout {};
    timeout.tv_sec = kSendTimeoutSeconds;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    Accepted accepted;
    accepted.fd = fd;
    accepted.peerAddress = dotted(peer);
    sockaddr_in local {};
    length = sizeof local;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0)
        accepted.localAddress = dotted(local);
    return accepted;
}

bool sendAll(int fd, std::string_view bytes)
{
    return platform::sendAll(fd, bytes).hasValue();
}

void closeFd(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace pc::service
