// TLS as a client with the server's certificate checked: a trusted server
// talks; a server made out for another name, one that sends no TLS, and one
// that stays silent each end the handshake with their own error.

#include "platform/net_address.h"
#include "platform/tcp_listener.h"
#include "platform/temp_folder.h"
#include "platform/testing/accept_within.h"
#include "platform/tls/tls_identity.h"
#include "platform/tls/tls_relay.h"
#include "platform/tls/verified_tls.h"
#include "platform/trusted_authorities.h"
#include "tests/fixtures/tls/test_authority.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <thread>

namespace platform {
namespace {

using namespace std::chrono_literals;

// Accepts one connection and answers it: through TLS with `identity`
// (echoing one receive), or with `clearAnswer` in clear, or not at all.
class OneShotServer {
public:
    OneShotServer(const TlsIdentity* identity, std::string clearAnswer)
        : m_listener(std::move(TcpListener::listen("127.0.0.1", 0).value()))
    {
        m_thread = std::thread([this, identity, clearAnswer] {
            auto accepted = platform::testing::acceptWithin(m_listener);
            if (!accepted)
                return;
            if (!identity) {
                (void)sendAll(accepted->socket.fd(), clearAnswer);
                ::poll(nullptr, 0, clearAnswer.empty() ? 1500 : 0);
                return;
            }
            m_relay = std::move(TlsRelay::forServer(*identity).value());
            auto clear = m_relay->accept(std::move(accepted->socket));
            if (!clear)
                return;
            // The clear end may not block: wait for the client's line.
            pollfd line { clear->fd(), POLLIN, 0 };
            if (::poll(&line, 1, 10000) <= 0)
                return;
            char buffer[256];
            ssize_t n = ::recv(clear->fd(), buffer, sizeof buffer, 0);
            if (n > 0)
                (void)sendAll(clear->fd(), std::string_view(buffer, static_cast<std::size_t>(n)));
        });
    }
    ~OneShotServer() { m_thread.join(); }
    std::uint16_t port() const { return m_listener.port(); }

private:
    TcpListener m_listener;
    // Kept until the test has read the echo: its end would cut the link.
    std::unique_ptr<TlsRelay> m_relay;
    std::thread m_thread;
};

IoResult<std::unique_ptr<VerifiedTls>> handshakeWith(const OneShotServer& server, SocketFd& socket,
    const std::string& host = "127.0.0.1", std::chrono::milliseconds timeout = 10s)
{
    socket = connectTcp("127.0.0.1", server.port()).value();
    return VerifiedTls::handshake(socket.fd(), host, timeout);
}

class VerifiedTlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        authority = tests::fixtures::TestAuthority::make(folder.path()).value();
        std::filesystem::copy_file(authority.serverKeyFile, folder.path() / std::string(TlsIdentity::kKeyFileName));
        std::filesystem::copy_file(authority.serverCertificateFile,
            folder.path() / std::string(TlsIdentity::kCertificateFileName));
        identity = TlsIdentity::loadOrCreate(folder.path()).value();
        ::setenv(kCaFileVariable, authority.caFile.c_str(), 1);
    }
    void TearDown() override { ::unsetenv(kCaFileVariable); }

    TempFolder folder { "verified-tls" };
    tests::fixtures::TestAuthority authority;
    std::optional<TlsIdentity> identity;
};

TEST_F(VerifiedTlsTest, ATrustedServerTalks)
{
    OneShotServer server(&*identity, "");
    SocketFd socket;
    auto tls = handshakeWith(server, socket, "localhost");
    ASSERT_TRUE(tls) << describe(tls.error());
    ASSERT_TRUE((*tls)->sendAll("+OK hello\r\n", 10s));
    auto echoed = (*tls)->receiveSome(1024, 10s);
    ASSERT_TRUE(echoed) << describe(echoed.error());
    EXPECT_EQ(*echoed, "+OK hello\r\n");
    auto closed = (*tls)->receiveSome(1024, 10s);
    ASSERT_TRUE(closed);
    EXPECT_EQ(*closed, "");
}

TEST_F(VerifiedTlsTest, AServerMadeOutForAnotherNameIsRefused)
{
    OneShotServer server(&*identity, "");
    SocketFd socket;
    auto tls = handshakeWith(server, socket, "mail.example.com");
    ASSERT_FALSE(tls);
    EXPECT_EQ(tls.error().code, ErrorCode::PermissionDenied);
    EXPECT_EQ(tls.error().context, "mail.example.com의 인증서를 확인할 수 없습니다: hostname mismatch");
}

TEST_F(VerifiedTlsTest, ClearTextOrSilenceInsteadOfAHandshake)
{
    {
        OneShotServer server(nullptr, "+OK POP3 ready\r\n");
        SocketFd socket;
        auto tls = handshakeWith(server, socket);
        ASSERT_FALSE(tls);
        EXPECT_EQ(tls.error().code, ErrorCode::Protocol) << describe(tls.error());
    }
    {
        OneShotServer server(nullptr, "");
        SocketFd socket;
        auto tls = handshakeWith(server, socket, "127.0.0.1", 300ms);
        ASSERT_FALSE(tls);
        EXPECT_EQ(tls.error().code, ErrorCode::Timeout) << describe(tls.error());
    }
}

} // namespace
} // namespace platform
