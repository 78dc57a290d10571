// Two handhelds against the scripted OSCAR server on loopback: sign-on,
// messages both ways in each charset form, pen messages, and what servers in
// the wild do (OscarHabits), seen from the user's side: the contact tree,
// the message windows, the message boxes and the contact file.

#include "platform/codepage.h"
#include "platform/poll_event_loop.h"
#include "platform/testing/manual_clock.h"
#include "pocket/icq/testing/live_handheld.h"
#include "pocket/icq/testing/scripted_oscar_server.h"

#include <gtest/gtest.h>

namespace pocket::icq {
namespace {

    using namespace std::chrono_literals;
    using testing::LiveHandheld;
    using testing::OscarHabits;
    using testing::ScriptedOscarServer;

    bool contains(std::string_view text, std::string_view part)
    {
        return text.find(part) != std::string_view::npos;
    }

    class IcqLiveServerTest : public ::testing::Test {
    protected:
        explicit IcqLiveServerTest(OscarHabits habits = {})
            : server({ { "11111", "apple", "Alice" }, { "22222", "banana", "Bob" },
                         { "33333", "cherry", "Carol" } },
                habits)
        {
        }

        // In short turns: the server's own state changes wake no loop.
        bool waitFor(const std::function<bool()>& done)
        {
            for (int turn = 0; turn < 500; ++turn)
                if (loop.runUntil(done, 20ms))
                    return true;
            return false;
        }

        // Signs on and runs the one-request-per-second pacers for `seconds`,
        // letting the answers of each step arrive.
        void signOn(LiveHandheld& side, int seconds = 1)
        {
            // Each second the pacers add one stored contact to the buddy list
            // and ask for one contact's information.
            side.connect();
            ASSERT_TRUE(waitFor([&] {
                return server.isOnline(side.number) && side.status.last == "request buddy list info..";
            })) << side.number
                << ": " << side.ui.lastText();
            // The own information comes after the offline messages.
            ASSERT_TRUE(waitFor([&] { return !side.messenger.ownNick().empty(); }));
            pace(side, seconds);
        }
        void pace(LiveHandheld& side, int seconds)
        {
            for (int i = 0; i < seconds; ++i) {
                const auto before = server.buddiesOf(side.number).size();
                clock.advance(1s);
                waitFor([&] { return server.buddiesOf(side.number).size() > before; });
                settle();
            }
        }
        // Lets what is on the way arrive: a round trip through the server.
        void settle()
        {
            loop.runUntil([] { return false; }, 100ms);
        }

        void say(LiveHandheld& from, std::string_view to, const std::string& text)
        {
            from.messenger.openMessageWindow(to);
            from.messenger.onWindowSend(*from.messenger.windows().find(to), text);
        }

        platform::testing::ManualClock clock;
        platform::PollEventLoop loop { clock };
        ScriptedOscarServer server;
        LiveHandheld alice { loop, server.port(), "11111", "apple", { "22222" } };
        LiveHandheld bob { loop, server.port(), "22222", "banana", { "11111" } };
    };

    TEST_F(IcqLiveServerTest, TwoHandheldsTalkBothWaysInKoreanAcrossCodePages)
    {
        alice.messenger.setCodePage("CP949");
        bob.messenger.setCodePage("UTF-8");
        signOn(alice);
        signOn(bob);
        ASSERT_TRUE(waitFor([&] {
            return alice.labelOf("22222") == "Bob (온라인)" && bob.labelOf("11111") == "Alice (온라인)";
        })) << alice.labelOf("22222")
            << " / " << bob.labelOf("11111");

        say(alice, "22222", "안녕하세요, 밥!");
        ASSERT_TRUE(waitFor([&] { return !bob.logWith("11111").empty(); }));
        EXPECT_EQ(bob.logWith("11111"), "\r\nAlice : 안녕하세요, 밥!");
        EXPECT_EQ(server.messagesFrom("11111").back(), platform::fromUtf8("안녕하세요, 밥!", "CP949"));

        say(bob, "11111", "반가워요 앨리스");
        ASSERT_TRUE(waitFor([&] { return contains(alice.logWith("22222"), "Bob : "); }));
        EXPECT_TRUE(contains(alice.logWith("22222"), "\r\nBob : 반가워요 앨리스")) << alice.logWith("22222");
        EXPECT_EQ(alice.ui.callCount(), 0u) << alice.ui.lastText();
        EXPECT_EQ(bob.ui.callCount(), 0u) << bob.ui.lastText();
    }

