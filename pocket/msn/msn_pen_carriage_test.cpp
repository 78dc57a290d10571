#include "pocket/msn/msn_pen_carriage.h"

#include "platform/files.h"
#include "platform/poll_event_loop.h"
#include "platform/testing/manual_clock.h"
#include "pocket/msn/msn_pen_codec.h"
#include "pocket/msn/testing/chat_pair.h"

#include <gtest/gtest.h>

namespace pocket::msn {
namespace {

    using testing::Handheld;

    std::string lastPayload(Handheld& side)
    {
        const std::string& command = side.chatLink(0).sent.back();
        return command.substr(command.find("\r\n") + 2);
    }

    void deliverPen(Handheld& to, Handheld& from, char digit, std::string_view data = {})
    {
        std::string payload = penPayload(digit, data);
        to.chatLink(0).deliver("MSG " + from.id + " " + from.friendlyName + " "
            + std::to_string(payload.size()) + "\r\n" + payload);
    }

    class MsnPenCarriageTest : public ::testing::Test {
    protected:
        MsnPenCarriageTest()
        {
            alice.logIn({ { "bob@example.com", "Bob" } });
            bob.logIn({ { "alice@example.com", "Alice" } });
            testing::openChat(alice, bob);
        }

        // Alice asks to send ink, Bob agrees, and Alice draws a stroke and
        // presses send in the composer.
        auto& drawAndSend()
        {
            alice.chats.chat(0).onPen();
            deliverPen(alice, bob, pen_digit::kCanTake);
            auto& composer = *alice.editors.latest();
            composer.onPen({ ink::PenAction::Down, 10, 30 });
            composer.onPen({ ink::PenAction::Up, 20, 40 });
            composer.onSend(ink::LocalTime { 2026, 3, 4, 13, 5, 9 });
            return composer;
        }

        platform::testing::ManualClock clock;
        platform::PollEventLoop loop { clock };
        Handheld alice { loop, "alice@example.com", "Alice" };
        Handheld bob { loop, "bob@example.com", "Bob" };
    };

    TEST_F(MsnPenCarriageTest, ThousandByteFileGoesAsThreeChunksThenTheEnd)
    {
        alice.chats.chat(0).onPen();
        deliverPen(alice, bob, pen_digit::kCanTake);
        std::string file;
        for (int i = 0; i < 1000; ++i)
            file += static_cast<char>(i % 100); // NUL, LF and CR among them.
        auto path = alice.root.path() / "x.ink";
        ASSERT_TRUE(platform::writeFileAtomically(path, file));
        alice.carriage.send(
            "bob@example.com", { path, "\\Program Files\\Quillon\\MSN\\Ink_Send_bob\\a b.ink" });
        EXPECT_EQ(lastPayload(alice), penPayload(pen_digit::kStart, "a b.ink"));

        deliverPen(alice, bob, pen_digit::kReady);
        EXPECT_EQ(lastPayload(alice), penPayload(pen_digit::kChunk, escapeChunk(file.substr(0, 390))));
        EXPECT_EQ(lastPayload(alice).size(), 500u);
        EXPECT_EQ(lastPayload(alice).find('\n', kTextHeader.size()), std::string::npos);
        deliverPen(alice, bob, pen_digit::kChunkTaken);
        EXPECT_EQ(lastPayload(alice), penPayload(pen_digit::kChunk, escapeChunk(file.substr(390, 390))));
        deliverPen(alice, bob, pen_digit::kChunkTaken);
        EXPECT_EQ(lastPayload(alice),
            penPayload(pen_digit::kChunk, escapeChunk(file.substr(780)) + std::string(170, kPadding)));
        deliverPen(alice, bob, pen_digit::kChunkTaken);
        EXPECT_EQ(lastPayload(alice), penPayload(pen_digit::kEnd));
        EXPECT_EQ(lastPayload(alice).size(), 110u);
        EXPECT_FALSE(alice.carriage.isPenMode());

        // A late answer sends nothing more.
        std::size_t sent = alice.chatLink(0).sent.size();
        deliverPen(alice, bob, pen_digit::kChunkTaken);
        EXPECT_EQ(alice.chatLink(0).sent.size(), sent);
    }

