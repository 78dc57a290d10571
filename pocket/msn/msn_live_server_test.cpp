// Two handhelds against the scripted MSN server on loopback: sign-on, chats
// both ways, pen messages, and what servers in the wild do (ServerHabits),
// seen from the user's side: the page, the chat windows, the message boxes.

#include "platform/files.h"
#include "platform/poll_event_loop.h"
#include "platform/testing/manual_clock.h"
#include "pocket/ink/ink_paths.h"
#include "pocket/msn/testing/live_handheld.h"
#include "pocket/msn/testing/scripted_msn_server.h"
#include "pocket/msn/testing/scripted_peer.h"

#include <gtest/gtest.h>

namespace pocket::msn {
namespace {

    using namespace std::chrono_literals;
    using testing::LiveHandheld;
    using testing::ScriptedMsnServer;
    using testing::ServerHabits;

    const std::string kAlice = "alice@example.com";
    const std::string kBob = "bob@example.com";
    const std::string kCarol = "carol@example.com";

    std::vector<testing::MsnUser> users()
    {
        return { { kAlice, "apple", "Alice Kim", { kBob } }, { kBob, "banana", "Bob", { kAlice } },
            { kCarol, "cherry", "Carol", {} } };
    }

    bool contains(std::string_view text, std::string_view part)
    {
        return text.find(part) != std::string_view::npos;
    }

    class MsnLiveServerTest : public ::testing::Test {
    protected:
        explicit MsnLiveServerTest(ServerHabits habits = {})
            : server(users(), habits)
        {
        }

        bool waitFor(const std::function<bool()>& done) { return loop.runUntil(done, 10s); }

        // Signs on and waits until the server has answered the list request
        // (or, without a list, until the presence has arrived).
        void signOn(LiveHandheld& side, int contacts)
        {
            side.page.onCommand(command::kLogin);
            ASSERT_TRUE(waitFor([&] {
                return side.session.isOnline() && side.session.contacts().size() == contacts;
            })) << side.id
                << " has " << side.session.contacts().size() << " contacts";
        }

        // Alice opens a chat with Bob from her contact list; Bob answers.
        void openChat()
        {
            alice.pageView.selected = alice.session.contacts().at(alice.contactIndex(kBob)).item;
            alice.page.onCommand(command::kChat);
            ASSERT_TRUE(waitFor([&] {
                return alice.chats.chat(0).participantCount() == 2 && bob.chats.chat(0).isInUse()
                    && !bob.chats.chat(0).participant(0).email.empty();
            }));
        }

        void say(LiveHandheld& side, const std::string& text)
        {
            side.windows.windows.at(0)->input = text;
            side.chats.chat(0).onSend();
        }

        platform::testing::ManualClock clock;
        platform::PollEventLoop loop { clock };
        ScriptedMsnServer server;
        LiveHandheld alice { loop, server.port(), kAlice, "apple" };
        LiveHandheld bob { loop, server.port(), kBob, "banana" };
    };

    TEST_F(MsnLiveServerTest, TwoHandheldsChatBothWaysInKorean)
    {
        signOn(alice, 1);
        signOn(bob, 1);
        ASSERT_TRUE(waitFor(
            [&] { return alice.itemOf(kBob) == "Bob (온라인)" || alice.itemOf(kBob) == "Bob(온라인)"; }));
        EXPECT_EQ(alice.pageView.statusLine, "Alice Kim (온라인)");
        openChat();

        say(alice, "안녕하세요, 밥!");
        ASSERT_TRUE(waitFor([&] { return contains(bob.windows.windows.at(0)->log, "안녕하세요, 밥!"); }));
        EXPECT_EQ(bob.windows.windows.at(0)->log, "\r\nAlice Kim님의 말:\r\n안녕하세요, 밥!");
        EXPECT_TRUE(bob.windows.windows.at(0)->shown);

        say(bob, "반가워요 앨리스 😀");
        ASSERT_TRUE(waitFor([&] { return contains(alice.windows.windows.at(0)->log, "Bob님의 말:"); }));
        EXPECT_TRUE(contains(alice.windows.windows.at(0)->log, "\r\nBob님의 말:\r\n반가워요 앨리스 😀"));
        EXPECT_EQ(alice.ui.callCount(), 0u);
        EXPECT_EQ(bob.ui.callCount(), 0u);
    }

    // A switchboard that announces the answering side to itself (IRO and JOI
    // naming the own address, in upper case): the chat stays one-to-one, so
    // the answering side can send a pen message, and leaving is one-to-one.
    class SelfAnnouncingServerTest : public MsnLiveServerTest {
    protected:
        SelfAnnouncingServerTest()
            : MsnLiveServerTest(ServerHabits { .announceAnswererToItself = true })
        {
        }
    };

