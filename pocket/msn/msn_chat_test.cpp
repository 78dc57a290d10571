#include "pocket/msn/msn_chats.h"

#include "platform/files.h"
#include "platform/poll_event_loop.h"
#include "platform/testing/manual_clock.h"
#include "pocket/msn/msn_pen_codec.h"
#include "pocket/msn/testing/chat_pair.h"

#include <gtest/gtest.h>

namespace pocket::msn {
namespace {

    using testing::Handheld;
    using testing::Relay;

    class MsnChatTest : public ::testing::Test {
    protected:
        MsnChatTest()
        {
            alice.logIn({ { "bob@example.com", "Bob" } });
            bob.logIn({ { "alice@example.com", "Alice" } });
        }

        void openChat()
        {
            ASSERT_EQ(alice.session.transactionId(), 2);
            testing::openChat(alice, bob);
        }

        // Strokes enough for a file of several chunks.
        std::uint64_t drawAndSend(ink::InkComposer& composer)
        {
            for (int s = 0; s < 40; ++s) {
                composer.onPen({ ink::PenAction::Down, 10 + s, 30 });
                for (int p = 0; p < 8; ++p)
                    composer.onPen({ ink::PenAction::Move, 10 + s + p * 3, 40 + p * 5 });
                composer.onPen({ ink::PenAction::Up, 40, 80 });
            }
            composer.onSend(ink::LocalTime { 2026, 3, 4, 13, 5, 9 });
            EXPECT_TRUE(composer.storedInk());
            return std::filesystem::file_size(composer.storedInk()->hostPath);
        }

        platform::testing::ManualClock clock;
        platform::PollEventLoop loop { clock };
        Handheld alice { loop, "alice@example.com", "Alice" };
        Handheld bob { loop, "bob@example.com", "Bob" };
        Relay relay { alice, bob };
    };

    TEST_F(MsnChatTest, SwitchboardLogInAndRoster)
    {
        openChat();
        EXPECT_EQ(alice.chatLink(0).sent,
            (std::vector<std::string> {
                "USR 0 alice@example.com 17262740.1050826919.32308\r\n", "CAL 1 bob@example.com\r\n" }));
        EXPECT_EQ(alice.chatLink(0).opened.at(0).host, "127.0.0.1");
        EXPECT_EQ(alice.chatLink(0).opened.at(0).port, 1863);
        EXPECT_EQ(bob.chatLink(0).sent.at(0), "ANS 0 bob@example.com 849102291.52 11752013\r\n");
        for (Handheld* side : { &alice, &bob }) {
            auto& chat = side->chats.chat(0);
            EXPECT_EQ(chat.participantCount(), 2);
            EXPECT_TRUE(chat.isOneToOne());
        }
        EXPECT_TRUE(alice.window(0).shown);
        EXPECT_FALSE(bob.window(0).shown); // Shown with the first message.
        EXPECT_EQ(alice.window(0).title, "bob@example.com");
        EXPECT_EQ(alice.window(0).participants,
            (std::vector<std::string> { "alice@example.com", "bob@example.com" }));

        // A second chat request for Bob shows the running chat instead.
        alice.chats.openChatWith(0);
        EXPECT_EQ(alice.notification().sent.back(), "XFR 2 SB\r\n");
        EXPECT_EQ(alice.window(0).fronts, 1);
    }