    TEST_F(MsnPenCarriageTest, ReceiverKeepsAnnouncedFilesInsideItsFolderAndUnescapes)
    {
        deliverPen(bob, alice, pen_digit::kStart, "..\\..\\Windows\\evil.ink");
        EXPECT_EQ(lastPayload(bob), penPayload(pen_digit::kReady));
        auto path = bob.receptions.pathOf(ink::Network::Msn, "alice@example.com");
        ASSERT_TRUE(path);
        EXPECT_EQ(*path, "\\Program Files\\Quillon\\MSN\\MSNInk_Recv\\evil.ink");

        std::string data(390, 'a');
        data[0] = '\n';
        data[1] = '\0';
        data[2] = '\r';
        deliverPen(bob, alice, pen_digit::kChunk, escapeChunk(data));
        EXPECT_EQ(lastPayload(bob), penPayload(pen_digit::kChunkTaken));
        auto local = ink::hostPath(bob.root.path(), *path);
        EXPECT_EQ(platform::readWholeFile(local).valueOr(""), data);

        // A last chunk: the first padding byte becomes "g".
        deliverPen(bob, alice, pen_digit::kChunk, "ab" + std::string(388, kPadding));
        EXPECT_EQ(platform::readWholeFile(local).valueOr("").substr(390), "abg" + std::string(387, kPadding));

        // An unknown digit drops the partial file.
        deliverPen(bob, alice, '9');
        EXPECT_FALSE(std::filesystem::exists(local));
        EXPECT_FALSE(bob.receptions.pathOf(ink::Network::Msn, "alice@example.com"));
    }

    TEST_F(MsnPenCarriageTest, WatchdogNotesASilentSenderOnce)
    {
        deliverPen(bob, alice, pen_digit::kStart, "a.ink");
        clock.advance(std::chrono::milliseconds(19999));
        EXPECT_EQ(bob.window(0).log.find("펜 메세지 수신 지연"), std::string::npos);
        clock.advance(std::chrono::milliseconds(60000));
        auto log = bob.window(0).log;
        auto first = log.find("\r\n펜 메세지 수신 지연");
        ASSERT_NE(first, std::string::npos);
        EXPECT_EQ(log.find("펜 메세지 수신 지연", first + 5), std::string::npos);
    }

    TEST_F(MsnPenCarriageTest, DamagedInkIsReportedAndNotShown)
    {
        deliverPen(bob, alice, pen_digit::kStart, "bad.ink");
        deliverPen(bob, alice, pen_digit::kChunk, std::string(390, 'z'));
        deliverPen(bob, alice, pen_digit::kEnd);
        EXPECT_EQ(bob.ui.lastText(), "Pen MSG data was damaged!(converting)");
        EXPECT_EQ(bob.ui.calls().back().title, "MSN");
        EXPECT_TRUE(bob.viewerHost.windows.empty());
        EXPECT_EQ(bob.window(0).log.find("수신 완료"), std::string::npos);
    }

    TEST_F(MsnPenCarriageTest, UnopenableFileAtTheFirstChunkLetsTheUserSendAgain)
    {
        auto& composer = drawAndSend();
        ASSERT_TRUE(composer.storedInk());
        std::filesystem::remove(composer.storedInk()->hostPath);
        deliverPen(alice, bob, pen_digit::kReady);
        EXPECT_EQ(alice.ui.lastText(), "잉크 메시지 파일 손상!");
        EXPECT_EQ(alice.ui.calls().back().title, "전송 실패!!");
        EXPECT_TRUE(alice.editors.latestView()->sendEnabled);
        std::size_t sent = alice.chatLink(0).sent.size();
        deliverPen(alice, bob, pen_digit::kChunkTaken);
        EXPECT_EQ(alice.chatLink(0).sent.size(), sent);
    }

    TEST_F(MsnPenCarriageTest, AnswerTimeoutReenablesSend)
    {
        drawAndSend();
        EXPECT_FALSE(alice.editors.latestView()->sendEnabled);
        clock.advance(std::chrono::milliseconds(20000));
        EXPECT_EQ(alice.editors.latestView()->statuses.back(), "응답이 없습니다. 다시시도해주세요.");
        EXPECT_TRUE(alice.editors.latestView()->sendEnabled);
    }

} // namespace
} // namespace pocket::msn
