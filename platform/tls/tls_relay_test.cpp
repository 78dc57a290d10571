#include "platform/tls/tls_relay.h"

#include "platform/tcp_listener.h"
#include "platform/temp_folder.h"
#include "platform/testing/accept_within.h"
#include "platform/tls/tls_identity.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

namespace platform {
namespace {

using namespace std::chrono_literals;

void setReceiveTimeout(int fd, std::chrono::milliseconds timeout)
{
    timeval tv { static_cast<time_t>(timeout.count() / 1000), static_cast<suseconds_t>(timeout.count() % 1000 * 1000) };
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

// Everything until the peer closes (or 10 s pass).
std::string readToEnd(int fd)
{
    setReceiveTimeout(fd, 10s);
    std::string all;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return all;
        all.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string readExactly(int fd, std::size_t size)
{
    setReceiveTimeout(fd, 10s);
    std::string all;
    char buffer[65536];
    while (all.size() < size) {
        ssize_t n = ::recv(fd, buffer, std::min(sizeof buffer, size - all.size()), 0);
        if (n <= 0)
            break;
        all.append(buffer, static_cast<std::size_t>(n));
    }
    return all;
}

std::string pattern(std::size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(seed >> 16);
    }
    return bytes;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s)
{
    auto giveUp = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class TlsRelayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto identity = TlsIdentity::loadOrCreate(m_home.path());
        ASSERT_TRUE(identity);
        m_fingerprint = identity->fingerprint();
        m_server = std::move(TlsRelay::forServer(*identity).value());
        m_client = std::move(TlsRelay::forClient().value());
        m_listener = std::move(TcpListener::listen("127.0.0.1", 0).value());
    }

    SocketFd dial() { return std::move(connectTcp("127.0.0.1", m_listener.port()).value()); }

    SocketFd acceptOne()
    {
        auto accepted = platform::testing::acceptWithin(m_listener);
        EXPECT_TRUE(accepted);
        return accepted ? std::move(accepted->socket) : SocketFd();
    }

    // A private connection: the server's clear end and the client's link.
    std::pair<SocketFd, TlsClientLink> privateConnection()
    {
        SocketFd tcp = dial();
        SocketFd serverClear = std::move(m_server->accept(acceptOne()).value());
        auto link = m_client->connect(std::move(tcp), 5s);
        EXPECT_TRUE(link) << describe(link.error());
        return { std::move(serverClear), link ? std::move(*link) : TlsClientLink {} };
    }

    TempFolder m_home { "tls-relay" };
    std::string m_fingerprint;
    std::unique_ptr<TlsRelay> m_server;
    std::unique_ptr<TlsRelay> m_client;
    TcpListener m_listener;
};

TEST_F(TlsRelayTest, CarriesBytesBothWaysUnchangedAndShowsTheServersFingerprint)
{
    auto [serverClear, link] = privateConnection();
    EXPECT_EQ(link.fingerprint, m_fingerprint);

    // Both directions at once, larger than every buffer on the way.
    std::string up = pattern(3 * 1024 * 1024 + 17, 1);
    std::string down = pattern(2 * 1024 * 1024 + 5, 2);
    std::thread upWriter([&, fd = link.clear.fd()] { ASSERT_TRUE(sendAll(fd, up)); });
    std::thread downWriter([&, fd = serverClear.fd()] { ASSERT_TRUE(sendAll(fd, down)); });
    std::string gotUp = readExactly(serverClear.fd(), up.size());
    std::string gotDown = readExactly(link.clear.fd(), down.size());
    upWriter.join();
    downWriter.join();
    EXPECT_TRUE(gotUp == up);
    EXPECT_TRUE(gotDown == down);

    // What the holder wrote before closing still arrives, then the end.
    ASSERT_TRUE(sendAll(serverClear.fd(), "312 bye"));
    serverClear.reset();
    EXPECT_EQ(readToEnd(link.clear.fd()), "312 bye");
    EXPECT_TRUE(waitUntil([&] { return m_server->activeConnections() == 0; }));
}

TEST_F(TlsRelayTest, EverythingWrittenBeforeACloseArrivesThoughThePeerReadsLate)
{
    auto [serverClear, link] = privateConnection();
    // More than the relay and the sockets hold between them: the relay
    // still has records to send when the holder's end reaches it.
    std::string last = pattern(4 * 1024 * 1024 + 3, 3);
    std::thread writer([&, fd = link.clear.fd()] {
        ASSERT_TRUE(sendAll(fd, last));
        ::shutdown(fd, SHUT_WR);
    });
    std::this_thread::sleep_for(100ms); // The relay's queues fill meanwhile.
    std::string got = readToEnd(serverClear.fd());
    writer.join();
    EXPECT_TRUE(got == last);
    EXPECT_TRUE(waitUntil([&] { return m_client->activeConnections() == 0; }));
}

TEST_F(TlsRelayTest, GarbageAfterTheRecordByteClosesTheClearEnd)
{
    SocketFd tcp = dial();
    SocketFd serverClear = std::move(m_server->accept(acceptOne()).value());
    std::string garbage = "\x16 this is no handshake at all\r\n\r\n";
    ASSERT_TRUE(sendAll(tcp.fd(), garbage));
    EXPECT_EQ(readToEnd(serverClear.fd()), "");
    EXPECT_TRUE(waitUntil([&] { return m_server->activeConnections() == 0; }));
    // The TCP peer is closed too.
    EXPECT_EQ(readToEnd(tcp.fd()).find("this"), std::string::npos);
}

TEST_F(TlsRelayTest, StalledHandshakeEndsWhenTheHolderGivesUp)
{
    SocketFd tcp = dial();
    ASSERT_TRUE(sendAll(tcp.fd(), std::string("\x16\x03\x01", 3)));
    SocketFd serverClear = std::move(m_server->accept(acceptOne()).value());
    ASSERT_EQ(m_server->activeConnections(), 1u);
    // The holder's own time-out: it closes its end.
    serverClear.reset();
    EXPECT_TRUE(waitUntil([&] { return m_server->activeConnections() == 0; }));
    EXPECT_EQ(readToEnd(tcp.fd()), "");
}

TEST_F(TlsRelayTest, ClientGivesUpOnASilentOrClearServer)
{
    SocketFd silent = dial();
    SocketFd held = acceptOne();
    auto start = std::chrono::steady_clock::now();
    auto timedOut = m_client->connect(std::move(silent), 300ms);
    ASSERT_FALSE(timedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

    SocketFd tcp = dial();
    SocketFd clearServer = acceptOne();
    std::thread answer([&] {
        readExactly(clearServer.fd(), 5);
        (void)sendAll(clearServer.fd(), std::string(1032, 'x'));
    });
    auto refused = m_client->connect(std::move(tcp), 5s);
    answer.join();
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, ErrorCode::Protocol);
}

TEST_F(TlsRelayTest, DestroyingTheRelayEndsItsConnections)
{
    auto [serverClear, link] = privateConnection();
    m_server.reset();
    EXPECT_EQ(readToEnd(link.clear.fd()), "");
    EXPECT_EQ(readToEnd(serverClear.fd()), "");
}

} // namespace
} // namespace platform
