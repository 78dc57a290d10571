#include "platform/tcp_listener.h"

#include <atomic>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace platform {
namespace {

std::atomic<int> g_faultErrno { 0 };
std::atomic<int> g_faultCount { 0 };
std::atomic<std::uint64_t> g_acceptAttempts { 0 };

// Takes one injected failure, if any is left.
int injectedFailure()
{
    int left = g_faultCount.load();
    while (left > 0) {
        if (g_faultCount.compare_exchange_weak(left, left - 1))
            return g_faultErrno.load();
    }
    return 0;
}

} // namespace

IoResult<TcpListener> TcpListener::listen(std::string_view address, std::uint16_t port, int backlog)
{
    auto socket = TRY(listenTcp(address, port, backlog));
    TRY(setNonBlocking(socket.fd()));
    return TcpListener(std::move(socket));
}

IoResult<AcceptedSocket> TcpListener::accept()
{
    ++g_acceptAttempts;
    if (int injected = injectedFailure())
        return errorFromErrno("accept", injected);
    int fd;
    do {
        fd = ::accept4(m_socket.fd(), nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errorFromErrno("accept", errno);
    AcceptedSocket accepted;
    accepted.socket.reset(fd);
    if (auto peer = peerAddress(fd))
        accepted.peerAddress = std::move(*peer);
    if (auto local = localAddress(fd))
        accepted.localAddress = std::move(*local);
    return accepted;
}

std::uint16_t TcpListener::port() const
{
    auto bound = localPort(m_socket.fd());
    return bound ? *bound : 0;
}

void TcpListener::failNextAccepts(int errnoValue, int count)
{
    g_faultErrno = errnoValue;
    g_faultCount = count;
}

std::uint64_t TcpListener::acceptAttempts()
{
    return g_acceptAttempts.load();
}

bool isOutOfDescriptors(const Error& error)
{
    switch (error.systemError) {
    case EMFILE:
    case ENFILE:
    case ENOBUFS:
    case ENOMEM:
        return true;
    default:
        return false;
    }
}

IoResult<void> setSendTimeout(int fd, int timeoutMs)
{
    timeval timeout {};
    timeout.tv_sec = timeoutMs / 1000;
    timeout.tv_usec = (timeoutMs % 1000) * 1000;
    if (::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) != 0)
        return errorFromErrno("SO_SNDTIMEO", errno);
    return {};
}

IoResult<void> setNoDelay(int fd)
{
    int yes = 1;
    if (::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes) != 0)
        return errorFromErrno("TCP_NODELAY", errno);
    return {};
}

} // namespace platform
