#include "pocket/msn/socket_msn_link.h"

#include "platform/codec/md5.h"
#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "pocket/link/link_messages.h"
#include "pocket/link/testing/loopback.h"
#include "pocket/msn/msn_session.h"
#include "pocket/msn/testing/scripted_peer.h"

#include <gtest/gtest.h>

namespace pocket::msn {
namespace {

    using namespace std::chrono_literals;
    using testing::ScriptedConnection;
    using testing::ScriptedPeer;

    class SocketMsnLinkTest : public ::testing::Test {
    protected:
        platform::SystemClock m_clock;
        platform::PollEventLoop m_loop { m_clock };
        platform::testing::FakeUi m_ui;
        SocketMsnLinkFactory m_links { m_loop, m_ui, [](std::chrono::milliseconds) {} };
    };

    TEST_F(SocketMsnLinkTest, LogsInThroughDispatchAndNotificationServers)
    {
        const std::string digest = platform::codec::md5Hex("29409134351025259292secret");
        ScriptedPeer peer({
            { { { "VER 0 MSNP5 MSNP4 CVRO\r\n", "VER 0 MSNP5\r\n" }, { "INF 1\r\n", "INF 1 MD5\r\n" },
                { "USR 2  MD5  I  me@example.com\r\n", "XFR 2 NS 127.0.0.1:1864 0 127.0.0.1:1863\r\n" } } },
            { { { "VER 3 MSNP5 MSNP4 CVRO\r\n", "VER 3 MSNP5\r\n" }, { "INF 4\r\n", "INF 4 MD5\r\n" },
                  { "USR 5  MD5  I  me@example.com\r\n", "USR 5 MD5 S 29409134351025259292\r\n" },
                  { "USR 6 MD5 S " + digest + "\r\n", "USR 6 OK me@example.com Me\r\n" },
                  { "CHG 7 NLN\r\n", "CHG 7 NLN\r\nMSG Hotmail Hotmail 14\r\nMIME-Version: " },
                  // The profile body continues in a later read.
                  { "", "1.0\r\n" }, { "LST 8 FL\r\n", "LST 8 FL 1 1 1 a@example.com Alice\r\n" } },
                true },
        });
        MsnSession session(m_loop, m_ui, m_links, MsnConfig { "127.0.0.1", peer.port() });
        session.setAccount({ "me@example.com", "secret" });
        ASSERT_TRUE(session.connect());
        EXPECT_TRUE(m_loop.runUntil([&] { return session.contacts().size() == 1; }, 5s)) << peer.failure();
        EXPECT_TRUE(peer.waitDone()) << peer.failure();
        EXPECT_TRUE(session.isOnline());
        EXPECT_EQ(session.contacts().at(0).email, "a@example.com");
        EXPECT_EQ(m_ui.callCount(), 0u);
    }

    TEST_F(SocketMsnLinkTest, NotificationServerClosingLogsOut)
    {
        ScriptedPeer peer({
            { { { "VER 0 MSNP5 MSNP4 CVRO\r\n", "XFR 0 NS 127.0.0.1:1863 0\r\n" } } },
            { { { "VER 1 MSNP5 MSNP4 CVRO\r\n", "911 1\r\n" } } },
        });
        MsnSession session(m_loop, m_ui, m_links, MsnConfig { "127.0.0.1", peer.port() });
        session.setAccount({ "me@example.com", "wrong" });
        ASSERT_TRUE(session.connect());
        EXPECT_TRUE(
            m_loop.runUntil([&] { return m_ui.callCount() == 1 && session.transactionId() == 0; }, 5s));
        EXPECT_EQ(m_ui.lastText(), "아이디와 패스워드가 일치하지 않습니다.");
        EXPECT_EQ(session.ownStatus(), status::kOffline);
    }

    TEST_F(SocketMsnLinkTest, OversizedLineEndsTheConnection)
    {
        ScriptedPeer peer(
            { { { { "VER 0 MSNP5 MSNP4 CVRO\r\n", std::string(kMaxLineBytes + 10, 'A') } }, true } });
        SocketMsnLink link(m_loop, m_ui, [](std::chrono::milliseconds) {});
        int units = 0;
        bool closed = false;
        link.setHandlers(
            [&](std::vector<MsnUnit> got) { units += static_cast<int>(got.size()); }, [&] { closed = true; });
        ASSERT_TRUE(link.open({ "127.0.0.1", peer.port(), true, true }));
        ASSERT_TRUE(link.send("VER 0 MSNP5 MSNP4 CVRO\r\n"));
        EXPECT_TRUE(m_loop.runUntil([&] { return closed; }, 5s));
        EXPECT_EQ(units, 0);
        EXPECT_FALSE(link.isOpen());
    }

TEST_F(SocketMsnLinkTest, ClosingHereIsNotReportedAsThePeersEnd)
{
    ScriptedPeer peer({ { { { "VER 0 MSNP5 MSNP4 CVRO\r\n", "VER 0 MSNP5\r\n" } }, true } });
    SocketMsnLink link(m_loop, m_ui, [](std::chrono::milliseconds) { });
    int units = 0;
    int closes = 0;
    link.setHandlers([&](std::vector<MsnUnit> got) { units += static_cast<int>(got.size()); }, [&] { ++closes; });
    ASSERT_TRUE(link.open({ "127.0.0.1", peer.port(), true, true }));
    ASSERT_TRUE(link.send("VER 0 MSNP5 MSNP4 CVRO\r\n"));
    ASSERT_TRUE(m_loop.runUntil([&] { return units == 1; }, 5s));
    link.close();
    // A readiness report that was on its way when the link closed, and the
    // end the reader then posts.
    EXPECT_EQ(link.onMessage(link::kMsgMsnBlockQueued, 0, 0), -1);
    link.onMessage(link::kMsgMsnClosed, 0, 0);
    EXPECT_EQ(closes, 0);
}

TEST_F(SocketMsnLinkTest, RefusedServerIsNamedWithItsCause)
{
    // The session tells the user, with the address it tried and the cause.
    MsnSession session { m_loop, m_ui, m_links, MsnConfig { "127.0.0.1", link::testing::closedLoopbackPort() } };
    session.setAccount({ "kim@example.com", "pw" });
    EXPECT_FALSE(session.connect());
    EXPECT_EQ(m_ui.calls().back().title, "MSN");
    EXPECT_EQ(m_ui.lastText(), "서버에 접속할 수 없습니다.\n127.0.0.1:"
            + std::to_string(link::testing::closedLoopbackPort()) + " — 연결이 거부되었습니다");
}

} // namespace
} // namespace pocket::msn
