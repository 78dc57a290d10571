#include "pocket/link/socket_client.h"

#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/link/testing/loopback.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pocket::link {
namespace {

using namespace std::chrono_literals;
using testing::RecordingTarget;

class SocketClientTest : public ::testing::Test {
protected:
    SocketClient& makeClient(int kind, ReceiveMode mode)
    {
        m_client = std::make_unique<SocketClient>(m_loop, m_ui, [this](std::chrono::milliseconds pause) {
            m_pauses.push_back(pause);
        });
        m_client->setTitleForKind(kind);
        m_client->setKind(kind);
        m_client->setHost("127.0.0.1");
        m_client->setHostIsAddress(true);
        m_client->setPort(m_listener.port());
        m_client->setReceiveMode(mode);
        m_client->setWindow(&m_target);
        return *m_client;
    }

    bool waitFor(const std::function<bool()>& done) { return m_loop.runUntil(done, 5s); }

    void TearDown() override
    {
        if (m_peer >= 0)
            ::close(m_peer);
        m_client.reset();
    }

    platform::testing::ManualClock m_clock;
    platform::PollEventLoop m_loop { m_clock };
    platform::testing::FakeUi m_ui;
    RecordingTarget m_target;
    testing::LoopbackListener m_listener;
    std::unique_ptr<SocketClient> m_client;
    std::vector<std::chrono::milliseconds> m_pauses;
    int m_peer = -1;
};

TEST_F(SocketClientTest, LineModeQueuesLineBlocksAndKeepsTheTail)
{
    auto& client = makeClient(kLinkKindMsn, ReceiveMode::Line);
    ASSERT_TRUE(client.open());
    m_peer = m_listener.accept();
    ASSERT_GE(m_peer, 0);

    testing::sendAll(m_peer, "A 1\r\nB 2");
    ASSERT_TRUE(waitFor([&] { return m_target.count(kMsgMsnBlockQueued) == 1; }));
    EXPECT_EQ(client.blocks().take(), "A 1\r");
    EXPECT_EQ(client.blocks().pendingTail(), "B 2");

    testing::sendAll(m_peer, " 3\r\n");
    ASSERT_TRUE(waitFor([&] { return m_target.count(kMsgMsnBlockQueued) == 2; }));
    EXPECT_EQ(client.blocks().take(), "B 2 3\r");
    EXPECT_EQ(client.blocks().pendingTail(), "");
}

TEST_F(SocketClientTest, PostsTheCloseMessageOnlyWhenAsked)
{
    for (bool notify : { true, false }) {
        SCOPED_TRACE(notify);
        m_target.handler = nullptr;
        auto& client = makeClient(kLinkKindMsn, ReceiveMode::Line);
        client.setNotifyOnClose(notify);
        ASSERT_TRUE(client.open());
        int peer = m_listener.accept();
        testing::sendAll(peer, "VER 1\r\n");
        ::close(peer);
        std::size_t before = m_target.count(kMsgMsnClosed);
        ASSERT_TRUE(waitFor([&] { return m_target.count(kMsgMsnBlockQueued) > 0; }));
        m_client.reset(); // Waits for the reader, which has posted by then.
        m_loop.processPending();
        EXPECT_EQ(m_target.count(kMsgMsnClosed), before + (notify ? 1 : 0));
    }
}

TEST_F(SocketClientTest, PauseReadingLeavesTheDataInTheSocket)
{
    auto& client = makeClient(kLinkKindMsn, ReceiveMode::Line);
    client.setPauseReading(true);
    ASSERT_TRUE(client.open());
    m_peer = m_listener.accept();
    testing::sendAll(m_peer, "MSG x\r\n");

    // The bytes arrive at the client's socket and stay there.
    int waiting = 0;
    ASSERT_TRUE(waitFor([&] {
        ::ioctl(client.socketFd(), FIONREAD, &waiting);
        return waiting == 7;
    }));
    m_loop.processPending();
    EXPECT_EQ(m_target.count(kMsgMsnBlockQueued), 0u);

    client.setPauseReading(false);
    ASSERT_TRUE(waitFor([&] { return m_target.count(kMsgMsnBlockQueued) == 1; }));
    EXPECT_EQ(client.blocks().take(), "MSG x\r");
}

TEST_F(SocketClientTest, RecordModeCutsWholeRecordsFromTheStream)
{
    std::vector<proto::PcAnswer> records;
    bool ended = false;
    std::mutex mutex;
    auto& client = makeClient(kLinkKindPc, ReceiveMode::Record);
    client.setRecordSink({ [&](const proto::AnswerRecord& record) {
                              std::lock_guard lock(mutex);
                              records.push_back(*proto::decodePcAnswer({ record.data(), record.size() }));
                          },
        [&] {
            {
                std::lock_guard lock(mutex);
                ended = true;
            }
            m_loop.post(&m_target, 1); // Wakes the loop so that it looks again.
        } });
    ASSERT_TRUE(client.open());
    m_peer = m_listener.accept();

    auto wire = [](int first, int code, std::string text) {
        auto record = proto::encodePcAnswer({ first, code, std::move(text) });
        return std::string(record.data(), record.size());
    };
    // Two records in one send, then one split in three sends.
    testing::sendAll(m_peer, wire(1, 310, "YES\\C:\\\\") + wire(0, 328, ""));
    std::string third = wire(12, 306, ".0a.txt\n\n");
    testing::sendAll(m_peer, third.substr(0, 5));
    testing::sendAll(m_peer, third.substr(5, 600));
    testing::sendAll(m_peer, third.substr(605));
    ::shutdown(m_peer, SHUT_WR);

    ASSERT_TRUE(waitFor([&] {
        std::lock_guard lock(mutex);
        return ended;
    }));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], (proto::PcAnswer { 1, 310, "YES\\C:\\\\" }));
    EXPECT_EQ(records[1], (proto::PcAnswer { 0, 328, "" }));
    EXPECT_EQ(records[2], (proto::PcAnswer { 12, 306, ".0a.txt\n\n" }));
}

