#include "platform/tcp_listener.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>

namespace platform {
namespace {

bool waitReadable(int fd)
{
    pollfd entry { fd, POLLIN, 0 };
    return ::poll(&entry, 1, 5000) == 1;
}

TEST(TcpListener, AcceptsWithBothAddressesAndSaysWhenNoneIsPending)
{
    auto listener = TcpListener::listen("127.0.0.1", 0);
    ASSERT_TRUE(listener) << describe(listener.error());
    ASSERT_NE(listener->port(), 0);
    EXPECT_TRUE(::fcntl(listener->fd(), F_GETFL) & O_NONBLOCK);

    auto none = listener->accept();
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error().systemError, EAGAIN);

    // From another loopback address, so that the two addresses differ.
    auto client = connectTcpFrom("127.0.0.9", "127.0.0.1", listener->port());
    ASSERT_TRUE(client) << describe(client.error());

    ASSERT_TRUE(waitReadable(listener->fd()));
    auto accepted = listener->accept();
    ASSERT_TRUE(accepted) << describe(accepted.error());
    EXPECT_EQ(accepted->peerAddress, "127.0.0.9");
    EXPECT_EQ(accepted->localAddress, "127.0.0.1");
    EXPECT_FALSE(::fcntl(accepted->socket.fd(), F_GETFL) & O_NONBLOCK);
    EXPECT_TRUE(::fcntl(accepted->socket.fd(), F_GETFD) & FD_CLOEXEC);
}

TEST(TcpListener, InjectedDescriptorShortageLeavesTheConnectionPending)
{
    auto listener = TcpListener::listen("127.0.0.1", 0);
    ASSERT_TRUE(listener);
    auto client = connectTcp("127.0.0.1", listener->port());
    ASSERT_TRUE(client);
    ASSERT_TRUE(waitReadable(listener->fd()));

    std::uint64_t before = TcpListener::acceptAttempts();
    TcpListener::failNextAccepts(EMFILE, 2);
    for (int i = 0; i < 2; ++i) {
        auto failed = listener->accept();
        ASSERT_FALSE(failed);
        EXPECT_TRUE(isOutOfDescriptors(failed.error()));
        // As with a real shortage, the listener stays readable.
        EXPECT_TRUE(waitReadable(listener->fd()));
    }
    EXPECT_TRUE(listener->accept());
    EXPECT_EQ(TcpListener::acceptAttempts() - before, 3u);
    EXPECT_FALSE(isOutOfDescriptors(Error { ErrorCode::IoError, "accept", EAGAIN }));
}

} // namespace
} // namespace platform
