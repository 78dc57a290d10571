#include "pc/service/testing/secure_service_fixture.h"

#include <poll.h>
#include <sys/socket.h>

using namespace std::chrono_literals;

namespace pc::service::testing {
namespace {

class SecureLinkServiceTest : public SecureServiceFixture { };

TEST_F(SecureLinkServiceTest, AllowedServesClearAndPrivateHandheldsAlikeAndLogsWhich)
{
    auto clear = loggedInHandheld("127.0.0.2");
    EXPECT_TRUE(log.contains(std::string(kClearLoginLine)));
    EXPECT_FALSE(log.contains(std::string(kPrivateLoginLine)));
    auto clearList = ask(*clear, { 12, 306, "C:\\" });
    ASSERT_TRUE(clearList);

    auto secure = privateHandheld();
    ASSERT_TRUE(secure);
    auto yes = askSettled(*secure, { 0, 310, "owner\nsecret" });
    ASSERT_TRUE(yes);
    EXPECT_EQ(*yes, (proto::PcAnswer { 1, 310, "YES\\C:\\\\" }));
    EXPECT_TRUE(log.contains(std::string(kPrivateLoginLine)));
    auto probe = awaitSettled(*secure);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->code, 328);
    // The same request gets the same record, byte for byte.
    auto privateList = askSettled(*secure, { 12, 306, "C:\\" });
    ASSERT_TRUE(privateList);
    EXPECT_EQ(proto::encodePcAnswer(*privateList), proto::encodePcAnswer(*clearList));
}

TEST_F(SecureLinkServiceTest, RequiredRefusesClearConnectionsOnEveryPort)
{
    m_link.setMode(platform::SecureLinkMode::Required);
    EXPECT_TRUE(closedAfter(proto::formatPcRequest({ 0, 310, "owner\nsecret" })));
    EXPECT_TRUE(log.contains(std::string(kClearRefusedLine)));
    EXPECT_FALSE(service->session().isLoggedIn);

    auto reply = httpGet(web->webPort(), "/");
    EXPECT_TRUE(!reply || reply->status == 0) << reply->head;

    auto secure = privateHandheld();
    ASSERT_TRUE(secure);
    auto yes = askSettled(*secure, { 0, 310, "owner\nsecret" });
    ASSERT_TRUE(yes);
    EXPECT_EQ(yes->text.substr(0, 3), "YES");
}

TEST_F(SecureLinkServiceTest, GarbageInsteadOfAHandshakeIsClosed)
{
    EXPECT_TRUE(closedAfter("\x16 not a client hello at all, just bytes\r\n\r\n"));
    EXPECT_TRUE(pumpUntil([&] { return service->commandConnectionCount() == 0; }));
    EXPECT_TRUE(pumpUntilSettled([&] { return m_serverRelay->activeConnections() == 0; }));
}

TEST_F(SecureLinkServiceTest, StalledHandshakeIsClosedByTheLoginTimeOut)
{
    bool closed = closedAfter(std::string("\x16\x03\x01", 3), [&] {
        pumpUntilSettled([&] { return m_serverRelay->activeConnections() == 1; });
        clock.advance(kLoginTimeout - 1ms);
        loop.processPending();
        EXPECT_EQ(service->commandConnectionCount(), 1u);
        clock.advance(1ms);
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(service->commandConnectionCount(), 0u);
    EXPECT_TRUE(pumpUntilSettled([&] { return m_serverRelay->activeConnections() == 0; }));
}

TEST_F(SecureLinkServiceTest, OffReadsAHandshakeAsClearBytes)
{
    m_link.setMode(platform::SecureLinkMode::Off);
    auto link = platform::connectTcp("127.0.0.1", service->commandPort());
    ASSERT_TRUE(link);
    auto pending = std::async(std::launch::async,
        [&, socket = std::move(*link)]() mutable { return m_clientRelay->connect(std::move(socket), 500ms); });
    pumpUntilSettled([&] { return pending.wait_for(0ms) == std::future_status::ready; }, 4s);
    EXPECT_FALSE(pending.get());
    EXPECT_EQ(m_serverRelay->activeConnections(), 0u);
}

TEST_F(SecureLinkServiceTest, WebServerAnswersThroughThePrivateLink)
{
    writeFile(root() / "serverfolder", "list of files");
    auto link = connectPrivately(web->webPort());
    ASSERT_TRUE(link);
    ASSERT_TRUE(platform::sendAll(link->clear.fd(), "GET /serverfolder HTTP/1.0\r\n\r\n"));
    std::string reply;
    char buffer[4096];
    for (;;) {
        pollfd wait { link->clear.fd(), POLLIN, 0 };
        ASSERT_GT(::poll(&wait, 1, 5000), 0);
        ssize_t n = ::recv(link->clear.fd(), buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(reply.substr(0, 15), "HTTP/1.0 200 OK") << reply;
    EXPECT_EQ(reply.substr(reply.size() - 13), "list of files");
}

} // namespace
} // namespace pc::service::testing
