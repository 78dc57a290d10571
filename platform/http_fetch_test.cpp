#include "platform/http_fetch.h"

#include "platform/net_address.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>

namespace platform {
namespace {

// A one-connection HTTP server on an ephemeral loopback port. It answers the
// first request with `response`; with `stallAfter` it sends that much of the
// response and then waits for the client to go away.
class TinyHttpServer {
public:
    explicit TinyHttpServer(std::string response, std::size_t stallAfter = std::string::npos)
        : m_response(std::move(response))
        , m_stallAfter(stallAfter)
    {
        auto listener = listenTcp("127.0.0.1", 0);
        EXPECT_TRUE(listener);
        m_listener = std::move(*listener);
        m_port = localPort(m_listener.fd()).valueOr(0);
        m_thread = std::thread([this] { serve(); });
    }
    ~TinyHttpServer() { m_thread.join(); }

    std::string url(std::string_view path = "/file") const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
    }
    const std::string& requestHead() const { return m_request; }

private:
    void serve()
    {
        SocketFd client(accept(m_listener.fd(), nullptr, nullptr));
        if (!client.isOpen())
            return;
        char buffer[1024];
        while (m_request.find("\r\n\r\n") == std::string::npos) {
            auto got = recv(client.fd(), buffer, sizeof buffer, 0);
            if (got <= 0)
                return;
            m_request.append(buffer, static_cast<std::size_t>(got));
        }
        (void)sendAll(client.fd(), std::string_view(m_response).substr(0, m_stallAfter));
        if (m_stallAfter != std::string::npos) {
            while (recv(client.fd(), buffer, sizeof buffer, 0) > 0) {
            }
        }
    }

    std::string m_response;
    std::size_t m_stallAfter;
    SocketFd m_listener;
    std::uint16_t m_port = 0;
    std::string m_request;
    std::thread m_thread;
};

std::string okResponse(const std::string& body, std::string_view status = "200 OK")
{
    return "HTTP/1.0 " + std::string(status) + "\r\nContent-Type: text/plain\r\nContent-Length: "
        + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string patternBody(std::size_t size)
{
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>('a' + i % 26);
    return body;
}

TEST(HttpFetch, DeliversTheBodyIn512ByteBlocks)
{
    auto body = patternBody(1300);
    TinyHttpServer server(okResponse(body));
    HttpFetch fetch;
    std::vector<std::size_t> sizes;
    std::string received;
    auto response = fetch.get(server.url("/serverfolder"), [&](std::string_view block) {
        sizes.push_back(block.size());
        received += block;
        return true;
    });
    ASSERT_TRUE(response) << describe(response.error());
    EXPECT_EQ(response->status, 200);
    EXPECT_EQ(response->contentType, "text/plain");
    EXPECT_FALSE(response->cancelled);
    EXPECT_EQ(response->bodyBytes, 1300u);
    EXPECT_EQ(sizes, (std::vector<std::size_t> { 512, 512, 276 }));
    EXPECT_EQ(received, body);
    EXPECT_NE(server.requestHead().find("GET /serverfolder HTTP/1.1\r\n"), std::string::npos);
    EXPECT_NE(server.requestHead().find("User-Agent: WebClient\r\n"), std::string::npos);
}

TEST(HttpFetch, ErrorStatusesAreReportedWithTheirBody)
{
    TinyHttpServer server(okResponse("<html>not found</html>", "404 Not Found"));
    HttpFetch fetch;
    std::string received;
    auto response = fetch.get(server.url(), [&](std::string_view block) {
        received += block;
        return true;
    });
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 404);
    EXPECT_EQ(received, "<html>not found</html>");
}

TEST(HttpFetch, HandlerStopsBetweenBlocks)
{
    TinyHttpServer server(okResponse(patternBody(100000)));
    HttpFetch fetch;
    int blocks = 0;
    auto response = fetch.get(server.url(), [&](std::string_view) { return ++blocks < 3; });
    ASSERT_TRUE(response);
    EXPECT_TRUE(response->cancelled);
    EXPECT_EQ(blocks, 3);
    EXPECT_EQ(response->bodyBytes, 1024u);
}

TEST(HttpFetch, CancelFromAnotherThreadEndsAStalledTransfer)
{
    auto full = okResponse(patternBody(5000));
    TinyHttpServer server(full, full.size() - 4000); // Head and about 1000 body bytes, then silence.
    HttpFetch fetch;
    std::atomic<int> blocks = 0;
    std::thread canceller;
    auto response = fetch.get(server.url(), [&](std::string_view) {
        if (++blocks == 1)
            canceller = std::thread([&] { fetch.cancel(); });
        return true;
    });
    canceller.join();
    ASSERT_TRUE(response);
    EXPECT_TRUE(response->cancelled);
    EXPECT_EQ(response->status, 200);
    EXPECT_LE(response->bodyBytes, 1024u);
}

TEST(HttpFetch, FailuresComeBackAsErrors)
{
    auto listener = listenTcp("127.0.0.1", 0);
    ASSERT_TRUE(listener);
    auto port = *localPort(listener->fd());
    listener->reset();
    HttpFetch fetch;
    auto ignore = [](std::string_view) { return true; };
    auto refused = fetch.get("http://127.0.0.1:" + std::to_string(port) + "/x", ignore);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, ErrorCode::Unavailable);
    // Other schemes are refused, so a URL cannot read local files.
    auto local = fetch.get("file:///etc/hostname", ignore);
    ASSERT_FALSE(local);
    EXPECT_EQ(local.error().code, ErrorCode::InvalidArgument);
}

