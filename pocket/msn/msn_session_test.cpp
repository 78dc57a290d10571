#include "pocket/msn/msn_session.h"

#include "platform/codec/md5.h"
#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/msn/testing/fake_msn_link.h"

#include <gtest/gtest.h>

namespace pocket::msn {
namespace {

    using testing::FakeMsnLink;

    // Records what the session tells the page.
    class RecordingPage final : public platform::MessageTarget, public StatusLine {
    public:
        platform::LResult onMessage(int m, platform::WParam w, platform::LParam l) override
        {
            messages.push_back({ m, static_cast<long long>(w), static_cast<long long>(l) });
            return 0;
        }
        void setStatusLine(std::string_view text) override { lines.emplace_back(text); }
        struct Message {
            int msg;
            long long w, l;
            bool operator==(const Message&) const = default;
        };
        std::vector<Message> messages;
        std::vector<std::string> lines;
    };

    class FakeSwitchboards final : public SwitchboardHandler {
    public:
        void onSwitchboardGranted(std::string_view a, std::string_view c) override
        {
            grants.push_back({ std::string(a), std::string(c) });
        }
        void onInvitation(const std::vector<std::string>& f) override { invitations.push_back(f); }
        void closeAll() override { ++closeAlls; }
        std::vector<std::pair<std::string, std::string>> grants;
        std::vector<std::vector<std::string>> invitations;
        int closeAlls = 0;
    };

    class MsnSessionTest : public ::testing::Test {
    protected:
        MsnSessionTest()
        {
            m_session.setAccount({ "me@example.com", "secret" });
            m_session.setPage(&m_page, &m_page);
            m_session.setSwitchboardHandler(&m_switchboards);
        }
        FakeMsnLink& link() { return *m_links.links.at(0); }

        // Runs the whole log-in up to the contact list request.
        void logIn()
        {
            ASSERT_TRUE(m_session.connect());
            link().deliver("VER 0 MSNP5\r\n");
            link().deliver("INF 1 MD5\r\n");
            link().deliver("XFR 2 NS 127.0.0.2:1864 0 127.0.0.1:1863\r\n");
            link().deliver("VER 3 MSNP5\r\nINF 4 MD5\r\n");
            link().deliver("USR 5 MD5 S 1013928519.693957190\r\n");
            link().deliver("USR 6 OK me@example.com My%20Name\r\n");
            link().deliver("CHG 7 NLN\r\nMSG Hotmail Hotmail 12\r\nProfile: x\r\n");
            m_page.messages.clear();
            m_page.lines.clear();
        }

        platform::testing::ManualClock m_clock;
        platform::PollEventLoop m_loop { m_clock };
        platform::testing::FakeUi m_ui;
        testing::FakeMsnLinkFactory m_links;
        MsnSession m_session { m_loop, m_ui, m_links, MsnConfig { "dispatch.example", 1863 } };
        RecordingPage m_page;
        FakeSwitchboards m_switchboards;
    };

    TEST_F(MsnSessionTest, LogInSendsTheCommandsInOrderWithRisingTransactionIds)
    {
        logIn();
        const std::string digest = platform::codec::md5Hex("1013928519.693957190secret");
        EXPECT_EQ(link().sent,
            (std::vector<std::string> {
                "VER 0 MSNP5 MSNP4 CVRO\r\n",
                "INF 1\r\n",
                "USR 2  MD5  I  me@example.com\r\n",
                "VER 3 MSNP5 MSNP4 CVRO\r\n",
                "INF 4\r\n",
                "USR 5  MD5  I  me@example.com\r\n",
                "USR 6 MD5 S " + digest + "\r\n",
                "CHG 7 NLN\r\n",
                "LST 8 FL\r\n",
            }));
        ASSERT_EQ(link().opened.size(), 2u);
        EXPECT_EQ(link().opened[0].host, "dispatch.example");
        EXPECT_FALSE(link().opened[0].hostIsAddress);
        // The redirect's own port (1864) is not used.
        EXPECT_EQ(link().opened[1].host, "127.0.0.2");
        EXPECT_EQ(link().opened[1].port, 1863);
        EXPECT_TRUE(link().opened[1].hostIsAddress);
        EXPECT_TRUE(link().opened[1].notifyOnClose);
        EXPECT_TRUE(m_session.isOnline());
        EXPECT_EQ(m_session.ownStatus(), status::kOnline);
        EXPECT_EQ(m_session.ownName(), "My Name");
    }

