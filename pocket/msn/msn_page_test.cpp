#include "pocket/msn/msn_page.h"

#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/ink/testing/temp_folder.h"
#include "pocket/msn/testing/fake_msn_link.h"
#include "pocket/msn/testing/fake_page_view.h"

#include <gtest/gtest.h>

namespace pocket::msn {
namespace {

    using testing::FakePageView;

    class FakeChats final : public ChatStarter {
    public:
        void openChatWith(int i) override { chats.push_back(i); }
        void sendPenMessageTo(int i) override { pens.push_back(i); }
        std::vector<int> chats, pens;
    };

    class FakeMail final : public MailLauncher {
    public:
        void composeTo(std::string_view e) override { mails.emplace_back(e); }
        std::vector<std::string> mails;
    };

    class MsnPageTest : public ::testing::Test {
    protected:
        MsnPageTest()
        {
            m_session.setAccount({ "me@example.com", "pw" });
            m_session.setPage(&m_page, &m_view);
            m_page.setChatStarter(&m_chats);
            m_page.initialise();
        }
        testing::FakeMsnLink& link() { return *m_links.links.at(0); }
        void logIn()
        {
            m_page.onCommand(command::kLogin);
            link().deliver("USR 1 OK me@example.com Me\r\nCHG 2 NLN\r\n");
        }
        TreeItem itemOf(int index) { return m_session.contacts().at(index).item; }

        platform::testing::ManualClock m_clock;
        platform::PollEventLoop m_loop { m_clock };
        platform::testing::FakeUi m_ui;
        testing::FakeMsnLinkFactory m_links;
        MsnSession m_session { m_loop, m_ui, m_links };
        FakePageView m_view;
        pocket::ink::testing::TempFolder m_root;
        device::ContactStore m_store { m_root.path(), m_ui };
        FakeMail m_mail;
        FakeChats m_chats;
        MsnPage m_page { m_session, m_view, m_ui, m_loop, m_store, m_mail };
    };

    TEST_F(MsnPageTest, StatusLineBeforeLogInAndAfterIt)
    {
        EXPECT_EQ(initialStatusLine(""), "사용자 정보를 등록해주세요.");
        EXPECT_EQ(m_view.statusLine, "me@example.com (오프라인)");
        EXPECT_EQ(m_view.bitmap, 153);
        logIn();
        EXPECT_FALSE(m_view.placeholders);
        EXPECT_EQ(m_view.statusLine, "Me (온라인)");
        EXPECT_EQ(m_view.bitmap, 150);
    }

    TEST_F(MsnPageTest, ContactsMoveBetweenRootsWithTheirTexts)
    {
        logIn();
        link().deliver("ADD 3 FL 5 new@example.com new@example.com\r\n");
        // A new contact from ADD has status -4: offline root, unknown image.
        auto* added = m_view.itemWithText("new@example.com");
        ASSERT_TRUE(added);
        EXPECT_EQ(added->root, TreeRoot::Offline);
        EXPECT_EQ(added->image, 4);
        EXPECT_EQ(treeStatusText(status::kUnknown), "알수없음");

        link().deliver("ILN 4 BSY a@example.com Alice\r\n");
        auto* alice = m_view.itemWithText("Alice (다른 용무중)");
        ASSERT_TRUE(alice);
        EXPECT_EQ(alice->root, TreeRoot::Online);
        EXPECT_EQ(alice->image, 2);

        // Same group: updated in place, without the space.
        link().deliver("NLN AWY a@example.com Alice\r\n");
        EXPECT_TRUE(m_view.itemWithText("Alice(자리비움)"));
        // Other group: deleted and inserted again.
        TreeItem before = itemOf(1);
        link().deliver("FLN a@example.com\r\n");
        EXPECT_NE(itemOf(1), before);
        EXPECT_EQ(m_view.items.at(itemOf(1)).root, TreeRoot::Offline);
        EXPECT_EQ(m_view.items.at(itemOf(1)).text, "Alice");
        EXPECT_EQ(m_view.items.size(), 2u);

        link().deliver("REM 5 FL 6 a@example.com\r\n");
        EXPECT_EQ(m_view.items.size(), 1u);
        EXPECT_EQ(m_session.contacts().findByEmail("a@example.com"), -1);

        m_page.onCommand(command::kLogout);
        EXPECT_TRUE(m_view.items.empty());
        EXPECT_TRUE(m_view.placeholders);
        EXPECT_EQ(m_view.statusLine, "me@example.com (오프라인)");
    }

