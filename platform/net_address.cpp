#include "platform/net_address.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

std::string dotted(const in_addr& address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

bool isLoopback(const in_addr& address)
{
    return (ntohl(address.s_addr) >> 24) == 127;
}

std::string interfaceAddress()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return {};
    std::string found;
    for (ifaddrs* entry = list; entry && found.empty(); entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(entry->ifa_flags & IFF_UP) || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        const auto& address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr;
        if (!isLoopback(address))
            found = dotted(address);
    }
    freeifaddrs(list);
    return found;
}

std::string hostNameAddress()
{
    std::string name = localHostName();
    if (name.empty())
        return {};
    addrinfo hints {};
    hints.ai_family = AF_INET;
    addrinfo* results = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &results) != 0)
        return {};
    std::string found;
    if (results && results->ai_addr)
        found = dotted(reinterpret_cast<const sockaddr_in*>(results->ai_addr)->sin_addr);
    freeaddrinfo(results);
    return found;
}

IoResult<sockaddr_in> ipv4Address(std::string_view address, std::uint16_t port)
{
    sockaddr_in socketAddress {};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_port = htons(port);
    if (address.empty() || address == "0.0.0.0") {
        socketAddress.sin_addr.s_addr = htonl(INADDR_ANY);
        return socketAddress;
    }
    std::string text(address);
    if (inet_pton(AF_INET, text.c_str(), &socketAddress.sin_addr) != 1)
        return Error { ErrorCode::InvalidArgument, "not an IPv4 address: " + text, 0 };
    return socketAddress;
}

IoResult<std::string> addressOf(int fd, bool peer)
{
    sockaddr_in address {};
    socklen_t length = sizeof address;
    int result = peer ? getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length)
                      : getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    if (result != 0)
        return errorFromErrno(peer ? "getpeername" : "getsockname", errno);
    if (address.sin_family != AF_INET)
        return Error { ErrorCode::InvalidArgument, "not an IPv4 socket", 0 };
    return dotted(address.sin_addr);
}

} // namespace

std::string localHostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::string pcAddress()
{
    if (auto address = interfaceAddress(); !address.empty())
        return address;
    if (auto address = hostNameAddress(); !address.empty())
        return address;
    return "127.0.0.1";
}

void SocketFd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

IoResult<SocketFd> listenTcp(std::string_view address, std::uint16_t port, int backlog)
{
    auto socketAddress = TRY(ipv4Address(address, port));
    SocketFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.isOpen())
        return errorFromErrno("socket", errno);
    int on = 1;
    setsockopt(socket.fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(socket.fd(), reinterpret_cast<sockaddr*>(&socketAddress), sizeof socketAddress) != 0)
        return errorFromErrno("bind port " + std::to_string(port), errno);
    if (::listen(socket.fd(), backlog) != 0)
        return errorFromErrno("listen port " + std::to_string(port), errno);
    return socket;
}

IoResult<SocketFd> connectTcp(std::string_view address, std::uint16_t port)
{
    auto socketAddress = TRY(ipv4Address(address, port));
    SocketFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.isOpen())
        return errorFromErrno("socket", errno);
    int result;
    do {
        result = ::connect(socket.fd(), reinterpret_cast<sockaddr*>(&socketAddress), sizeof socketAddress);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        auto error = errorFromErrno("connect " + std::string(address) + ":" + std::to_string(port), errno);
        if (errno == ECONNREFUSED || errno == ENETUNREACH || errno == EHOSTUNREACH)
            error.code = ErrorCode::Unavailable;
        return error;
    }
    return socket;
}

IoResult<SocketFd> connectTcpFrom(std::string_view from, std::string_view address, std::uint16_t port,
    bool nonBlocking)
{
    auto localAddress = TRY(ipv4Address(from, 0));
    auto remoteAddress = TRY(ipv4Address(address, port));
    SocketFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0));
    if (!socket.isOpen())
        return errorFromErrno("socket", errno);
    if (::bind(socket.fd(), reinterpret_cast<sockaddr*>(&localAddress), sizeof localAddress) != 0)
        return errorFromErrno("bind " + std::string(from), errno);
    int result;
    do {
        result = ::connect(socket.fd(), reinterpret_cast<sockaddr*>(&remoteAddress), sizeof remoteAddress);
    } while (result != 0 && errno == EINTR);
    if (result != 0 && !(nonBlocking && errno == EINPROGRESS))
        return errorFromErrno("connect " + std::string(address) + ":" + std::to_string(port), errno);
    return socket;
}

IoResult<std::uint16_t> localPort(int fd)
{
    sockaddr_in address {};
    socklen_t length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return errorFromErrno("getsockname", errno);
    return static_cast<std::uint16_t>(ntohs(address.sin_port));
}

IoResult<std::string> localAddress(int fd)
{
    return addressOf(fd, false);
}

IoResult<std::string> peerAddress(int fd)
{
    return addressOf(fd, true);
}

IoResult<void> setNonBlocking(int fd, bool nonBlocking)
{
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0)
        return errorFromErrno("fcntl", errno);
    flags = nonBlocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    if (fcntl(fd, F_SETFL, flags) != 0)
        return errorFromErrno("fcntl", errno);
    return {};
}

IoResult<void> setCloseOnExec(int fd)
{
    int flags = fcntl(fd, F_GETFD);
    if (flags < 0 || fcntl(fd, F_SETFD, flags | FD_CLOEXEC) != 0)
        return errorFromErrno("fcntl", errno);
    return {};
}

IoResult<void> sendAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            return errorFromErrno("send", errno);
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return {};
}

} // namespace platform