    TEST_F(MsnChatTest, TextMessagesTravelWholeWithTheirLength)
    {
        openChat();
        alice.window(0).input = "안녕\r\nsecond line";
        alice.chats.chat(0).onSend();
        EXPECT_EQ(alice.window(0).input, "");
        relay.pump();
        const std::string text = "안녕\r\nsecond line";
        EXPECT_EQ(relay.messagesFrom(alice).at(0), std::string(kTextHeader) + text);
        EXPECT_NE(alice.window(0).log.find("\r\nAlice 님의 말:\r\n" + text), std::string::npos);
        EXPECT_TRUE(bob.window(0).shown);
        EXPECT_EQ(bob.window(0).log, "\r\nAlice님의 말:\r\n" + text);

        // Empty input sends nothing; a typing notice (empty body) shows nothing.
        alice.chats.chat(0).onSend();
        bob.chatLink(0).deliver(
            "MSG alice@example.com Alice 45\r\nMIME-Version: 1.0\r\nTypingUser: alice\r\n\r\n");
        EXPECT_EQ(alice.chatLink(0).sent.size(), 3u);
        EXPECT_EQ(bob.window(0).log, "\r\nAlice님의 말:\r\n" + text);
    }

    TEST_F(MsnChatTest, GroupChatNoticesAndPenRefusal)
    {
        openChat();
        alice.chatLink(0).deliver("JOI carol@example.com Carol%20C\r\n");
        auto& chat = alice.chats.chat(0);
        EXPECT_EQ(chat.participantCount(), 3);
        EXPECT_FALSE(chat.isOneToOne());
        EXPECT_NE(alice.window(0).log.find("\r\n** Carol C 님 입장 **"), std::string::npos);

        chat.onPen();
        EXPECT_EQ(alice.ui.lastText(), "1:1 채팅일 경우에만 펜메세지가 가능합니다.");
        EXPECT_FALSE(alice.carriage.isPenMode());
        EXPECT_TRUE(alice.editors.composers.empty());

        alice.chatLink(0).deliver("BYE carol@example.com\r\n");
        EXPECT_NE(alice.window(0).log.find("\r\n** Carol C 님이 퇴장하셨습니다. **"), std::string::npos);
        EXPECT_EQ(chat.participantCount(), 2);
        EXPECT_TRUE(chat.isInUse());

        alice.windows.chosen = "dave@example.com";
        chat.onInvite();
        EXPECT_EQ(alice.chatLink(0).sent.back(), "CAL 2 dave@example.com\r\n");
    }

    TEST_F(MsnChatTest, PeerLeavingAOneToOneChatEndsIt)
    {
        openChat();
        alice.chatLink(0).deliver("BYE bob@example.com\r\n");
        auto& chat = alice.chats.chat(0);
        EXPECT_FALSE(chat.isInUse());
        EXPECT_NE(alice.window(0).log.find("\r\n** Bob 님의 퇴장으로 1:1 채팅이 종료되었습니다. **"),
            std::string::npos);
        EXPECT_FALSE(alice.window(0).sendEnabled);
        EXPECT_FALSE(alice.window(0).penEnabled);
        EXPECT_FALSE(alice.window(0).inviteEnabled);
        EXPECT_FALSE(alice.window(0).destroyed);
        EXPECT_FALSE(alice.chatLink(0).isOpen());
    }

    TEST_F(MsnChatTest, TheOwnAddressInTheRosterIsNoParticipant)
    {
        openChat();
        bob.chatLink(0).deliver(
            "IRO 1 2 2 BOB@example.com Bob\r\nJOI Bob@Example.com Bob\r\nBYE bob@EXAMPLE.com\r\n");
        auto& chat = bob.chats.chat(0);
        EXPECT_EQ(chat.participantCount(), 2);
        EXPECT_TRUE(chat.isOneToOne());
        EXPECT_TRUE(chat.isInUse());
        EXPECT_EQ(bob.window(0).participants,
            (std::vector<std::string> { "bob@example.com", "alice@example.com" }));
        EXPECT_EQ(bob.window(0).log, "");
    }

