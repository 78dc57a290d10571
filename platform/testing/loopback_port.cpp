#include "platform/testing/loopback_port.h"

#include "platform/net_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <mutex>

namespace platform::testing {

namespace {

constexpr unsigned kLowestPort = 1024;
constexpr unsigned kRangeWidth = 10000;

// The first port the system hands out for outgoing connections.
unsigned firstEphemeralPort()
{
    unsigned low = 0;
    std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> low;
    return low == 0 ? 32768 : low;
}

std::uint16_t systemChosenPort()
{
    auto listening = listenTcp("127.0.0.1", 0, 1);
    if (!listening)
        return 0;
    auto port = localPort(listening->fd());
    return port.valueOr(0);
}

} // namespace

std::uint16_t freeLoopbackPort()
{
    static std::mutex mutex;
    static unsigned next = static_cast<unsigned>(::getpid()) * 7919u;
    std::lock_guard lock(mutex);
    const unsigned top = firstEphemeralPort();
    if (top < kLowestPort + 1000)
        return systemChosenPort();
    const unsigned bottom = top > kLowestPort + kRangeWidth ? top - kRangeWidth : kLowestPort;
    for (unsigned tries = 0; tries < 1000; ++tries) {
        auto port = static_cast<std::uint16_t>(bottom + next++ % (top - bottom));
        if (listenTcp("127.0.0.1", port, 1))
            return port;
    }
    return systemChosenPort();
}

std::uint16_t closedLoopbackPort()
{
    static const std::uint16_t port = [] {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        // The socket stays bound, unused, until the process ends.
        return localPort(fd).valueOr(0);
    }();
    return port;
}

} // namespace platform::testing