TEST_F(SocketClientTest, ReadinessModeLetsTheWindowReadUntilItAnswersMinusOne)
{
    auto& client = makeClient(kLinkKindIcq, ReceiveMode::Readiness);
    std::string readByWindow;
    m_target.handler = [&](int msg, platform::WParam, platform::LParam) -> platform::LResult {
        if (msg != kMsgIcqReadable)
            return 0;
        char buffer[64];
        ssize_t n = ::recv(client.socketFd(), buffer, sizeof buffer, 0);
        if (n <= 0)
            return -1;
        readByWindow.append(buffer, static_cast<std::size_t>(n));
        return 0;
    };
    ASSERT_TRUE(client.open());
    m_peer = m_listener.accept();
    testing::sendAll(m_peer, "*\x02hello");
    ::close(m_peer);
    m_peer = -1;
    ASSERT_TRUE(waitFor([&] { return m_target.count(kMsgIcqClosed) == 1; }));
    EXPECT_EQ(readByWindow, "*\x02hello");
}

TEST_F(SocketClientTest, AddressWithSpacesConnectsWithoutLookUp)
{
    for (std::string host : { "127.0.0.1", " 127.0.0.1", "127. 0.0.1 " }) {
        SCOPED_TRACE(host);
        auto& client = makeClient(kLinkKindMsn, ReceiveMode::Line);
        client.setHost(host);
        ASSERT_TRUE(client.open());
        int peer = m_listener.accept();
        EXPECT_GE(peer, 0);
        ::close(peer);
    }
}

TEST_F(SocketClientTest, ResolvesAHostNameFromTheHostsFile)
{
    auto& client = makeClient(kLinkKindMsn, ReceiveMode::Line);
    client.setHost("localhost");
    client.setHostIsAddress(false);
    ASSERT_TRUE(client.open());
    m_peer = m_listener.accept();
    EXPECT_GE(m_peer, 0);
}

TEST_F(SocketClientTest, RefusedConnectionFailsAfterFiveAttemptsOneSecondApart)
{
    auto& client = makeClient(kLinkKindPc, ReceiveMode::Record);
    client.setPort(testing::closedLoopbackPort());
    EXPECT_FALSE(client.open());
    EXPECT_FALSE(client.isOpen());
    EXPECT_EQ(client.socketFd(), -1);
    EXPECT_EQ(m_pauses, std::vector<std::chrono::milliseconds>(4, 1000ms));
    EXPECT_EQ(m_ui.callCount(), 0u); // Reporting is the caller's.
    // What the caller reports: the peer tried and the cause.
    EXPECT_EQ(client.lastAttemptText(),
        client.host() + ":" + std::to_string(testing::closedLoopbackPort()) + " — 연결이 거부되었습니다");
}