    TEST_F(MsnChatTest, SlotsAndSwitchboardFailures)
    {
        // A grant nobody asked for.
        alice.notification().deliver("XFR 9 SB 127.0.0.1:1863 CKI x\r\n");
        EXPECT_EQ(alice.ui.lastText(), "채팅 시작 실패!");
        EXPECT_EQ(alice.chats.freeSlot(), 0);

        // An unreachable switchboard gives its slot back.
        alice.session.setChosenContact(0);
        alice.chatLink(0).failOpens = { true };
        alice.notification().deliver("XFR 9 SB 127.0.0.1:1863 CKI x\r\n");
        EXPECT_EQ(alice.ui.lastText(), "Can't connect..");
        EXPECT_EQ(alice.chats.freeSlot(), 0);

        for (int i = 0; i < MsnChats::kSlots; ++i)
            alice.notification().deliver("XFR 9 SB 127.0.0.1:1863 CKI x\r\n");
        EXPECT_EQ(alice.chats.freeSlot(), -1);
        std::size_t calls = alice.ui.callCount();
        alice.notification().deliver("XFR 9 SB 127.0.0.1:1863 CKI x\r\n");
        EXPECT_EQ(alice.ui.lastText(), "채팅 창 제한 초과!!");
        // An invitation without room is dropped silently.
        alice.notification().deliver("RNG 1 127.0.0.1:1863 CKI c zed@example.com Zed\r\n");
        EXPECT_EQ(alice.ui.callCount(), calls + 1);

        alice.session.logout();
        EXPECT_EQ(alice.chats.freeSlot(), 0);
    }

    TEST_F(MsnChatTest, PenMessageTravelsFromOneHandheldToTheOther)
    {
        openChat();
        alice.chats.chat(0).onPen();
        ASSERT_EQ(alice.editors.composers.size(), 1u);
        relay.pump();
        const std::string probe = std::string(1, kPenMark) + " Visit http://pen.example/";
        EXPECT_EQ(relay.messagesFrom(alice).at(0), penPayload(pen_digit::kProbe, probe));
        EXPECT_EQ(relay.messagesFrom(alice).at(0).size(), 110 + probe.size());
        EXPECT_NE(bob.window(0).log.find("\r\nAlice님이 펜 메세지를 작성 중 입니다."), std::string::npos);
        EXPECT_EQ(alice.editors.latestView()->statuses.back(), "펜 메세지를 작성해 주세요.");
        EXPECT_TRUE(alice.editors.latestView()->sendEnabled);

        auto& composer = *alice.editors.latest();
        std::uint64_t size = drawAndSend(composer);
        ASSERT_GT(size, 2 * kChunkBytes);
        std::string sentFile = platform::readWholeFile(composer.storedInk()->hostPath).valueOr("");
        relay.pump();

        // Every chunk is 500 bytes: header, 0x07, "2" and 390 data bytes.
        std::size_t chunks = 0;
        for (const auto& payload : relay.messagesFrom(alice)) {
            auto message = parsePenMessage(messageBody(payload));
            if (message && message->digit == pen_digit::kChunk) {
                EXPECT_EQ(payload.size(), 500u);
                ++chunks;
            }
        }
        EXPECT_EQ(chunks, (size + kChunkBytes - 1) / kChunkBytes);
        EXPECT_EQ(relay.messagesFrom(alice).back(), penPayload(pen_digit::kEnd));
        EXPECT_TRUE(alice.editors.latestView()->closed);
        EXPECT_EQ(alice.editors.latestView()->progress.back(), 100);
        EXPECT_FALSE(alice.carriage.isPenMode());

        EXPECT_NE(bob.window(0).log.find("\r\n펜 메세지 수신 시작.."), std::string::npos);
        EXPECT_NE(bob.window(0).log.find(" 수신 완료.."), std::string::npos);
        ASSERT_EQ(bob.viewerHost.windows.size(), 1u);
        EXPECT_EQ(bob.viewerHost.windows.begin()->second->title, "From : MSN - alice@example.com");
        auto index
            = platform::readWholeFile(ink::hostPath(bob.root.path(), ink::indexPath(ink::Network::Msn)));
        ASSERT_TRUE(index);
        std::string receivedPath = index->substr(0, index->find('\n'));
        std::string received
            = platform::readWholeFile(ink::hostPath(bob.root.path(), receivedPath)).valueOr("");
        EXPECT_EQ(received.size(), chunks * kChunkBytes);
        EXPECT_EQ(received.substr(0, sentFile.size()), sentFile);
    }

