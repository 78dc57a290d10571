#include "bench/service/loopback_reference.h"

#include "platform/net_address.h"

#include <chrono>
#include <functional>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <vector>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

// Runs `serve` on its own thread for one loopback connection and times
// `drive` on the other end of it, up to the peer's end; MB/s of `bytes`.
double loopbackMbPerSecond(std::size_t bytes, const std::function<void(int)>& serve,
    const std::function<void(int)>& drive)
{
    auto listener = platform::listenTcp("127.0.0.1", 0, 1);
    if (!listener)
        return 0;
    auto port = platform::localPort(listener->fd());
    auto client = port ? platform::connectTcp("127.0.0.1", *port) : platform::IoResult<platform::SocketFd>(port.error());
    if (!client)
        return 0;
    std::thread peer([&] {
        platform::SocketFd accepted(::accept(listener->fd(), nullptr, nullptr));
        serve(accepted.fd());
    });
    auto start = Clock::now();
    drive(client->fd());
    client->reset();
    peer.join();
    return bytes / 1e6 / std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

double plainTcpMbPerSecond(std::size_t bytes)
{
    auto drain = [](int fd) {
        std::vector<char> buffer(65536);
        while (::recv(fd, buffer.data(), buffer.size(), 0) > 0) {
        }
    };
    auto copy = [bytes](int fd) {
        std::vector<char> block(65536, 'x');
        for (std::size_t sent = 0; sent < bytes; sent += block.size())
            ::send(fd, block.data(), block.size(), MSG_NOSIGNAL);
    };
    return loopbackMbPerSecond(bytes, drain, copy);
}

bool sendLockStep(int fd, std::size_t bytes)
{
    std::string block(1024, 'u');
    char ack[1024];
    for (std::size_t sent = 0; sent < bytes; sent += block.size()) {
        if (::send(fd, block.data(), block.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(block.size()))
            return false;
        if (::recv(fd, ack, sizeof ack, MSG_WAITALL) != static_cast<ssize_t>(sizeof ack))
            return false;
    }
    return true;
}

double lockStepTcpMbPerSecond(std::size_t bytes)
{
    auto echo = [](int fd) {
        char block[1024];
        while (::recv(fd, block, sizeof block, MSG_WAITALL) == static_cast<ssize_t>(sizeof block))
            ::send(fd, block, sizeof block, MSG_NOSIGNAL);
    };
    return loopbackMbPerSecond(bytes, echo, [bytes](int fd) { (void)sendLockStep(fd, bytes); });
}

} // namespace bench
