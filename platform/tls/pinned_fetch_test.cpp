// The web fetch over the private link: an http URL of a pinned host goes
// out as TLS 1.3 to that key only.

#include "platform/http_fetch.h"
#include "platform/tcp_listener.h"
#include "platform/temp_folder.h"
#include "platform/tls/tls_identity.h"
#include "platform/tls/tls_relay.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
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
        pollfd wait { m_listener.fd(), POLLIN, 0 };
        if (::poll(&wait, 1, 10000) <= 0)
            return;
        auto accepted = m_listener.accept();
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

} // namespace
} // namespace platform