    TEST_F(MsnSessionTest, MissingAccountOrRunningSessionDoesNotConnect)
    {
        m_session.setAccount({ "me@example.com", "" });
        EXPECT_FALSE(m_session.connect());
        EXPECT_EQ(m_ui.lastText(), "환경설정의 Accounts탭에 MSN정보를 입력해주십시오.");
        EXPECT_TRUE(link().opened.empty());
        m_session.setAccount({ "me@example.com", "pw" });
        logIn();
        EXPECT_FALSE(m_session.connect());
        EXPECT_EQ(link().opened.size(), 2u);
    }

    TEST_F(MsnSessionTest, UnreachableServerSaysSoAndLogsOut)
    {
        link().failOpens = { true };
        EXPECT_FALSE(m_session.connect());
        EXPECT_EQ(m_page.lines,
            (std::vector<std::string> { "Connecting MSN login svr..", "서버에 접속할 수 없습니다." }));
        EXPECT_EQ(m_page.messages.back(), (RecordingPage::Message { msg::kRedraw, -3, -3 }));
        EXPECT_EQ(m_session.ownStatus(), status::kOffline);
        // Said in a message box too: the page's reset redraws its status line.
        EXPECT_EQ(m_ui.lastText(), "서버에 접속할 수 없습니다.");

        // With the cause beside the text when the link knows it.
        link().failOpens = { true };
        link().failure = "dispatch.example:1863 — 서버 이름을 찾을 수 없습니다 (DNS)";
        EXPECT_FALSE(m_session.connect());
        EXPECT_EQ(m_ui.lastText(), "서버에 접속할 수 없습니다.\ndispatch.example:1863 — 서버 이름을 찾을 수 없습니다 (DNS)");
    }

    TEST_F(MsnSessionTest, SilentServerEndsTheSignOnWhenItsTimeRunsOut)
    {
        link().peer = "127.0.0.2:1863";
        ASSERT_TRUE(m_session.connect());
        link().deliver("VER 0 MSNP5\r\n");
        EXPECT_TRUE(m_session.isSigningOn());
        const auto boxes = m_ui.calls().size();
        m_clock.advance(std::chrono::milliseconds(link::kSignOnTimeoutMs - 1));
        m_loop.processPending();
        EXPECT_TRUE(m_session.isSigningOn());
        EXPECT_EQ(m_ui.calls().size(), boxes);

        m_clock.advance(std::chrono::milliseconds(1));
        m_loop.processPending();
        EXPECT_FALSE(m_session.isSigningOn());
        EXPECT_FALSE(link().isOpen());
        EXPECT_EQ(m_page.lines.back(), "서버에 접속할 수 없습니다.");
        EXPECT_EQ(m_ui.calls().back().title, "MSN");
        EXPECT_EQ(m_ui.lastText(), "서버에 접속할 수 없습니다.\n127.0.0.2:1863 — 응답이 없습니다 (시간 초과)");
    }

    TEST_F(MsnSessionTest, SignOnDeadlineEndsWithTheSignOnOrTheLogout)
    {
        logIn();
        const auto boxes = m_ui.calls().size();
        m_clock.advance(std::chrono::milliseconds(2 * link::kSignOnTimeoutMs));
        m_loop.processPending();
        EXPECT_TRUE(m_session.isOnline());
        EXPECT_EQ(m_ui.calls().size(), boxes);

        // A log-out while signing on stops it too; a new sign-on has its own.
        m_session.logout();
        ASSERT_TRUE(m_session.connect());
        m_session.logout();
        m_clock.advance(std::chrono::milliseconds(2 * link::kSignOnTimeoutMs));
        m_loop.processPending();
        EXPECT_EQ(m_ui.calls().size(), boxes);
    }

    TEST_F(MsnSessionTest, ContactListPresenceAndDuplicates)
    {
        logIn();
        link().deliver("ILN 10 BSY a@example.com Alice%20K\r\n"
                       "LST 11 FL 1 1 2 a@example.com Alice\r\n"
                       "LST 11 FL 1 2 2 b@example.com Bob\r\n"
                       "LST 11 AL 1 1 1 c@example.com Carol\r\n");
        ASSERT_EQ(m_session.contacts().size(), 2);
        EXPECT_EQ(m_session.contacts().at(0).status, status::kBusy);
        EXPECT_EQ(m_session.contacts().at(0).name, "Alice K");
        EXPECT_EQ(m_session.contacts().at(1).status, status::kOffline);

        link().deliver("NLN AWY zed@example.com Zed\r\nNLN NLN b@example.com Bobby\r\nNLN XYZ a@example.com "
                       "A\r\nFLN a@example.com\r\nNLN NLN ME@example.com Me\r\nFLN fay@example.com\r\n");
        // Presence of an unknown address lists it (servers that send no list
        // name contacts this way), and the lines after it still count; the
        // user's own address and an unknown contact going offline list nobody.
        ASSERT_EQ(m_session.contacts().size(), 3);
        EXPECT_EQ(m_session.contacts().at(2).email, "zed@example.com");
        EXPECT_EQ(m_session.contacts().at(2).status, status::kAway);
        EXPECT_EQ(m_session.contacts().at(1).status, status::kOnline);
        EXPECT_EQ(m_session.contacts().at(1).name, "Bobby");
        EXPECT_EQ(m_session.contacts().at(0).status, status::kOffline);
        EXPECT_EQ(m_session.contacts().at(0).name, "A");

        link().deliver("ADD 12 FL 5 new@example.com new@example.com\r\n");
        EXPECT_EQ(m_session.contacts().at(3).status, status::kUnknown);
    }