    TEST_F(SelfAnnouncingServerTest, PenMessageFromTheAnsweringSide)
    {
        signOn(alice, 1);
        signOn(bob, 1);
        openChat();
        auto& chat = bob.chats.chat(0);
        // Alice's message reaches Bob after everything his switchboard said before.
        say(alice, "펜으로 그려 줄래?");
        ASSERT_TRUE(waitFor([&] { return contains(bob.windows.windows.at(0)->log, "펜으로 그려 줄래?"); }));
        EXPECT_EQ(chat.participantCount(), 2);
        EXPECT_TRUE(chat.isOneToOne());
        EXPECT_EQ(bob.windows.windows.at(0)->participants, (std::vector<std::string> { kBob, kAlice }));
        EXPECT_FALSE(contains(bob.windows.windows.at(0)->log, "입장"));

        chat.onPen();
        EXPECT_EQ(bob.ui.callCount(), 0u) << bob.ui.lastText();
        ASSERT_EQ(bob.editors.composers.size(), 1u);
        ASSERT_TRUE(waitFor([&] { return bob.editors.latestView()->sendEnabled; }));
        EXPECT_EQ(bob.editors.latestView()->statuses.back(), "펜 메세지를 작성해 주세요.");
        EXPECT_TRUE(contains(alice.windows.windows.at(0)->log, "\r\nBob님이 펜 메세지를 작성 중 입니다."));

        auto& composer = *bob.editors.latest();
        for (int s = 0; s < 60; ++s) {
            composer.onPen({ ink::PenAction::Down, 10 + s, 30 });
            composer.onPen({ ink::PenAction::Move, 60 + s, 90 + s });
            composer.onPen({ ink::PenAction::Up, 70, 120 });
        }
        composer.onSend(ink::LocalTime { 2026, 5, 6, 7, 8, 9 });
        ASSERT_TRUE(composer.storedInk());
        const std::string sent = platform::readWholeFile(composer.storedInk()->hostPath).valueOr("");
        ASSERT_GT(sent.size(), 390u);
        ASSERT_TRUE(waitFor([&] { return alice.viewerHost.windows.size() == 1; }));
        EXPECT_EQ(alice.viewerHost.windows.begin()->second->title, "From : MSN - " + kBob);
        EXPECT_TRUE(bob.editors.latestView()->closed);
        auto index
            = platform::readWholeFile(ink::hostPath(alice.root.path(), ink::indexPath(ink::Network::Msn)));
        ASSERT_TRUE(index);
        auto received
            = platform::readWholeFile(ink::hostPath(alice.root.path(), index->substr(0, index->find('\n'))));
        ASSERT_TRUE(received);
        EXPECT_EQ(received->substr(0, sent.size()), sent);

        // Alice leaves: for Bob a one-to-one chat ends.
        alice.chats.chat(0).onCloseWindow();
        ASSERT_TRUE(waitFor([&] { return !chat.isInUse(); }));
        EXPECT_TRUE(contains(
            bob.windows.windows.at(0)->log, "** Alice Kim 님의 퇴장으로 1:1 채팅이 종료되었습니다. **"));
        EXPECT_EQ(alice.ui.callCount(), 0u);
        EXPECT_EQ(bob.ui.callCount(), 0u);
    }

    // "ADD ... RL" tells the user that somebody added them; it is no contact
    // of theirs. Some servers send ADD without its serial.
    class AddNoticeTest : public MsnLiveServerTest, public ::testing::WithParamInterface<bool> {
    protected:
        AddNoticeTest()
            : MsnLiveServerTest(ServerHabits { .addWithoutSerial = GetParam() })
        {
        }
    };

    TEST_P(AddNoticeTest, SomebodyAddingTheUserIsANoticeAndNoContact)
    {
        LiveHandheld carol { loop, server.port(), kCarol, "cherry" };
        signOn(alice, 1);
        signOn(carol, 0);
        alice.pageView.answers.push_back(kCarol);
        alice.page.onCommand(command::kAddContact);
        ASSERT_TRUE(
            waitFor([&] { return alice.itemOf(kCarol) == "Carol (온라인)" && carol.ui.callCount() > 0; }));
        EXPECT_EQ(alice.session.contacts().size(), 2);

        EXPECT_EQ(
            carol.ui.lastText(), "Alice Kim (alice@example.com) 님이 회원님을 대화 상대로 추가하였습니다.");
        EXPECT_EQ(carol.ui.calls().back().title, "MSN");
        EXPECT_EQ(carol.ui.callCount(), 1u);
        EXPECT_EQ(carol.session.contacts().size(), 0);
        EXPECT_TRUE(carol.pageView.items.empty());
    }

    INSTANTIATE_TEST_SUITE_P(WithAndWithoutSerial, AddNoticeTest, ::testing::Bool());

