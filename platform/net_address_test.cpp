#include "platform/net_address.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

namespace platform {
namespace {

TEST(NetAddress, PcAddressIsADottedIpv4Address)
{
    auto address = pcAddress();
    in_addr parsed {};
    EXPECT_EQ(inet_pton(AF_INET, address.c_str(), &parsed), 1) << address;
}

TEST(NetAddress, ListensOnAnEphemeralLoopbackPortAndConnects)
{
    auto listener = listenTcp("127.0.0.1", 0);
    ASSERT_TRUE(listener) << describe(listener.error());
    auto port = localPort(listener->fd());
    ASSERT_TRUE(port);
    EXPECT_NE(*port, 0);
    EXPECT_EQ(fcntl(listener->fd(), F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);

    auto client = connectTcp("127.0.0.1", *port);
    ASSERT_TRUE(client);
    SocketFd accepted(accept(listener->fd(), nullptr, nullptr));
    ASSERT_TRUE(accepted.isOpen());
    EXPECT_EQ(peerAddress(accepted.fd()).valueOr(""), "127.0.0.1");
    EXPECT_EQ(localAddress(client->fd()).valueOr(""), "127.0.0.1");

    ASSERT_TRUE(sendAll(client->fd(), "ping"));
    char buffer[8] = {};
    EXPECT_EQ(recv(accepted.fd(), buffer, 4, MSG_WAITALL), 4);

    ASSERT_TRUE(setNonBlocking(accepted.fd()));
    EXPECT_EQ(recv(accepted.fd(), buffer, sizeof buffer, 0), -1);
    EXPECT_EQ(errno, EAGAIN);
}

TEST(NetAddress, ReportsRefusedConnectionsAndBadAddresses)
{
    auto listener = listenTcp("127.0.0.1", 0);
    ASSERT_TRUE(listener);
    auto port = *localPort(listener->fd());
    listener->reset(); // Nobody listens there any more.
    auto refused = connectTcp("127.0.0.1", port);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, ErrorCode::Unavailable);
    EXPECT_EQ(listenTcp("not-an-address", 0).error().code, ErrorCode::InvalidArgument);
}

TEST(NetAddress, SendingToAClosedPeerIsAnErrorNotASignal)
{
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    SocketFd mine(pair[0]);
    SocketFd(pair[1]).reset();
    auto sent = sendAll(mine.fd(), "data");
    ASSERT_FALSE(sent);
    EXPECT_EQ(sent.error().code, ErrorCode::Closed);
}

} // namespace
} // namespace platform