    TEST_F(MsnSessionTest, OnlyForwardListAdditionsAreContactsAndTheSerialMayBeMissing)
    {
        logIn();
        link().deliver("LST 8 FL 1 0 0\r\n" // An empty list names nobody.
                       "ADD 0 RL 7 a@example.com Ann%20Lee\r\n"
                       "ADD 0 RL b@example.com Ben\r\n"
                       "ADD 0 AL 8 c@example.com Cy\r\n"
                       "ADD 9 FL d@example.com d@example.com\r\n"
                       "ADD 10 FL 9 e@example.com e@example.com\r\n");
        ASSERT_EQ(m_session.contacts().size(), 2);
        EXPECT_EQ(m_session.contacts().at(0).email, "d@example.com");
        EXPECT_EQ(m_session.contacts().at(1).email, "e@example.com");
        ASSERT_EQ(m_ui.callCount(), 2u);
        EXPECT_EQ(m_ui.calls()[0].text, "Ann Lee (a@example.com) 님이 회원님을 대화 상대로 추가하였습니다.");
        EXPECT_EQ(m_ui.calls()[0].icon, platform::Icon::Information);
        EXPECT_EQ(m_ui.calls()[1].text, "Ben (b@example.com) 님이 회원님을 대화 상대로 추가하였습니다.");
    }

    TEST_F(MsnSessionTest, TheHundredFiftySecondContactIsRefused)
    {
        logIn();
        std::string lines;
        for (int i = 0; i < 153; ++i)
            lines += "LST 9 FL 1 " + std::to_string(i) + " 153 c" + std::to_string(i) + "@example.com C\r\n";
        link().deliver(lines);
        EXPECT_EQ(m_session.contacts().size(), 151);
        // The rest of the read is dropped: one message, not two.
        EXPECT_EQ(m_ui.callCount(), 1u);
        EXPECT_EQ(m_ui.lastText(), "리스트 제한 초과!");
    }

    TEST_F(MsnSessionTest, OwnStatusChangesAndRename)
    {
        logIn();
        struct Case {
            std::string_view word;
            MsnStatusCode code;
            std::string_view line;
        };
        const Case cases[] = {
            { "BSY", 4, "me@example.com (다른 용무 중)" },
            { "HDN", 0, "me@example.com (오프라인으로 표시)" },
            { "LUN", 64, "me@example.com (식사중)" },
            { "BLK", -4, "me@example.com (알 수 없음)" },
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.word);
            link().deliver("CHG 9 " + std::string(c.word) + "\r\n");
            EXPECT_EQ(m_session.ownStatus(), c.code);
            EXPECT_EQ(m_page.lines.back(), c.line);
        }
        link().deliver("REA 10 5 me@example.com New%20Name\r\n");
        EXPECT_EQ(m_session.ownName(), "New Name");
        m_session.postCommand(msg::kRenameCommand, "REA 9 me@example.com x\r\n");
        m_loop.processPending();
        EXPECT_EQ(link().sent.back(), "REA 9 me@example.com x\r\n");
    }

    TEST_F(MsnSessionTest, ProfileMessageBodyIsNotReadAsLines)
    {
        ASSERT_TRUE(m_session.connect());
        const std::string body = "MIME-Version: 1.0\r\nILN 3 NLN x@example.com X\r\nOUT\r\n\r\n";
        link().deliver(
            "MSG Hotmail Hotmail " + std::to_string(body.size()) + "\r\n" + body + "FLN y@example.com\r\n");
        EXPECT_EQ(link().sent.back(), "LST 1 FL\r\n");
        EXPECT_EQ(m_session.contacts().size(), 0);
        EXPECT_EQ(m_ui.callCount(), 0u);
    }

