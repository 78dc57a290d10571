#pragma once

// File: platform/net_address.h
// Addresses and small socket helpers shared by the servers and clients.
//
// The PC address is what the PC program shows and sends as its own: the first
// non-loopback IPv4 address of an interface that is up, else the address the
// host name resolves to, else "127.0.0.1".
//
//     auto listener = TRY(platform::listenTcp("127.0.0.1", 0));
//     auto port = TRY(platform::localPort(listener.fd()));

#include "platform/result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

std::string pcAddress();

// The machine's host name, "" when it has none.
std::string localHostName();

// A socket descriptor that closes itself.
class SocketFd {
public:
    SocketFd() = default;
    explicit SocketFd(int fd)
        : m_fd(fd)
    {
    }
    ~SocketFd() { reset(); }
    SocketFd(SocketFd&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    SocketFd& operator=(SocketFd&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    SocketFd(const SocketFd&) = delete;
    SocketFd& operator=(const SocketFd&) = delete;

    int fd() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

// A listening TCP socket (IPv4) on `address` ("127.0.0.1", "0.0.0.0" or "" for
// any) and `port` (0: an ephemeral one). SO_REUSEADDR and close-on-exec are
// set; the socket blocks unless made non-blocking.
IoResult<SocketFd> listenTcp(std::string_view address, std::uint16_t port, int backlog = 16);

// A connected TCP socket to an IPv4 address, blocking, close-on-exec.
IoResult<SocketFd> connectTcp(std::string_view address, std::uint16_t port);

// The same from a chosen local address (tests and benches tell their peers
// apart by loopback address, 127.0.0.x). With `nonBlocking` the socket is
// non-blocking and returned while the connection is still under way.
IoResult<SocketFd> connectTcpFrom(std::string_view from, std::string_view address, std::uint16_t port,
    bool nonBlocking = false);

// The local port, local address and peer address of a socket.
IoResult<std::uint16_t> localPort(int fd);
IoResult<std::string> localAddress(int fd);
IoResult<std::string> peerAddress(int fd);

IoResult<void> setNonBlocking(int fd, bool nonBlocking = true);
IoResult<void> setCloseOnExec(int fd);

// Sends all of `data` (blocking sockets), without SIGPIPE when the peer has gone.
IoResult<void> sendAll(int fd, std::string_view data);

} // namespace platform