TEST(ConnectErrorText, NamesTheCauseOfEachFailure)
{
    EXPECT_EQ(connectErrorText(kNameNotFound), "서버 이름을 찾을 수 없습니다 (DNS)");
    EXPECT_EQ(connectErrorText(EHOSTUNREACH), "서버에 닿을 수 없습니다 (네트워크 확인)");
    EXPECT_EQ(attemptText("", ETIMEDOUT), "응답이 없습니다 (시간 초과)");
    EXPECT_EQ(attemptText("icq.example:5190", ETIMEDOUT), "icq.example:5190 — 응답이 없습니다 (시간 초과)");
}

TEST_F(SocketClientTest, UnansweredConnectionAttemptsGiveUpAfterTheirTimeOut)
{
    // A listener whose accept queue is full drops further connection
    // requests unanswered, as a vanished PC would.
    auto full = platform::listenTcp("127.0.0.1", 0, 0);
    ASSERT_TRUE(full);
    std::uint16_t port = platform::localPort(full->fd()).valueOr(0);
    std::vector<platform::SocketFd> waiting;
    for (int i = 0; i < 2; ++i) {
        if (auto connecting = platform::connectTcpFrom("127.0.0.1", "127.0.0.1", port, true))
            waiting.push_back(std::move(*connecting));
    }

    auto& client = makeClient(kLinkKindPc, ReceiveMode::Record);
    client.setPort(port);
    client.setConnectTimeout(20ms);
    EXPECT_FALSE(client.open());
    EXPECT_EQ(client.socketFd(), -1);
    EXPECT_EQ(m_pauses.size(), 4u);
}

TEST_F(SocketClientTest, SendTextReportsAMissingConnectionUnderTheLinkTitle)
{
    auto& client = makeClient(kLinkKindMsn, ReceiveMode::Line);
    EXPECT_FALSE(client.sendText("VER 1 MSNP5\r\n"));
    ASSERT_EQ(m_ui.callCount(), 1u);
    auto call = m_ui.calls()[0];
    EXPECT_EQ(call.title, "MSN");
    EXPECT_EQ(call.text, "메신저 서버와 연결이 종료되었습니다. 다시 접속해주세요.");
    EXPECT_EQ(call.icon, platform::Icon::Warning);
}

TEST_F(SocketClientTest, SendTextSendsTheTextUpToItsTerminator)
{
    auto& client = makeClient(kLinkKindMsn, ReceiveMode::Line);
    ASSERT_TRUE(client.open());
    m_peer = m_listener.accept();
    EXPECT_TRUE(client.sendText(std::string_view("OUT\r\n\0junk", 10)));
    EXPECT_TRUE(client.sendText("VER 1\r\n"));
    EXPECT_EQ(testing::receiveExactly(m_peer, 12), "OUT\r\nVER 1\r\n");
}

