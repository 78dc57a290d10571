#include "pocket/icq/icq_pen_carriage.h"
#include "pocket/icq/testing/fake_views.h"

#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/ink/ink_file.h"
#include "pocket/ink/testing/fake_viewer_host.h"
#include "pocket/ink/testing/recording_canvas.h"
#include "pocket/ink/testing/temp_folder.h"

#include <deque>
#include <fstream>
#include <gtest/gtest.h>

namespace pocket::icq {
namespace {

using namespace std::string_literals;

// Carries texts between two handhelds in order, as the ICQ server would.
struct Wire {
    struct Letter {
        std::string from;
        std::string to;
        std::string text;
    };
    std::deque<Letter> letters;
    std::vector<Letter> log;
};

struct Outbox final : CarriageSender {
    Outbox(Wire& w, std::string own)
        : wire(w)
        , self(std::move(own))
    {
    }
    bool sendCarriage(std::string_view number, std::string_view text) override
    {
        wire.letters.push_back({ self, std::string(number), std::string(text) });
        return true;
    }
    Wire& wire;
    std::string self;
};

struct Handheld {
    Handheld(std::string number, Wire& wire, platform::testing::FakeUi& ui, platform::EventLoop& loop)
        : own(std::move(number))
        , outbox(wire, own)
        , receptions(root.path())
        , viewers(viewerHost, ui)
        , inbox(root.path(), ui, viewers)
        , carriage(PenCarriageSetup { root.path(), "www.quillon.test" }, outbox, editors, receptions, inbox, ui, loop)
    {
    }
    std::string own;
    ink::testing::TempFolder root;
    Outbox outbox;
    testing::FakePenEditors editors;
    ink::testing::FakeViewerHost viewerHost;
    ink::PenReceptions receptions;
    ink::InkViewers viewers;
    ink::PenInbox inbox;
    IcqPenCarriage carriage;
};

class IcqPenCarriageTest : public ::testing::Test {
protected:
    // Delivers letters until none is left; each text arrives with the NUL
    // that the message carries after it.
    void pump()
    {
        while (!wire.letters.empty()) {
            auto letter = wire.letters.front();
            wire.letters.pop_front();
            wire.log.push_back(letter);
            Handheld& to = letter.to == alice.own ? alice : bob;
            to.carriage.onMessage(letter.from, letter.text + '\0');
        }
    }

    std::vector<std::string> digitsFrom(const std::string& sender) const
    {
        std::vector<std::string> digits;
        for (const auto& letter : wire.log) {
            if (letter.from == sender)
                digits.push_back(letter.text.substr(2, 1) + ":" + std::to_string(letter.text.size() - 3));
        }
        return digits;
    }

    void drawAndSend()
    {
        auto* editor = alice.carriage.editor();
        editor->onPen({ ink::PenAction::Down, 10, 30 });
        editor->onPen({ ink::PenAction::Move, 100, 200 });
        editor->onPen({ ink::PenAction::Up, 100, 200 });
        editor->onSend({ 2004, 2, 3, 14, 5, 9 });
    }