    // Channel-1 messages name the charset of their text.
    TEST_F(IcqLiveServerTest, ChannelOneTextIsReadInItsCharset)
    {
        bob.messenger.setCodePage("UTF-8");
        signOn(bob);
        ASSERT_TRUE(waitFor([&] { return bob.labelOf("11111") == "Alice"; }));
        const std::string ucs2 = platform::fromUtf8("유니코드로 안녕", "UTF-16BE");
        server.sendChannelOne("22222", "11111", kCharsetUcs2, ucs2);
        ASSERT_TRUE(waitFor([&] { return contains(bob.logWith("11111"), "\r\n"); }));
        server.sendChannelOne("22222", "11111", kCharsetLocal, platform::fromUtf8("완성형 안녕", "CP949"));
        server.sendChannelOne("22222", "11111", kCharsetAscii, "plain hello");
        server.sendChannelOne("22222", "11111", kCharsetLocal, "caf\xE9");
        ASSERT_TRUE(waitFor([&] { return contains(bob.logWith("11111"), "caf"); }));
        EXPECT_EQ(bob.logWith("11111"),
            "\r\nAlice : 유니코드로 안녕\r\nAlice : 완성형 안녕\r\nAlice : plain hello\r\nAlice : café");
    }

    TEST_F(IcqLiveServerTest, PenMessageTravelsThroughTheServer)
    {
        signOn(alice);
        signOn(bob);
        ASSERT_TRUE(waitFor([&] { return alice.labelOf("22222") == "Bob (온라인)"; }));
        alice.messenger.penToContact("22222");
        ASSERT_TRUE(waitFor([&] { return alice.editors.last && alice.editors.last->sendEnabled; }));
        const auto probe = server.messagesFrom("11111").at(0);
        EXPECT_EQ(probe,
            "\x07\x07"
            "4\xA1\xDA"
            "If you want to see this pen message, visit http://www.quillon.example/.");

        auto* editor = alice.carriage.editor();
        for (int s = 0; s < 40; ++s) {
            editor->onPen({ ink::PenAction::Down, 10 + s, 30 });
            editor->onPen({ ink::PenAction::Move, 100 + s, 200 });
            editor->onPen({ ink::PenAction::Up, 100 + s, 200 });
        }
        editor->onSend({ 2026, 2, 3, 14, 5, 9 });
        ASSERT_TRUE(waitFor([&] { return bob.viewerHost.windows.size() == 1; }));
        EXPECT_EQ(bob.viewerHost.windows.begin()->second->title, "From : ICQ - 11111");
        EXPECT_TRUE(alice.editors.last->closed);
    }

    // The server goes away: each handheld says so once and is offline; what
    // the message windows showed stays.
    TEST_F(IcqLiveServerTest, ServerShutDownMidSessionSaysSoOnceAndGoesOffline)
    {
        signOn(alice);
        signOn(bob);
        say(alice, "22222", "hello");
        ASSERT_TRUE(waitFor([&] { return !bob.logWith("11111").empty(); }));
        server.shutDown();
        ASSERT_TRUE(waitFor([&] {
            return alice.session.state() == SessionState::Idle && bob.session.state() == SessionState::Idle;
        }));
        settle();
        for (LiveHandheld* side : { &alice, &bob }) {
            SCOPED_TRACE(side->number);
            ASSERT_EQ(side->ui.callCount(), 1u);
            EXPECT_EQ(side->ui.lastText(), "ICQ 연결이 종료되었습니다.");
            EXPECT_EQ(side->page.statusLine, side->number + " (오프라인)");
            EXPECT_TRUE(side->messenger.menuState().connect);
            EXPECT_TRUE(side->tree.items.empty());
        }
        EXPECT_EQ(bob.logWith("11111"), "\r\nAlice : hello");
        EXPECT_EQ(alice.fileContent(), "22222/");
    }

    TEST_F(IcqLiveServerTest, WrongPasswordSaysSo)
    {
        LiveHandheld wrong { loop, server.port(), "11111", "pear" };
        wrong.connect();
        ASSERT_TRUE(waitFor([&] { return wrong.ui.callCount() > 0; }));
        EXPECT_EQ(wrong.ui.lastText(), sign_on_text::kRejectedShort);
        EXPECT_EQ(wrong.session.state(), SessionState::Idle);
        EXPECT_EQ(wrong.page.statusLine, "11111 (오프라인)");
    }

    // User look-ups answered "not found" for users who exist: the contacts
    // stay, shown by their numbers; a just-added number goes only when the
    // user says so.
    class NotFoundLookupTest : public IcqLiveServerTest {
    protected:
        NotFoundLookupTest()
            : IcqLiveServerTest(OscarHabits { .notFoundOnLookup = true })
        {
        }
    };