    TEST_F(MsnChatTest, PenMessageFromTheContactListProbesWhenThePeerJoins)
    {
        alice.chats.sendPenMessageTo(0);
        EXPECT_TRUE(alice.carriage.isWaitingForSwitchboard());
        EXPECT_EQ(alice.notification().sent.back(), "XFR 2 SB\r\n");
        alice.notification().deliver("XFR 2 SB 127.0.0.1:1863 CKI ck\r\n");
        ASSERT_EQ(alice.editors.composers.size(), 1u);
        EXPECT_EQ(alice.editors.setups.at(0).peerId, "bob@example.com");
        EXPECT_EQ(alice.carriage.penChatSlot(), 0);
        alice.chatLink(0).deliver("USR 1 OK alice@example.com Alice\r\n");
        EXPECT_EQ(alice.chatLink(0).sent.size(), 2u); // USR, CAL: no probe before Bob is there.
        alice.chatLink(0).deliver("JOI bob@example.com Bob\r\n");
        auto probe = parsePenMessage(messageBody(
            alice.chatLink(0).sent.back().substr(alice.chatLink(0).sent.back().find("\r\n") + 2)));
        ASSERT_TRUE(probe);
        EXPECT_EQ(probe->digit, pen_digit::kProbe);

        // A second pen request for Bob points at the running chat.
        alice.chats.sendPenMessageTo(0);
        EXPECT_EQ(alice.ui.calls().at(alice.ui.callCount() - 2).text,
            "선택한 사용자가 채팅에 참여 중이거나, 펜 메세지를 송신하고 있는 중 입니다.");
        EXPECT_EQ(alice.ui.lastText(), "이미 잉크메세지를 작성중입니다.");
    }

    TEST_F(MsnChatTest, UnansweredProbeClosesTheEditorAfterSixTicks)
    {
        openChat();
        alice.chats.chat(0).onPen();
        clock.advance(std::chrono::milliseconds(5 * 2000));
        EXPECT_EQ(alice.editors.latestView()->statuses.back(), "펜 메세지를 보낼 수 없습니다.");
        EXPECT_FALSE(alice.editors.latestView()->closed);
        clock.advance(std::chrono::milliseconds(2000));
        EXPECT_TRUE(alice.editors.latestView()->closed);
        EXPECT_FALSE(alice.carriage.isPenMode());
        EXPECT_EQ(alice.carriage.penChatSlot(), -1);
    }

    TEST_F(MsnChatTest, ClosingTheWindowDuringAPenMessageAsksFirst)
    {
        openChat();
        auto& chat = alice.chats.chat(0);
        chat.onPen();
        alice.ui.pushAnswer(platform::Answer::Cancel);
        chat.onCloseWindow();
        EXPECT_EQ(alice.ui.lastText(), "지금 채팅을 종료하면, 전송 중인 펜 메세지가 취소 됩니다.");
        EXPECT_TRUE(chat.isInUse());
        alice.ui.pushAnswer(platform::Answer::Ok);
        chat.onCloseWindow();
        EXPECT_FALSE(chat.isInUse());
        EXPECT_TRUE(alice.editors.latestView()->closed);
        EXPECT_TRUE(alice.window(0).destroyed);
        EXPECT_FALSE(alice.carriage.isPenMode());
    }

    TEST_F(MsnChatTest, LogFullQuestionClearsOnOk)
    {
        openChat();
        alice.window(0).log = "old";
        alice.ui.pushAnswer(platform::Answer::Ok);
        alice.chats.chat(0).onLogFull();
        EXPECT_EQ(alice.ui.lastText(), "메세지가 꽉 찼습니다.\n지우시겠습니까?");
        EXPECT_EQ(alice.window(0).log, "");
    }

} // namespace
} // namespace pocket::msn
