// The web fetch over the private link: an http URL of a pinned host goes
// out as TLS 1.3 to that key only. And an https URL of any other server:
// its certificate must chain to a trusted authority and name the server.

#include "platform/http_fetch.h"
#include "platform/tcp_listener.h"
#include "platform/temp_folder.h"
#include "platform/testing/accept_within.h"
#include "platform/tls/tls_identity.h"
#include "platform/tls/tls_relay.h"
#include "platform/trusted_authorities.h"
#include "tests/fixtures/tls/test_authority.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <optional>
#include <thread>

namespace platform {
namespace {

// One private web answer: records the request it got through the relay.
class PrivateWebPeer {
public:
    explicit PrivateWebPeer(const TlsIdentity& identity)
        : m_relay(std::move(TlsRelay::forServer(identity).value()))
        , m_listener(std::move(TcpListener::listen("127.0.0.1", 0).value()))
    {
        m_thread = std::thread([this] { serve(); });
    }
    ~PrivateWebPeer() { m_thread.join(); }
    std::uint16_t port() const { return m_listener.port(); }
    std::string request()
    {
        m_thread.join();
        m_thread = std::thread([] {});
        return m_request;
    }

private:
    void serve()
    {
        auto accepted = platform::testing::acceptWithin(m_listener);
        if (!accepted)
            return;
        auto clear = m_relay->accept(std::move(accepted->socket));
        if (!clear)
            return;
        timeval tv { 10, 0 };
        ::setsockopt(clear->fd(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        char buffer[4096];
        while (m_request.find("\r\n\r\n") == std::string::npos) {
            ssize_t n = ::recv(clear->fd(), buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            m_request.append(buffer, static_cast<std::size_t>(n));
        }
        (void)sendAll(clear->fd(), "HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\nprivate");
    }

    std::unique_ptr<TlsRelay> m_relay;
    TcpListener m_listener;
    std::thread m_thread;
    std::string m_request;
};

TEST(PinnedFetch, FetchesAPinnedHostOverTlsAndRefusesAnotherKey)
{
    TempFolder pcHome("pinned-fetch");
    TempFolder otherHome("pinned-fetch");
    auto pc = TlsIdentity::loadOrCreate(pcHome.path());
    auto other = TlsIdentity::loadOrCreate(otherHome.path());
    ASSERT_TRUE(pc && other);

    HttpFetch fetch;
    std::string pin = curlPinOfFingerprint(pc->fingerprint());
    long askedPort = 0;
    fetch.setPinLookup([&](const std::string& host, long port) {
        askedPort = port;
        return host == "127.0.0.1" ? pin : std::string();
    });
    {
        PrivateWebPeer peer(*pc);
        std::string body;
        auto response = fetch.get("http://127.0.0.1:" + std::to_string(peer.port()) + "/serverfolder",
            [&](std::string_view block) { return body.append(block), true; });
        ASSERT_TRUE(response) << describe(response.error());
        EXPECT_EQ(response->status, 200);
        EXPECT_EQ(body, "private");
        EXPECT_EQ(askedPort, peer.port());
        EXPECT_TRUE(peer.request().starts_with("GET /serverfolder HTTP/1.1\r\n")) << peer.request();
    }
    {
        PrivateWebPeer impostor(*other);
        auto response = fetch.get("http://127.0.0.1:" + std::to_string(impostor.port()) + "/serverfolder",
            [](std::string_view) { return true; });
        EXPECT_FALSE(response);
        EXPECT_EQ(impostor.request(), "") << "the request reached another key";
    }
}

// A server identity signed by a test authority, for the names given.
struct SignedServer {
    TempFolder folder { "verified-fetch" };
    tests::fixtures::TestAuthority authority;
    std::optional<TlsIdentity> identity;

    explicit SignedServer(const std::string& names)
    {
        authority = tests::fixtures::TestAuthority::make(folder.path(), names).value();
        std::filesystem::copy_file(authority.serverKeyFile, folder.path() / std::string(TlsIdentity::kKeyFileName));
        std::filesystem::copy_file(authority.serverCertificateFile,
            folder.path() / std::string(TlsIdentity::kCertificateFileName));
        identity = TlsIdentity::loadOrCreate(folder.path()).value();
    }
};

IoResult<HttpResponse> fetchOnce(const TlsIdentity& identity, std::string& body)
{
    PrivateWebPeer peer(identity);
    HttpFetch fetch;
    return fetch.get("https://127.0.0.1:" + std::to_string(peer.port()) + "/update/QLVER.txt",
        [&](std::string_view block) { return body.append(block), true; });
}

TEST(VerifiedFetch, AnHttpsServerMustShowATrustedCertificateForItsName)
{
    SignedServer server("IP:127.0.0.1");
    std::string body;
    ::unsetenv(kCaFileVariable);
    auto untrusted = fetchOnce(*server.identity, body);
    ASSERT_FALSE(untrusted);
    EXPECT_EQ(untrusted.error().code, ErrorCode::PermissionDenied);
    EXPECT_NE(untrusted.error().context.find("127.0.0.1의 인증서를 확인할 수 없습니다: SSL certificate problem"),
        std::string::npos) << untrusted.error().context;
    EXPECT_EQ(body, "");

    ::setenv(kCaFileVariable, server.authority.caFile.c_str(), 1);
    auto trusted = fetchOnce(*server.identity, body);
    ASSERT_TRUE(trusted) << describe(trusted.error());
    EXPECT_EQ(trusted->status, 200);
    EXPECT_EQ(body, "private");

    // Trusted, but made out for another server.
    SignedServer other("DNS:mail.example.com");
    ::setenv(kCaFileVariable, other.authority.caFile.c_str(), 1);
    body.clear();
    auto misnamed = fetchOnce(*other.identity, body);
    ::unsetenv(kCaFileVariable);
    ASSERT_FALSE(misnamed);
    EXPECT_EQ(misnamed.error().code, ErrorCode::PermissionDenied);
    EXPECT_NE(misnamed.error().context.find("127.0.0.1"), std::string::npos) << misnamed.error().context;
    EXPECT_EQ(body, "");
}

} // namespace
} // namespace platform