    TEST_F(NotFoundLookupTest, FailedLookupsKeepTheContacts)
    {
        LiveHandheld dave { loop, server.port(), "11111", "apple", { "22222", "33333" } };
        signOn(dave, 2);
        settle();
        EXPECT_EQ(dave.fileContent(), "22222/33333/");
        EXPECT_EQ(dave.messenger.contacts().size(), 2u);
        EXPECT_EQ(dave.labelOf("22222"), "22222");
        EXPECT_EQ(dave.labelOf("33333"), "33333");
        EXPECT_EQ(dave.ui.callCount(), 0u) << dave.ui.lastText();

        dave.ui.pushAnswer(platform::Answer::Cancel);
        dave.messenger.addFromDialog("44444");
        ASSERT_TRUE(waitFor([&] { return dave.ui.callCount() == 1; }));
        EXPECT_EQ(dave.ui.lastText(), "44444 - 존재하지 않는 사용자입니다\n삭제할까요?");
        EXPECT_EQ(dave.fileContent(), "22222/33333/44444/");
        dave.ui.pushAnswer(platform::Answer::Ok);
        dave.messenger.addFromDialog("55555");
        ASSERT_TRUE(waitFor([&] { return dave.ui.callCount() == 2; }));
        EXPECT_EQ(dave.fileContent(), "22222/33333/44444/");
        EXPECT_EQ(dave.messenger.contacts().size(), 3u);
    }

    // A server that sends no 03,0B for contacts already online at sign-on:
    // the look-up after sign-on shows them online.
    class NoInitialPresenceTest : public IcqLiveServerTest {
    protected:
        NoInitialPresenceTest()
            : IcqLiveServerTest(OscarHabits { .noInitialPresence = true })
        {
        }
    };

    TEST_F(NoInitialPresenceTest, ContactsAlreadyOnlineAreShownOnline)
    {
        signOn(bob);
        signOn(alice);
        ASSERT_TRUE(waitFor([&] { return alice.labelOf("22222") == "Bob (온라인)"; }))
            << alice.labelOf("22222");
        EXPECT_EQ(alice.tree.labels(TreeGroup::Online).size(), 1u);
        // Bob heard of Alice's arrival as it happened.
        ASSERT_TRUE(waitFor([&] { return bob.labelOf("11111") == "Alice (온라인)"; }));
        bob.session.reset();
        ASSERT_TRUE(waitFor([&] { return alice.labelOf("22222") == "Bob"; }));
    }

    // A server that never answers the nick look-up: the number stands for
    // the nick wherever one is shown.
    class IgnoredLookupTest : public IcqLiveServerTest {
    protected:
        IgnoredLookupTest()
            : IcqLiveServerTest(OscarHabits { .ignoreLookup = true })
        {
        }
    };

    TEST_F(IgnoredLookupTest, TheNumberStandsForTheNick)
    {
        LiveHandheld dave { loop, server.port(), "11111", "apple" };
        signOn(bob);
        signOn(dave, 0);
        dave.messenger.addFromDialog("22222");
        ASSERT_TRUE(waitFor([&] { return dave.labelOf("22222") == "22222 (온라인)"; }))
            << dave.labelOf("22222");
        auto info = dave.messenger.contactInfo("22222");
        ASSERT_TRUE(info);
        EXPECT_EQ(info->nickLine, "Nick : 22222");
        dave.messenger.copyToDevice("22222");
        ASSERT_EQ(dave.device.added.size(), 1u);
        EXPECT_EQ(dave.device.added[0].displayFirst, "22222");
        EXPECT_EQ(dave.device.added[0].firstName, "22222");
    }

    // A server that drops channel-4 messages: nothing arrives, and the pen
    // editor gives up after its probe; the client keeps to channel 4.
    class DroppedChannelFourTest : public IcqLiveServerTest {
    protected:
        DroppedChannelFourTest()
            : IcqLiveServerTest(OscarHabits { .dropChannelFour = true })
        {
        }
    };

    TEST_F(DroppedChannelFourTest, MessagesDoNotArriveAndThePenProbeGivesUp)
    {
        signOn(alice);
        signOn(bob);
        ASSERT_TRUE(waitFor([&] { return alice.labelOf("22222") == "Bob (온라인)"; }));
        say(alice, "22222", "hello?");
        alice.messenger.penToContact("22222");
        ASSERT_TRUE(waitFor([&] { return server.messagesFrom("11111").size() == 2; }));
        settle();
        EXPECT_EQ(bob.logWith("11111"), "");
        EXPECT_EQ(alice.logWith("22222"), "\r\nAlice : hello?");
        clock.advance(5 * 2000ms);
        EXPECT_EQ(alice.editors.last->status(), "펜 메세지를 보낼 수 없습니다.");
        clock.advance(2000ms);
        EXPECT_TRUE(alice.editors.last->closed);
    }

} // namespace
} // namespace pocket::icq