    TEST_F(MsnPageTest, MenuStatesFollowTheOwnStatus)
    {
        EXPECT_TRUE(pageMenuState(-1).loginEnabled);
        EXPECT_FALSE(pageMenuState(-1).statusMenuEnabled);
        const std::pair<MsnStatusCode, int> checks[] = { { 0, 40012 }, { 1, 40006 }, { 2, 40008 },
            { 4, 40007 }, { 8, 40009 }, { 16, 40009 }, { 32, 40010 }, { 64, 40011 } };
        for (auto [code, item] : checks) {
            SCOPED_TRACE(code);
            EXPECT_FALSE(pageMenuState(code).loginEnabled);
            EXPECT_EQ(pageMenuState(code).checkedStatusCommand, item);
        }
        for (MsnStatusCode code : { 0, -1, -2, -4 })
            EXPECT_FALSE(canChatWith(code));
        EXPECT_TRUE(canChatWith(status::kBusy));
    }

    TEST_F(MsnPageTest, EveryStatusCommandSendsItsWord)
    {
        logIn();
        const std::pair<int, std::string> commands[] = { { command::kOnline, "NLN" }, { command::kBusy, "BSY" },
            { command::kBeRightBack, "BRB" }, { command::kAway, "AWY" }, { command::kOnPhone, "PHN" },
            { command::kAtLunch, "LUN" }, { command::kAppearOffline, "HDN" } };
        for (const auto& [id, word] : commands) {
            SCOPED_TRACE(word);
            m_page.onCommand(id);
            const std::string& sent = link().sent.back();
            EXPECT_EQ(sent.substr(0, 4), "CHG ");
            EXPECT_EQ(sent.substr(sent.size() - word.size() - 2), word + "\r\n");
        }
    }

    TEST_F(MsnPageTest, UserCommandsSendTheirCommands)
    {
        logIn();
        link().deliver("ILN 4 NLN a@example.com Alice\r\n");
        m_page.onCommand(command::kBusy);
        EXPECT_EQ(link().sent.back(), "CHG 2 BSY\r\n");

        m_view.answers = { std::string(""), std::string("b@example.com\r\nOUT") };
        m_page.onCommand(command::kAddContact);
        EXPECT_EQ(m_ui.lastText(), "추가할 아이디를 입력해 주세요.");
        m_page.onCommand(command::kAddContact);
        m_loop.processPending();
        EXPECT_EQ(link().sent.back(), "ADD 3 FL b@example.comOUT b@example.comOUT\r\n");

        m_view.answers = { std::string("새 이름 1") };
        m_page.onCommand(command::kRename);
        EXPECT_EQ(m_view.requests.back().prefill, "Me");
        m_loop.processPending();
        EXPECT_EQ(link().sent.back(), "REA 4 me@example.com 새%20이름%201\r\n");

        m_view.selected = itemOf(0);
        m_ui.pushAnswer(platform::Answer::Ok);
        m_page.onCommand(command::kDelete);
        EXPECT_EQ(m_ui.calls().back().text, "\"Alice\"\n님을 삭제하시겠습니까?");
        EXPECT_EQ(link().sent.back(), "REM 5 FL a@example.com\r\n");

        m_page.onCommand(command::kChat);
        m_page.onCommand(command::kPenMessage);
        m_page.onCommand(command::kMail);
        m_page.onCommand(command::kInfo);
        EXPECT_EQ(m_chats.chats, std::vector<int> { 0 });
        EXPECT_EQ(m_chats.pens, std::vector<int> { 0 });
        EXPECT_EQ(m_mail.mails, std::vector<std::string> { "a@example.com" });
        ASSERT_TRUE(m_view.info);
        EXPECT_EQ(m_view.info->state, "온라인");

        m_view.selected = 0;
        m_page.onCommand(command::kChat);
        EXPECT_EQ(m_ui.lastText(), "Can`t find the tree Item handle");
    }

    TEST_F(MsnPageTest, FriendsAreCopiedToTheDeviceContactsOnce)
    {
        logIn();
        link().deliver("ILN 4 NLN a@example.com Alice\r\nLST 5 FL 1 2 2 b@example.com Bob\r\n");
        m_page.onCommand(command::kCopyAll);
        EXPECT_EQ(m_ui.lastText(), "My Contact에 추가하였습니다.");
        EXPECT_EQ(m_ui.calls().back().icon, platform::Icon::Information);
        m_view.selected = itemOf(1);
        m_page.onCommand(command::kCopyOne);
        m_loop.processPending();
        auto rows = m_store.listContacts();
        ASSERT_TRUE(rows);
        EXPECT_EQ(*rows,
            (std::vector<device::AddressRow> { { "Alice", "a@example.com" }, { "Bob", "b@example.com" } }));
    }

} // namespace
} // namespace pocket::msn