    platform::testing::ManualClock clock;
    platform::PollEventLoop loop { clock };
    platform::testing::FakeUi ui;
    Wire wire;
    Handheld alice { "11111", wire, ui, loop };
    Handheld bob { "22222", wire, ui, loop };
};

TEST_F(IcqPenCarriageTest, ProbeIsAnsweredAndEnablesTheEditor)
{
    ASSERT_TRUE(alice.carriage.openEditor("22222", "11111"));
    ASSERT_EQ(wire.letters.size(), 1u);
    EXPECT_EQ(wire.letters[0].text, "\x07\x07" "4\xA1\xDAIf you want to see this pen message, visit www.quillon.test."s);
    pump();
    EXPECT_EQ(digitsFrom("22222"), (std::vector<std::string> { "8:0" }));
    EXPECT_TRUE(alice.editors.last->sendEnabled);
    EXPECT_EQ(alice.editors.last->status(), ink::composer_text::kWrite);

    EXPECT_FALSE(alice.carriage.openEditor("22222", "11111"));
    EXPECT_EQ(ui.lastText(), pen_text::kAlreadyWriting);
}

TEST_F(IcqPenCarriageTest, SevenHundredBytesTravelAsThreeChunksAndAnEndAndGrowTheFileBy300Each)
{
    ASSERT_TRUE(alice.carriage.openEditor("22222", "11111"));
    pump();
    drawAndSend();
    // Replace the drawing with 700 bytes of file data before the peer answers.
    std::string data;
    for (int i = 0; i < 700; ++i)
        data.push_back(static_cast<char>(i % 251));
    std::ofstream(alice.carriage.editor()->storedInk()->hostPath, std::ios::binary | std::ios::trunc) << data;
    pump();

    EXPECT_EQ(digitsFrom("11111"), (std::vector<std::string> { "4:62", "0:0", "1:300", "1:300", "1:100", "2:0" }));
    EXPECT_EQ(digitsFrom("22222"), (std::vector<std::string> { "8:0", "6:0", "7:0", "7:0", "7:0" }));
    EXPECT_TRUE(alice.editors.last->closed);
    EXPECT_EQ(alice.editors.last->progress.back(), 100);

    const auto folder = ink::hostPath(bob.root.path(), ink::receiveFolder(ink::Network::Icq));
    std::string received;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename() == "index")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        received.assign(std::istreambuf_iterator<char>(in), {});
        const auto name = entry.path().filename().string();
        EXPECT_EQ(name.rfind("11111 ", 0), 0u) << name;
        EXPECT_EQ(name.substr(name.size() - 4), ".ink");
    }
    ASSERT_EQ(received.size(), 1200u);
    EXPECT_EQ(received.substr(0, 700), data);
    EXPECT_EQ(received.substr(700), std::string(500, '\0'));
}

TEST_F(IcqPenCarriageTest, ADrawingArrivesInTheViewerAndTheIndex)
{
    ASSERT_TRUE(alice.carriage.openEditor("22222", "11111"));
    pump();
    drawAndSend();
    pump();
    ASSERT_EQ(bob.viewerHost.windows.size(), 1u);
    EXPECT_EQ(bob.viewerHost.windows.begin()->second->title, "From : ICQ - 11111");
    const auto index = ink::readIndexLines(ink::hostPath(bob.root.path(), ink::indexPath(ink::Network::Icq)));
    ASSERT_EQ(index.size(), 1u);
    EXPECT_EQ(index[0].rfind("\\Program Files\\Quillon\\ICQ\\ICQInk_Recv\\11111 ", 0), 0u);
}

TEST_F(IcqPenCarriageTest, QuittingWhileSendingCancelsTheReceiversPartialFile)
{
    ASSERT_TRUE(alice.carriage.openEditor("22222", "11111"));
    pump();
    drawAndSend();
    // Bob takes the start and answers; Alice's chunk is still on the wire.
    wire.log.push_back(wire.letters.front());
    bob.carriage.onMessage("11111", wire.letters.front().text + '\0');
    wire.letters.pop_front();
    EXPECT_EQ(bob.receptions.runningCount(), 1);
    alice.carriage.editor()->onQuit();
    ASSERT_EQ(wire.letters.size(), 2u);
    EXPECT_EQ(wire.letters.back().text, "\x07\x07" "3");
    pump(); // Alice's closed editor ignores "Ready"; Bob drops the file.
    EXPECT_EQ(bob.receptions.runningCount(), 0);
    EXPECT_EQ(digitsFrom("11111").back(), "3:0");
    const auto folder = ink::hostPath(bob.root.path(), ink::receiveFolder(ink::Network::Icq));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(IcqPenCarriageTest, ChunksFromSomeoneWhoNeverStartedAreIgnored)
{
    bob.carriage.onMessage("33333", "\x07\x07" "1abc\0"s);
    bob.carriage.onMessage("33333", "\x07\x07" "2\0"s);
    EXPECT_TRUE(wire.letters.empty());
    EXPECT_EQ(bob.viewerHost.windows.size(), 0u);
}

} // namespace
} // namespace pocket::icq