    TEST_F(MsnSessionTest, SwitchboardWorkGoesToTheChats)
    {
        logIn();
        link().deliver("XFR 10 SB 10.0.0.9:1863 CKI 17262740.1050826919.32308\r\n"
                       "RNG 11752013 10.0.0.8:1863 CKI 849102291.520491113 a@example.com Alice%20K\r\n");
        ASSERT_EQ(m_switchboards.grants.size(), 1u);
        EXPECT_EQ(m_switchboards.grants[0].first, "10.0.0.9:1863");
        EXPECT_EQ(m_switchboards.grants[0].second, "17262740.1050826919.32308");
        ASSERT_EQ(m_switchboards.invitations.size(), 1u);
        EXPECT_EQ(m_switchboards.invitations[0].at(5), "a@example.com");
    }

    TEST_F(MsnSessionTest, ServerLogoutClearsEverythingAndTellsTheUser)
    {
        logIn();
        link().deliver("ILN 10 NLN a@example.com A\r\nOUT OTH\r\nILN 10 NLN b@example.com B\r\n");
        EXPECT_EQ(m_session.contacts().size(), 0);
        EXPECT_EQ(m_session.ownStatus(), status::kOffline);
        EXPECT_FALSE(m_session.isOnline());
        EXPECT_EQ(m_ui.lastText(), "다른 컴퓨터에서 접속하여 로그아웃되었습니다.");
        EXPECT_FALSE(link().isOpen());
        EXPECT_GE(m_switchboards.closeAlls, 1);
    }

    TEST_F(MsnSessionTest, LogoutSaysOutAndTheClosedConnectionLogsOut)
    {
        logIn();
        m_session.logout();
        EXPECT_EQ(link().sent.back(), "OUT\r\n");
        EXPECT_EQ(m_session.transactionId(), 0);
        EXPECT_EQ(m_page.messages.back(), (RecordingPage::Message { msg::kRedraw, -3, -3 }));

        // 911 ends the session at once, whether or not the server then
        // closes; the close is no news.
        ASSERT_TRUE(m_session.connect());
        link().deliver("VER 0 MSNP5\r\nINF 1 MD5\r\n911 2\r\nINF 3 MD5\r\n");
        EXPECT_EQ(m_ui.lastText(), "아이디와 패스워드가 일치하지 않습니다.");
        EXPECT_EQ(link().sent.back(), "OUT\r\n");
        EXPECT_FALSE(link().isOpen());
        EXPECT_EQ(m_session.transactionId(), 0);
        EXPECT_EQ(m_page.messages.back(), (RecordingPage::Message { msg::kRedraw, -3, -3 }));
        link().peerCloses();
        m_loop.processPending();
        EXPECT_EQ(m_ui.callCount(), 1u);
        EXPECT_EQ(m_session.ownStatus(), status::kOffline);
    }

    TEST_F(MsnSessionTest, TheServerEndingTheConnectionIsToldOnce)
    {
        // On the dispatch connection as on the notification connection.
        ASSERT_TRUE(m_session.connect());
        EXPECT_TRUE(link().opened.at(0).notifyOnClose);
        link().peerCloses();
        m_loop.processPending();
        EXPECT_EQ(m_ui.lastText(), "메신저 서버와 연결이 종료되었습니다. 다시 접속해주세요.");
        EXPECT_EQ(m_page.messages.back(), (RecordingPage::Message { msg::kRedraw, -3, -3 }));
        EXPECT_EQ(m_session.transactionId(), 0);

        logIn();
        m_ui.clear();
        link().peerCloses();
        m_loop.processPending();
        EXPECT_EQ(m_ui.callCount(), 1u);
        EXPECT_EQ(m_session.ownStatus(), status::kOffline);
        EXPECT_FALSE(m_session.isOnline());
        EXPECT_GE(m_switchboards.closeAlls, 1);
    }

    TEST_F(MsnSessionTest, FailedSendTellsTheUserAndLogsOut)
    {
        logIn();
        link().failSends = true;
        EXPECT_FALSE(m_session.sendCommand("CHG 9 BSY\r\n"));
        EXPECT_EQ(m_ui.lastText(), "네트웍 문제나 MSN 서버와 연결이 종료되어 메세지를 보낼 수 없습니다.");
        m_loop.processPending();
        EXPECT_EQ(m_session.ownStatus(), status::kOffline);
        // The connection's end, reported after the failure, adds nothing.
        link().peerCloses();
        m_loop.processPending();
        EXPECT_EQ(m_ui.callCount(), 1u);
        EXPECT_FALSE(m_session.sendCommand("CHG 0 NLN\r\n"));
        EXPECT_EQ(m_ui.lastText(), "메신저 서버와 연결이 종료되었습니다. 다시 접속해주세요.");
    }

} // namespace
} // namespace pocket::msn