TEST(HttpFetch, ABodyCutShortIsAnError)
{
    auto full = okResponse(patternBody(2000));
    TinyHttpServer server(full.substr(0, full.size() - 500)); // Closes 500 bytes early.
    HttpFetch fetch;
    auto response = fetch.get(server.url(), [](std::string_view) { return true; });
    ASSERT_FALSE(response);
    EXPECT_EQ(response.error().code, ErrorCode::IoError);
}

TEST(HttpFetch, BodiesLargerThanTheLimitAreRefused)
{
    HttpFetch fetch;
    std::uint64_t handed = 0;
    auto count = [&](std::string_view block) {
        handed += block.size();
        return true;
    };
    // Announced too large: refused before the body.
    TinyHttpServer announced(okResponse(patternBody(5000)));
    auto first = fetch.get(announced.url(), count, FetchLimits { {}, 4096 });
    ASSERT_FALSE(first);
    EXPECT_EQ(first.error().code, ErrorCode::Protocol);
    // Not announced: cut off once it passes the limit.
    TinyHttpServer unannounced("HTTP/1.0 200 OK\r\n\r\n" + patternBody(20000));
    handed = 0;
    auto second = fetch.get(unannounced.url(), count, FetchLimits { {}, 4096 });
    ASSERT_FALSE(second);
    EXPECT_EQ(second.error().code, ErrorCode::Protocol);
    EXPECT_LE(handed, 4096u);
    // At the limit exactly, all is well.
    TinyHttpServer exact(okResponse(patternBody(4096)));
    EXPECT_TRUE(fetch.get(exact.url(), count, FetchLimits { {}, 4096 }));
}

// Sends a response head and then one byte every 50 ms until the client goes.
class TricklingServer {
public:
    TricklingServer()
    {
        auto listener = listenTcp("127.0.0.1", 0);
        EXPECT_TRUE(listener);
        m_listener = std::move(*listener);
        m_port = localPort(m_listener.fd()).valueOr(0);
        m_thread = std::thread([this] {
            SocketFd client(accept(m_listener.fd(), nullptr, nullptr));
            if (!sendAll(client.fd(), "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n"))
                return;
            while (::send(client.fd(), "x", 1, MSG_NOSIGNAL) == 1)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        });
    }
    ~TricklingServer() { m_thread.join(); }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/list"; }

private:
    SocketFd m_listener;
    std::uint16_t m_port = 0;
    std::thread m_thread;
};

TEST(HttpFetch, TricklingPeerIsCutOffByTheDeadlineAndTheMinimumRate)
{
    using namespace std::chrono_literals;
    auto ignore = [](std::string_view) { return true; };
    {
        TricklingServer server;
        HttpFetch fetch;
        auto start = std::chrono::steady_clock::now();
        auto response = fetch.get(server.url(), ignore, FetchLimits { 500ms, 0 });
        ASSERT_FALSE(response);
        EXPECT_EQ(response.error().code, ErrorCode::Timeout);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    }
    {
        // Twenty bytes a second keeps a peer "active" but under the rate.
        TricklingServer server;
        HttpFetchOptions options;
        options.idleTimeout = 1s;
        HttpFetch fetch(options);
        auto response = fetch.get(server.url(), ignore);
        ASSERT_FALSE(response);
        EXPECT_EQ(response.error().code, ErrorCode::Timeout);
    }
}

} // namespace
} // namespace platform
