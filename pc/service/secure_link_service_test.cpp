#include "pc/service/testing/service_fixture.h"
#include "platform/tls/secure_link.h"
#include "platform/tls/tls_identity.h"
#include "platform/tls/tls_relay.h"

#include <future>
#include <poll.h>
#include <sys/socket.h>

using namespace std::chrono_literals;

namespace pc::service::testing {
namespace {

// The service with private connections beside clear ones, as the PC
// program runs it, and a handheld's side of the private link.
class SecureLinkServiceTest : public ServiceFixture {
protected:
    SecureLinkServiceTest()
        : m_identityHome("secure-service")
        , m_identity(std::move(platform::TlsIdentity::loadOrCreate(m_identityHome.path()).value()))
        , m_serverRelay(std::move(platform::TlsRelay::forServer(m_identity).value()))
        , m_clientRelay(std::move(platform::TlsRelay::forClient().value()))
        , m_link(m_serverRelay.get(), platform::SecureLinkMode::Allowed)
    {
        service->setSecureLink(&m_link);
        WebConfig webConfig { root(), 0, "127.0.0.1" };
        webConfig.secureLink = &m_link;
        web = std::make_unique<HttpWebService>(clock, service->webAccess(), accessLog, webConfig);
        web->setCredentials(credentials);
        service->setWebService(web.get());
        service->start();
    }
    ~SecureLinkServiceTest() override
    {
        service.reset();
        web.reset();
    }

    // Runs the loop until a condition that other threads change holds
    // (pumpUntil checks only after the loop's own events).
    bool pumpUntilSettled(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s)
    {
        auto giveUp = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > giveUp)
                return false;
            loop.runUntil(done, 10ms);
        }
        return true;
    }

    // The TLS handshake runs in the relays' threads, but the service must
    // accept and look at the first byte: the loop runs meanwhile.
    platform::IoResult<platform::TlsClientLink> connectPrivately(std::uint16_t port)
    {
        auto tcp = platform::connectTcp("127.0.0.1", port);
        if (!tcp)
            return tcp.error();
        auto pending = std::async(std::launch::async,
            [&, socket = std::move(*tcp)]() mutable { return m_clientRelay->connect(std::move(socket), 5s); });
        pumpUntilSettled([&] { return pending.wait_for(0ms) == std::future_status::ready; });
        return pending.get();
    }

    std::unique_ptr<ScriptedHandheld> privateHandheld()
    {
        auto link = connectPrivately(service->commandPort());
        EXPECT_TRUE(link) << platform::describe(link.error());
        if (!link)
            return nullptr;
        EXPECT_EQ(link->fingerprint, m_identity.fingerprint());
        return ScriptedHandheld::adopt(link->clear.release(), "127.0.0.1");
    }

    // Answers over the private link arrive after the loop's event is over.
    std::optional<proto::PcAnswer> askSettled(ScriptedHandheld& handheld, const proto::PcRequest& request)
    {
        handheld.send(request);
        return awaitSettled(handheld);
    }
    std::optional<proto::PcAnswer> awaitSettled(ScriptedHandheld& handheld)
    {
        pumpUntilSettled([&] { return handheld.pump(), !handheld.answers().empty(); });
        return handheld.takeAnswer();
    }

    // Sends raw bytes on a fresh clear connection and waits for the close.
    bool closedAfter(std::string_view bytes, std::function<void()> meanwhile = {})
    {
        auto peer = ScriptedHandheld::connect(service->commandPort());
        std::size_t before = service->commandConnectionCount();
        pumpUntil([&] { return service->commandConnectionCount() > before; });
        peer->sendRaw(bytes);
        if (meanwhile)
            meanwhile();
        return pumpUntilSettled([&] { return !peer->pump(); });
    }

    platform::TempFolder m_identityHome;
    platform::TlsIdentity m_identity;
    std::unique_ptr<platform::TlsRelay> m_serverRelay;
    std::unique_ptr<platform::TlsRelay> m_clientRelay;
    platform::SecureLinkServer m_link;
};

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
