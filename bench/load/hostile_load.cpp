#include "bench/load/hostile_load.h"

#include "platform/net_address.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace bench::load {

namespace {

using Clock = std::chrono::steady_clock;

// A non-blocking connection from `from` to 127.0.0.1:port; -1 on failure.
int connectFrom(const std::string& from, std::uint16_t port)
{
    auto socket = platform::connectTcpFrom(from, "127.0.0.1", port, true);
    return socket ? socket->release() : -1;
}

struct Peer {
    std::string from;
    std::uint16_t port = 0;
    bool slow = false; // A slow-loris web client.
    int fd = -1;
    Clock::time_point nextAction {};
};

// Idle peers spread over many addresses, four to an address, as a crowd
// behind many hosts would.
std::string idleAddress(int index)
{
    int host = index / 4;
    return "127.0." + std::to_string(10 + host / 250) + "." + std::to_string(1 + host % 250);
}

} // namespace

HostileLoad::HostileLoad(LoadPorts ports, int idleConnections, int slowClients)
    : m_ports(ports)
    , m_idle(idleConnections)
    , m_slow(slowClients)
{
}

HostileLoad::~HostileLoad()
{
    stop();
}

void HostileLoad::start()
{
    m_stop = false;
    m_thread = std::thread([this] { run(); });
}

void HostileLoad::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void HostileLoad::run()
{
    std::vector<Peer> peers;
    for (int i = 0; i < m_idle; ++i)
        peers.push_back({ idleAddress(i), m_ports.command, false });
    for (int i = 0; i < m_slow; ++i)
        peers.push_back({ "127.0.0." + std::to_string(2 + i), m_ports.web, true });
    constexpr auto kReconnectDelay = std::chrono::milliseconds(1000);
    constexpr auto kTrickle = std::chrono::seconds(1);
    const std::string head = "GET /serverfolder HTTP/1.0\r\nX-Slow: ";
    std::vector<std::size_t> sent(peers.size(), 0);
    while (!m_stop) {
        auto now = Clock::now();
        std::vector<pollfd> waits;
        std::vector<std::size_t> owners;
        for (std::size_t i = 0; i < peers.size(); ++i) {
            Peer& peer = peers[i];
            if (peer.fd < 0 && now >= peer.nextAction) {
                peer.fd = connectFrom(peer.from, peer.port);
                ++m_connects;
                sent[i] = 0;
                peer.nextAction = peer.fd < 0 ? now + kReconnectDelay : now;
            }
            if (peer.fd < 0)
                continue;
            if (peer.slow && now >= peer.nextAction) {
                // One byte of a head that never ends.
                char byte = sent[i] < head.size() ? head[sent[i]] : 'x';
                if (::send(peer.fd, &byte, 1, MSG_NOSIGNAL) == 1)
                    ++sent[i];
                peer.nextAction = now + kTrickle;
            }
            waits.push_back({ peer.fd, POLLIN, 0 });
            owners.push_back(i);
        }
        ::poll(waits.data(), waits.size(), 50);
        now = Clock::now();
        for (std::size_t w = 0; w < waits.size(); ++w) {
            if (!(waits[w].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            Peer& peer = peers[owners[w]];
            char buffer[2048];
            ssize_t got = ::recv(peer.fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got > 0 || (got < 0 && errno == EAGAIN))
                continue; // Whatever the PC says (a keep-alive, a 400) is ignored.
            ::close(peer.fd);
            peer.fd = -1;
            peer.nextAction = now + kReconnectDelay;
        }
    }
    for (Peer& peer : peers) {
        if (peer.fd >= 0)
            ::close(peer.fd);
    }
}

} // namespace bench::load