TEST_F(SocketClientTest, BrokenConnectionReportsTheSendFailureAndPostsTheCloseMessage)
{
    auto& client = makeClient(kLinkKindMsn, ReceiveMode::Line);
    client.setNotifyOnClose(true);
    ASSERT_TRUE(client.open());
    m_peer = m_listener.accept();
    // An abortive close: the peer answers with a reset, so sends fail.
    linger abort { 1, 0 };
    ::setsockopt(m_peer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(m_peer);
    m_peer = -1;
    ASSERT_TRUE(waitFor([&] { return m_target.count(kMsgMsnClosed) == 1; })); // From the reader.

    bool sent = true;
    for (int i = 0; i < 3 && sent; ++i)
        sent = client.sendText("PNG\r\n");
    EXPECT_FALSE(sent);
    ASSERT_EQ(m_ui.callCount(), 1u);
    EXPECT_EQ(m_ui.calls()[0].title, "MSN");
    EXPECT_EQ(m_ui.calls()[0].text, "네트웍 문제나 MSN 서버와 연결이 종료되어 메세지를 보낼 수 없습니다.");
    EXPECT_EQ(m_ui.calls()[0].icon, platform::Icon::Warning);
    EXPECT_TRUE(waitFor([&] { return m_target.count(kMsgMsnClosed) == 2; })); // From the failed send.
}

TEST_F(SocketClientTest, ReopeningForgetsTheTailOfTheOldConnection)
{
    auto& client = makeClient(kLinkKindMsn, ReceiveMode::Line);
    ASSERT_TRUE(client.open());
    int first = m_listener.accept();
    testing::sendAll(first, "XFR 2 NS 127.0.0.1:1863\r\nUNFINISHED");
    ASSERT_TRUE(waitFor([&] { return client.blocks().pendingTail() == "UNFINISHED"; }));
    ::close(first);

    ASSERT_TRUE(client.open());
    m_peer = m_listener.accept();
    EXPECT_EQ(client.blocks().pendingTail(), "");
    testing::sendAll(m_peer, "VER 3 MSNP5\r\n");
    ASSERT_TRUE(waitFor([&] { return client.blocks().queuedCount() == 2; }));
    EXPECT_EQ(client.blocks().take(), "XFR 2 NS 127.0.0.1:1863\r");
    EXPECT_EQ(client.blocks().take(), "VER 3 MSNP5\r");
}

TEST_F(SocketClientTest, ClosingEndsAPausedReader)
{
    for (int round = 0; round < 20; ++round) {
        auto& client = makeClient(kLinkKindMsn, ReceiveMode::Line);
        client.setNotifyOnClose(true);
        client.setPauseReading(true);
        ASSERT_TRUE(client.open());
        int peer = m_listener.accept();
        std::size_t before = m_target.count(kMsgMsnClosed);
        client.close();
        // The reader ends and says so; it would wait for ever had it missed
        // the wake-up.
        EXPECT_TRUE(waitFor([&] { return m_target.count(kMsgMsnClosed) == before + 1; })) << round;
        ::close(peer);
    }
}

TEST_F(SocketClientTest, ReadinessModeWatchesDescriptorsPastTheSelectLimit)
{
    // Occupy the low descriptor numbers so that the link's socket lands
    // above FD_SETSIZE.
    rlimit limit {};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    rlimit raised = limit;
    raised.rlim_cur = std::min<rlim_t>(limit.rlim_max, FD_SETSIZE + 64);
    if (raised.rlim_cur < FD_SETSIZE + 16 || ::setrlimit(RLIMIT_NOFILE, &raised) != 0)
        GTEST_SKIP() << "the descriptor limit cannot be raised past FD_SETSIZE";
    std::vector<int> fillers;
    for (int fd = ::dup(0); fd >= 0 && fd < FD_SETSIZE + 2; fd = ::dup(0))
        fillers.push_back(fd);

    auto& client = makeClient(kLinkKindIcq, ReceiveMode::Readiness);
    m_target.handler = [&](int msg, platform::WParam, platform::LParam) -> platform::LResult {
        char buffer[64];
        return msg == kMsgIcqReadable && ::recv(client.socketFd(), buffer, sizeof buffer, 0) <= 0 ? -1 : 0;
    };
    bool opened = client.open();
    int fd = client.socketFd();
    m_peer = m_listener.accept();
    if (m_peer >= 0) {
        testing::sendAll(m_peer, "*\x02x");
        ::close(m_peer);
        m_peer = -1;
    }
    bool closed = waitFor([&] { return m_target.count(kMsgIcqClosed) == 1; });
    m_client.reset();
    for (int filler : fillers)
        ::close(filler);
    ::setrlimit(RLIMIT_NOFILE, &limit);
    ASSERT_TRUE(opened);
    EXPECT_GE(fd, FD_SETSIZE);
    EXPECT_TRUE(closed);
}

TEST(ResolutionErrorText, NamesEachKnownError)
{
    struct Case {
        int getaddrinfoError;
        const char* text;
    };
    const Case cases[] = {
        { EAI_NONAME, "올바른 호스트 응답을 찾을 수 없습니다." },
        { EAI_AGAIN, "올바른 호스트가 발견되지 않거나 서버에서 에러가 났습니다." },
        { EAI_FAIL, "회복할 수 없는 에러가 발생 했습니다." },
        { EAI_MEMORY, "호스트 정보를 찾는데 실패하였습니다." },
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolutionErrorText(resolutionErrorNumber(c.getaddrinfoError)), c.text);
}

} // namespace
} // namespace pocket::link
