#include "platform/tls/secure_link.h"

#include "platform/tls/tls_identity.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

namespace platform {
namespace {

struct Pair {
    SocketFd near;
    SocketFd far;
};

Pair socketPair()
{
    int fds[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    return { SocketFd(fds[0]), SocketFd(fds[1]) };
}

TEST(SecureLinkMode, ParsesItsThreeNames)
{
    EXPECT_EQ(parseSecureLinkMode("allowed"), SecureLinkMode::Allowed);
    EXPECT_EQ(parseSecureLinkMode("Required"), SecureLinkMode::Required);
    EXPECT_EQ(parseSecureLinkMode("OFF"), SecureLinkMode::Off);
    EXPECT_EQ(parseSecureLinkMode(""), std::nullopt);
    EXPECT_EQ(parseSecureLinkMode("on"), std::nullopt);
    for (auto mode : { SecureLinkMode::Allowed, SecureLinkMode::Required, SecureLinkMode::Off })
        EXPECT_EQ(parseSecureLinkMode(secureLinkModeName(mode)), mode);
}

TEST(SecureLinkServer, DecidesOnTheFirstByteWithoutTakingIt)
{
    TempFolder home("secure-link");
    auto identity = TlsIdentity::loadOrCreate(home.path());
    ASSERT_TRUE(identity);
    auto relay = TlsRelay::forServer(*identity);
    ASSERT_TRUE(relay);
    SecureLinkServer server(relay->get(), SecureLinkMode::Allowed);

    Pair waiting = socketPair();
    EXPECT_EQ(server.admit(waiting.near), FirstByte::Undecided);

    Pair clear = socketPair();
    ASSERT_EQ(::send(clear.far.fd(), "0xx0:1", 6, 0), 6);
    int before = clear.near.fd();
    EXPECT_EQ(server.admit(clear.near), FirstByte::Clear);
    EXPECT_EQ(clear.near.fd(), before);
    char first = 0;
    EXPECT_EQ(::recv(clear.near.fd(), &first, 1, 0), 1);
    EXPECT_EQ(first, '0') << "the first byte was taken";

    server.setMode(SecureLinkMode::Required);
    Pair refused = socketPair();
    ASSERT_EQ(::send(refused.far.fd(), "GET /", 5, 0), 5);
    EXPECT_EQ(server.admit(refused.near), FirstByte::Refused);

    server.setMode(SecureLinkMode::Off);
    Pair hello = socketPair();
    const char record[] = { 0x16, 0x03, 0x01 };
    ASSERT_EQ(::send(hello.far.fd(), record, 3, 0), 3);
    EXPECT_EQ(server.admit(hello.near), FirstByte::Clear);

    server.setMode(SecureLinkMode::Allowed);
    before = hello.near.fd();
    EXPECT_EQ(server.admit(hello.near), FirstByte::Private);
    EXPECT_NE(hello.near.fd(), before);
}

TEST(SecureLinkServer, WithoutIdentityRequiredRefusesEvenTls)
{
    SecureLinkServer server(nullptr, SecureLinkMode::Required);
    Pair hello = socketPair();
    const char record[] = { 0x16 };
    ASSERT_EQ(::send(hello.far.fd(), record, 1, 0), 1);
    EXPECT_EQ(server.admit(hello.near), FirstByte::Refused);
    server.setMode(SecureLinkMode::Allowed);
    EXPECT_EQ(server.admit(hello.near), FirstByte::Clear);
}

} // namespace
} // namespace platform