    // The server goes away in the middle of a session: each handheld says so
    // once, is offline and may log in again; what the chats showed stays.
    TEST_F(MsnLiveServerTest, ServerShutDownMidSessionSaysSoOnceAndGoesOffline)
    {
        signOn(alice, 1);
        signOn(bob, 1);
        openChat();
        say(alice, "곧 서버가 꺼집니다");
        ASSERT_TRUE(waitFor([&] { return contains(bob.windows.windows.at(0)->log, "곧 서버가 꺼집니다"); }));

        server.shutDown();
        ASSERT_TRUE(waitFor([&] { return alice.session.ownStatus() < 0 && bob.session.ownStatus() < 0; }));
        loop.runUntil([] { return false; }, 100ms);
        for (LiveHandheld* side : { &alice, &bob }) {
            SCOPED_TRACE(side->id);
            ASSERT_EQ(side->ui.callCount(), 1u);
            EXPECT_EQ(side->ui.lastText(), "메신저 서버와 연결이 종료되었습니다. 다시 접속해주세요.");
            EXPECT_EQ(side->pageView.statusLine, side->id + " (오프라인)");
            EXPECT_TRUE(side->loginEnabled());
            EXPECT_TRUE(side->pageView.items.empty());
            EXPECT_TRUE(contains(side->windows.windows.at(0)->log, "곧 서버가 꺼집니다"));
            EXPECT_FALSE(side->windows.windows.at(0)->destroyed);
        }
    }

    // The dispatch server closing before its redirect is no different.
    TEST(MsnDispatchServer, ClosingBeforeTheRedirectSaysSoAndGoesOffline)
    {
        platform::testing::ManualClock clock;
        platform::PollEventLoop loop { clock };
        testing::ScriptedConnection dispatch { { { "VER 0 MSNP5 MSNP4 CVRO\r\n", "VER 0 MSNP5\r\n" } } };
        testing::ScriptedPeer peer({ dispatch });
        LiveHandheld alice { loop, peer.port(), kAlice, "apple" };
        alice.page.onCommand(command::kLogin);
        ASSERT_TRUE(loop.runUntil([&] { return alice.ui.callCount() > 0; }, 10s));
        EXPECT_EQ(alice.ui.lastText(), "메신저 서버와 연결이 종료되었습니다. 다시 접속해주세요.");
        EXPECT_EQ(alice.pageView.statusLine, kAlice + " (오프라인)");
        EXPECT_EQ(alice.session.transactionId(), 0);
        EXPECT_TRUE(alice.loginEnabled());
    }

    // A server that never sends the list and announces contacts by presence
    // alone: a contact who comes online later is listed all the same.
    class NoListServerTest : public MsnLiveServerTest {
    protected:
        NoListServerTest()
            : MsnLiveServerTest(ServerHabits { .noList = true })
        {
        }
    };

    TEST_F(NoListServerTest, ContactsComingOnlineLaterAreListed)
    {
        signOn(alice, 0);
        EXPECT_TRUE(alice.pageView.items.empty());
        signOn(bob, 1); // Alice is online: ILN.
        ASSERT_TRUE(waitFor([&] { return alice.itemOf(kBob) == "Bob (온라인)"; }));
        ASSERT_EQ(alice.pageView.items.size(), 1u);
        EXPECT_EQ(alice.pageView.items.begin()->second.root, TreeRoot::Online);

        bob.page.onCommand(command::kLogout);
        ASSERT_TRUE(waitFor([&] { return alice.itemOf(kBob) == "Bob"; }));
        EXPECT_EQ(alice.pageView.items.begin()->second.root, TreeRoot::Offline);
        // Presence naming the user itself lists nobody.
        server.tell(kAlice, "NLN NLN ALICE@example.com Me\r\nNLN BSY dave@example.com Dave\r\n");
        ASSERT_TRUE(waitFor([&] { return alice.contactIndex("dave@example.com") >= 0; }));
        EXPECT_EQ(alice.session.contacts().size(), 2);
        EXPECT_EQ(alice.ui.callCount(), 0u);
    }

    // A wrong password: the server answers 911 and keeps the connection; the
    // session ends at once instead of waiting on it.
    TEST_F(MsnLiveServerTest, WrongPasswordEndsTheSessionAtOnce)
    {
        LiveHandheld wrong { loop, server.port(), kAlice, "pear" };
        wrong.page.onCommand(command::kLogin);
        ASSERT_TRUE(waitFor([&] { return wrong.ui.callCount() > 0 && wrong.session.transactionId() == 0; }));
        EXPECT_EQ(wrong.ui.lastText(), "아이디와 패스워드가 일치하지 않습니다.");
        EXPECT_EQ(wrong.ui.callCount(), 1u);
        EXPECT_EQ(wrong.session.ownStatus(), status::kOffline);
        EXPECT_EQ(wrong.pageView.statusLine, kAlice + " (오프라인)");
        EXPECT_TRUE(wrong.loginEnabled());

        // The right password then signs on.
        signOn(alice, 1);
    }

} // namespace
} // namespace pocket::msn
