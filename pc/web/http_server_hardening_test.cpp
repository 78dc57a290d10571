#include "pc/web/head_buffer.h"
#include "pc/web/web_server_fixture.h"

#include <cerrno>
#include <future>
#include <mutex>
#include <thread>

namespace pc::web::testing {
namespace {

class WebServerHardeningTest : public WebServerTest {
protected:
    void TearDown() override { platform::TcpListener::failNextAccepts(0, 0); }

    void waitForAccepted(std::uint64_t count)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (m_server.connectionsAccepted() < count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_GE(m_server.connectionsAccepted(), count);
    }

    // Outside the served folder, next to it.
    void plantOutsideFiles()
    {
        std::ofstream(m_base / "secret.txt") << "secret";
        fs::create_directories(fs::path(m_root) / "sub");
        std::ofstream(fs::path(m_root) / "sub" / "inside.txt") << "inside";
        fs::create_symlink(m_base / "secret.txt", fs::path(m_root) / "link.txt");
        fs::create_directory_symlink(m_base, fs::path(m_root) / "up");
    }
};

const std::string_view kEscapes[] = {
    "/../secret.txt",
    "/sub/../../secret.txt",
    "/%2e%2e/secret.txt",
    "/%2E%2E%2Fsecret.txt",
    "/%252e%252e/secret.txt",
    "/%c0%ae%c0%ae/secret.txt",
    "/..\\secret.txt",
    "/..%5csecret.txt",
    "/sub\\..\\..\\secret.txt",
    "/sub/..%2f..%2fsecret.txt",
    "/.../secret.txt",
    "/%2e%2e%20/secret.txt",
    "/sub./inside.txt",
    "/link.txt",
    "/up/secret.txt",
    "/sub/inside.txt%00.zip",
};

TEST_F(WebServerHardeningTest, TraversalAttemptsEndIn404AndTouchNothing)
{
    plantOutsideFiles();
    m_logon.setCredentials("user", "pass");
    startServer(10000, 1);
    for (std::string_view target : kEscapes) {
        SCOPED_TRACE(target);
        for (std::string_view verb : { "GET", "HEAD", "DELETE" }) {
            std::string response = exchange(std::string(verb) + " " + std::string(target)
                + " HTTP/1.0\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n");
            EXPECT_TRUE(response.starts_with("HTTP/1.0 404 Not Found\r\n")) << verb << ": " << response.substr(0, 40);
            EXPECT_EQ(response.find("secret"), std::string::npos);
        }
    }
    EXPECT_TRUE(fs::exists(m_base / "secret.txt"));
    EXPECT_TRUE(fs::exists(fs::path(m_root) / "sub" / "inside.txt"));
    EXPECT_TRUE(fs::is_symlink(fs::path(m_root) / "link.txt"));
    // The real inside file is still served.
    EXPECT_EQ(bodyOf(exchange("GET /sub/inside.txt HTTP/1.0\r\n\r\n")), "inside");
}

TEST_F(WebServerHardeningTest, ListingDoesNotFollowLinksOut)
{
    plantOutsideFiles();
    startServer(10000, 1);
    std::string listing = exchange("GET /up/ HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(listing.starts_with("HTTP/1.0 404")) << listing.substr(0, 40);
}

TEST_F(WebServerHardeningTest, FifoIsNotOpenedForReading)
{
    ASSERT_EQ(::mkfifo((fs::path(m_root) / "pipe").c_str(), 0600), 0);
    startServer();
    EXPECT_TRUE(exchange("GET /pipe HTTP/1.0\r\n\r\n").starts_with("HTTP/1.0 404"));
}

TEST_F(WebServerHardeningTest, HeadLargerThanTheLimitIs400)
{
    startServer();
    std::string head = "GET /x HTTP/1.0\r\nX-Big: " + std::string(kMaxHeadBytes, 'a') + "\r\n\r\n";
    std::string response = exchange(head);
    EXPECT_TRUE(response.starts_with("HTTP/1.0 400 Bad Request\r\n")) << response.substr(0, 40);
    EXPECT_NE(m_log.waitForLines(1).find("\"GET /x HTTP/1.0\" 400"), std::string::npos);
}

TEST_F(WebServerHardeningTest, HeadPastTheFirstKilobyteIsReadWhole)
{
    writeFile("a.txt", "A");
    startServer();
    std::string head = "GET /a.txt HTTP/1.0\r\nX-Pad: " + std::string(5000, 'p') + "\r\n\r\n";
    EXPECT_EQ(bodyOf(exchange(head)), "A");
}

TEST_F(WebServerHardeningTest, HeadSentByteByByteIsServed)
{
    writeFile("a.txt", "A");
    startServer();
    int handle = connectClient();
    for (char c : std::string_view("GET /a.txt HTTP/1.0\r\nHost: x\r\n\r\n"))
        ASSERT_EQ(::send(handle, &c, 1, MSG_NOSIGNAL), 1);
    EXPECT_EQ(bodyOf(readToEnd(handle)), "A");
    ::close(handle);
}

TEST_F(WebServerHardeningTest, SilentClientIsDroppedAfterTheTimeOut)
{
    writeFile("a.txt", "A");
    startServer(200);
    int silent = connectClient();
    EXPECT_EQ(readToEnd(silent), ""); // Closed with no answer.
    ::close(silent);
    EXPECT_EQ(bodyOf(exchange("GET /a.txt HTTP/1.0\r\n\r\n")), "A");
}

TEST_F(WebServerHardeningTest, ClientClosingEarlyIsDroppedAtOnce)
{
    writeFile("a.txt", "A");
    // With a time-out far beyond the client's patience, the next request is
    // answered only if the half-sent one was dropped as soon as it closed.
    startServer(600000);
    int early = connectClient();
    ::send(early, "GET /a.t", 8, MSG_NOSIGNAL);
    ::close(early);
    EXPECT_EQ(bodyOf(exchange("GET /a.txt HTTP/1.0\r\n\r\n")), "A");
}

TEST_F(WebServerHardeningTest, StopWaitsForTheConnectionBeingServed)
{
    startServer(300);
    int pending = connectClient();
    ::send(pending, "GET /", 5, MSG_NOSIGNAL);
    // Make sure the listener has taken the connection: a second client is
    // answered only after the first one has been dealt with.
    std::thread stopper([&] { m_server.stop(); });
    EXPECT_EQ(readToEnd(pending), "");
    stopper.join();
    EXPECT_FALSE(m_server.isRunning());
    ::close(pending);
}

TEST_F(WebServerHardeningTest, StopDropsAClientThatHasNotCompletedItsRequest)
{
    // A time-out far beyond any test: stop returns only because the wait
    // for the rest of the head ends when the stop is asked for.
    startServer(600000);
    int pending = connectClient();
    ::send(pending, "GET /", 5, MSG_NOSIGNAL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (m_server.connectionsAccepted() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_EQ(m_server.connectionsAccepted(), 1u);
    auto stopped = std::async(std::launch::async, [&] { m_server.stop(); });
    ASSERT_EQ(stopped.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(readToEnd(pending), "");
    EXPECT_FALSE(m_server.isRunning());
    ::close(pending);
    // The next run is not stopped by the wake-up of the last one.
    writeFile("a.txt", "A");
    startServer(600000);
    EXPECT_EQ(bodyOf(exchange("GET /a.txt HTTP/1.0\r\n\r\n")), "A");
}

TEST_F(WebServerHardeningTest, HalfSentHeadDoesNotHoldACompleteOne)
{
    writeFile("first.txt", "1");
    writeFile("second.txt", "2");
    // A time-out far beyond any test: the second client is answered only
    // because heads are read side by side.
    startServer(600000);
    int first = connectClient();
    ::send(first, "GET /first.txt", 14, MSG_NOSIGNAL);
    waitForAccepted(1);
    int second = connectClient();
    const std::string_view request = "GET /second.txt HTTP/1.0\r\n\r\n";
    ::send(second, request.data(), request.size(), MSG_NOSIGNAL);
    EXPECT_EQ(bodyOf(readToEnd(second)), "2");
    const std::string_view rest = " HTTP/1.0\r\n\r\n";
    ::send(first, rest.data(), rest.size(), MSG_NOSIGNAL);
    EXPECT_EQ(bodyOf(readToEnd(first)), "1");
    std::string log = m_log.waitForLines(2);
    EXPECT_LT(log.find("GET /second.txt"), log.find("GET /first.txt")) << log;
    ::close(first);
    ::close(second);
}

TEST_F(WebServerHardeningTest, TricklingClientsDoNotHoldANormalClient)
{
    writeFile("a.txt", "A");
    startServer(600000);
    std::vector<int> lorises;
    for (int i = 0; i < 3; ++i) {
        lorises.push_back(connectClient());
        ::send(lorises.back(), "GET /a.txt HT", 13, MSG_NOSIGNAL);
    }
    waitForAccepted(3);
    for (int round = 0; round < 3; ++round) {
        for (int loris : lorises)
            ::send(loris, "X", 1, MSG_NOSIGNAL);
        EXPECT_EQ(bodyOf(exchange("GET /a.txt HTTP/1.0\r\n\r\n")), "A") << round;
    }
    for (int loris : lorises)
        ::close(loris);
}

TEST_F(WebServerHardeningTest, RefusedAddressIsAnsweredAtOnceWithoutReadingItsHead)
{
    writeFile("a.txt", "A");
    startServer(600000);
    m_server.setClientFilter([](const in_addr& address) { return address.s_addr == htonl(INADDR_LOOPBACK); });
    int refused = connectClient("127.0.0.5");
    ::send(refused, "GET /a.t", 8, MSG_NOSIGNAL); // Half a head, never finished.
    EXPECT_TRUE(readToEnd(refused).starts_with("HTTP/1.0 400 Bad Request\r\n"));
    EXPECT_EQ(bodyOf(exchange("GET /a.txt HTTP/1.0\r\n\r\n")), "A");
    ::close(refused);
}

TEST_F(WebServerHardeningTest, SlowReaderHoldsOnlyItsOwnConnectionAndOnlyUntilItsDeadline)
{
    writeFile("big.bin", std::string(32 * 1024 * 1024, 'b'));
    writeFile("a.txt", "A");
    // 300 ms plus the size at 64 MB/s: half a second and a little more.
    startServer(300, 0, 64ull * 1024 * 1024);
    int slow = connectClient();
    const std::string_view request = "GET /big.bin HTTP/1.0\r\n\r\n";
    ::send(slow, request.data(), request.size(), MSG_NOSIGNAL);
    // Others are served while the slow reader holds its answer.
    EXPECT_EQ(bodyOf(exchange("GET /a.txt HTTP/1.0\r\n\r\n")), "A");
    // Reading a byte now and then does not stretch the answer's time: well
    // past the deadline, what is left is what the buffers held, then the end.
    std::size_t received = 0;
    const auto slowUntil = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < slowUntil) {
        char byte;
        if (::recv(slow, &byte, 1, 0) > 0)
            ++received;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::string rest = readToEnd(slow);
    received += rest.size();
    bool ended = true; // readToEnd fails the test when no end comes.
    EXPECT_TRUE(ended);
    EXPECT_LT(received, 32u * 1024 * 1024);
    ::close(slow);
}

TEST_F(WebServerHardeningTest, ConnectionsAreCappedAndSilentOnesMakeRoom)
{
    writeFile("a.txt", "A");
    startServer(600000);
    std::vector<int> silent;
    for (int i = 0; i < 100; ++i)
        silent.push_back(connectClient(("127.0.1." + std::to_string(i + 1)).c_str()));
    for (int i = 0; i < 30; ++i)
        silent.push_back(connectClient("127.0.2.1"));
    waitForAccepted(130);
    EXPECT_EQ(bodyOf(exchange("GET /a.txt HTTP/1.0\r\n\r\n")), "A");
    // Those that made room were closed, not left hanging.
    int closed = 0;
    for (int handle : silent) {
        pollfd entry { handle, POLLIN, 0 };
        closed += ::poll(&entry, 1, 0) == 1;
        ::close(handle);
    }
    EXPECT_GE(closed, 130 - static_cast<int>(CHttpServer::kLimits.total));
}

TEST_F(WebServerHardeningTest, RunningOutOfDescriptorsPausesAcceptingInsteadOfSpinning)
{
    writeFile("a.txt", "A");
    startServer();
    platform::TcpListener::failNextAccepts(EMFILE, 1000000);
    std::uint64_t before = platform::TcpListener::acceptAttempts();
    int waiting = connectClient();
    const std::string_view request = "GET /a.txt HTTP/1.0\r\n\r\n";
    ::send(waiting, request.data(), request.size(), MSG_NOSIGNAL);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // One try, then one more after the pause: a spinning loop tries
    // thousands of times.
    EXPECT_LE(platform::TcpListener::acceptAttempts() - before, 3u);
    platform::TcpListener::failNextAccepts(0, 0);
    EXPECT_EQ(bodyOf(readToEnd(waiting)), "A");
    ::close(waiting);
}

TEST_F(WebServerHardeningTest, FailedCredentialsSlowDownTheNextCheck)
{
    writeFile("f.txt", "f");
    m_logon.setCredentials("user", "pass");
    startServer();
    const std::string wrong = "DELETE /f.txt HTTP/1.0\r\nAuthorization: Basic dXNlcjpwYXNm\r\n\r\n";
    EXPECT_TRUE(exchange(wrong).starts_with("HTTP/1.0 401"));
    EXPECT_TRUE(exchange(wrong).starts_with("HTTP/1.0 401"));
    // The third check waits a second on the server's clock.
    int third = connectClient();
    const std::string right = "DELETE /f.txt HTTP/1.0\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n";
    ::send(third, right.data(), right.size(), MSG_NOSIGNAL);
    pollfd entry { third, POLLIN, 0 };
    EXPECT_EQ(::poll(&entry, 1, 300), 0);
    EXPECT_TRUE(fs::exists(fs::path(m_root) / "f.txt"));
    m_clock.advance(std::chrono::seconds(1));
    EXPECT_TRUE(readToEnd(third).starts_with("HTTP/1.0 200"));
    EXPECT_FALSE(fs::exists(fs::path(m_root) / "f.txt"));
    ::close(third);
}

TEST_F(WebServerHardeningTest, RefusedClientAddressesGet400)
{
    writeFile("a.txt", "A");
    startServer();
    m_server.setClientFilter([](const in_addr& address) { return address.s_addr != htonl(INADDR_LOOPBACK); });
    EXPECT_TRUE(exchange("GET /a.txt HTTP/1.0\r\n\r\n").starts_with("HTTP/1.0 400 Bad Request"));
    m_server.setClientFilter([](const in_addr& address) { return address.s_addr == htonl(INADDR_LOOPBACK); });
    EXPECT_EQ(bodyOf(exchange("GET /a.txt HTTP/1.0\r\n\r\n")), "A");
}

TEST_F(WebServerHardeningTest, RequestTextCannotSplitResponseOrAccessLog)
{
    startServer();
    // The realm repeats the decoded URL; its CR LF must not end the header.
    std::string response = exchange("DELETE /x%0d%0aSet-Cookie:%20a=b HTTP/1.0\r\n\r\n");
    EXPECT_NE(response.find("WWW-Authenticate: Basic realm=/x%0D%0ASet-Cookie: a=b\r\n"), std::string::npos);
    EXPECT_EQ(response.find("\r\nSet-Cookie"), std::string::npos);
    // A user name with a line break stays on its one access-log line.
    exchange("GET /kim%0a1.2.3.4@/y HTTP/1.0\r\n\r\n");
    std::string log = m_log.waitForLines(2);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
    EXPECT_NE(log.find(" - /kim\\x0A1.2.3.4 ["), std::string::npos) << log;
}

TEST_F(WebServerHardeningTest, ClientFilterMayChangeWhileServing)
{
    writeFile("a.txt", "A");
    startServer();
    // The server is held inside a filter that refuses while the filter is
    // replaced from another thread: the replacement waits for the call under
    // way, whose answer still counts, and the next connection meets the new
    // filter.
    std::promise<void> entered;
    std::once_flag enteredOnce;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    m_server.setClientFilter([&entered, &enteredOnce, released](const in_addr&) {
        std::call_once(enteredOnce, [&] { entered.set_value(); });
        released.wait();
        return false;
    });
    const std::string request = "GET /a.txt HTTP/1.0\r\n\r\n";
    int refused = connectClient();
    ASSERT_EQ(::send(refused, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    EXPECT_EQ(entered.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    auto replaced = std::async(std::launch::async, [&] {
        m_server.setClientFilter([](const in_addr&) { return true; });
    });
    release.set_value();
    replaced.wait();
    EXPECT_TRUE(readToEnd(refused).starts_with("HTTP/1.0 400 Bad Request\r\n"));
    ::close(refused);
    EXPECT_TRUE(exchange(request).starts_with("HTTP/1.0 200"));

    // Each change holds from the next connection on.
    for (bool allow : { false, true, false, true }) {
        m_server.setClientFilter([allow](const in_addr&) { return allow; });
        EXPECT_TRUE(exchange(request).starts_with(allow ? "HTTP/1.0 200" : "HTTP/1.0 400"));
    }
}

} // namespace
} // namespace pc::web::testing
