#include "pocket/ink/ink_composer.h"

#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/ink/ink_file.h"
#include "pocket/ink/testing/recording_canvas.h"
#include "pocket/ink/testing/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace pocket::ink {
namespace {

using platform::Answer;
using platform::testing::FakeUi;
using std::chrono::milliseconds;

struct FakeComposerView final : InkComposerView {
    InkCanvas& canvas() override { return drawn; }
    void setStatus(std::string_view text) override { statuses.emplace_back(text); }
    void setSendEnabled(bool enabled) override { sendEnabled = enabled; }
    void setNewEnabled(bool enabled) override { newEnabled = enabled; }
    void setProgressVisible(bool visible) override { progressVisible = visible; }
    void setProgress(int percent) override { progress = percent; }
    void showPalette(Palette palette, bool shown) override { palettes.push_back({ palette, shown }); }
    void showToolbar(const ToolbarLook& look) override { toolbar = look; }
    void close() override { closed = true; }

    testing::RecordingCanvas drawn;
    std::vector<std::string> statuses;
    bool sendEnabled = true;
    bool newEnabled = true;
    bool progressVisible = true;
    int progress = -1;
    std::vector<std::pair<Palette, bool>> palettes;
    ToolbarLook toolbar;
    bool closed = false;
};

struct FakeCarriage final : PenCarriage {
    void probe(std::string_view peer) override { probes.emplace_back(peer); }
    void cancelProbe() override { ++probeCancels; }
    void send(std::string_view peer, const StoredInk& ink) override { sends.push_back({ std::string(peer), ink }); }
    void cancelSend() override { ++sendCancels; }

    std::vector<std::string> probes;
    int probeCancels = 0;
    std::vector<std::pair<std::string, StoredInk>> sends;
    int sendCancels = 0;
};

const LocalTime kNow { 2004, 2, 3, 14, 5, 9 };

class InkComposerTest : public ::testing::Test {
protected:
    InkComposer& make(Network network)
    {
        m_composer = std::make_unique<InkComposer>(
            ComposerSetup { network, "peer@example.com", "me", m_root.path() }, m_view, m_ui, m_carriage, m_loop);
        m_composer->open();
        return *m_composer;
    }
    void drawStroke(InkComposer& composer)
    {
        composer.onPen({ PenAction::Down, 10, 30 });
        composer.onPen({ PenAction::Move, 100, 200 });
        composer.onPen({ PenAction::Up, 100, 200 });
    }

    void wait(unsigned ms) { m_clock.advance(milliseconds(ms)); }

    platform::testing::ManualClock m_clock;
    platform::PollEventLoop m_loop { m_clock };
    testing::TempFolder m_root;
    FakeComposerView m_view;
    FakeUi m_ui;
    FakeCarriage m_carriage;
    std::unique_ptr<InkComposer> m_composer;
};

TEST_F(InkComposerTest, OpensCheckingWithSendAndNewDisabled)
{
    make(Network::Msn);
    EXPECT_EQ(m_view.statuses.back(), "펜 메세지 수신 여부 체크 중..");
    EXPECT_FALSE(m_view.sendEnabled);
    EXPECT_FALSE(m_view.newEnabled);
    EXPECT_FALSE(m_view.progressVisible);
    EXPECT_EQ(m_carriage.probes, std::vector<std::string> { "peer@example.com" });
}

TEST_F(InkComposerTest, CheckTicksBlinkThenGiveUpAndCloseOnTheSixth)
{
    auto& composer = make(Network::Icq);
    m_view.statuses.clear();
    wait(1999);
    EXPECT_TRUE(m_view.statuses.empty());
    wait(1 + 4 * InkComposer::kCheckIntervalMs);
    EXPECT_EQ(m_view.statuses, (std::vector<std::string> { "펜 메세지 수신 가능 체크중..", "",
                                   "펜 메세지 수신 가능 체크중..", "", "펜 메세지를 보낼 수 없습니다." }));
    EXPECT_FALSE(m_view.closed);
    wait(InkComposer::kCheckIntervalMs);
    EXPECT_TRUE(m_view.closed);
    EXPECT_TRUE(composer.isClosed());
    EXPECT_EQ(m_carriage.probeCancels, 1);
}

TEST_F(InkComposerTest, PeerAnswerEnablesSendAndStopsTheCheck)
{
    auto& composer = make(Network::Msn);
    wait(InkComposer::kCheckIntervalMs);
    composer.onPeerReady();
    EXPECT_EQ(m_view.statuses.back(), "펜 메세지를 작성해주세요.");
    EXPECT_TRUE(m_view.sendEnabled);
    EXPECT_TRUE(m_view.newEnabled);
    wait(10 * InkComposer::kCheckIntervalMs);
    EXPECT_EQ(m_view.statuses.back(), "펜 메세지를 작성해주세요.");
    EXPECT_FALSE(m_view.closed);
}

TEST_F(InkComposerTest, SendWritesIntoTheSentFolderAndHandsTheFileOver)
{
    auto& composer = make(Network::Icq);
    composer.onPeerReady();
    drawStroke(composer);
    composer.onSend(kNow);

    EXPECT_FALSE(m_view.sendEnabled);
    EXPECT_FALSE(m_view.newEnabled);
    EXPECT_TRUE(m_view.progressVisible);
    EXPECT_EQ(m_view.statuses.back(), "상대방의 응답을 기다리는중..");
    ASSERT_EQ(m_carriage.sends.size(), 1u);
    const auto& ink = m_carriage.sends[0].second;
    EXPECT_EQ(ink.handheldPath,
        "\\Program Files\\Quillon\\ICQ\\Ink_Send_peer@example.com\\me 2004.2.3 14시5분9초.ink");
    EXPECT_EQ(ink.hostPath,
        m_root.path() / "Program Files/Quillon/ICQ/Ink_Send_peer@example.com/me 2004.2.3 14시5분9초.ink");
    auto stored = readInkFile(ink.hostPath);
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, composer.message());

    composer.onProgress(13, 26);
    EXPECT_EQ(m_view.progress, 50);
    composer.onSent();
    EXPECT_TRUE(m_view.closed);
}

TEST_F(InkComposerTest, NoAnswerLetsTheUserSendAgain)
{
    auto& composer = make(Network::Msn);
    composer.onPeerReady();
    drawStroke(composer);
    composer.onSend(kNow);
    EXPECT_NE(m_view.statuses.back(), "상대방의 응답을 기다리는중..");
    // Each message of the carriage restarts the wait.
    wait(15000);
    composer.restartAnswerTimer();
    wait(15000);
    EXPECT_TRUE(m_view.progressVisible);
    wait(5000);
    EXPECT_EQ(m_view.statuses.back(), "응답이 없습니다. 다시시도해주세요.");
    EXPECT_FALSE(m_view.progressVisible);
    EXPECT_TRUE(m_view.sendEnabled);
    EXPECT_TRUE(m_view.newEnabled);
    composer.onSend(kNow);
    EXPECT_EQ(m_carriage.sends.size(), 2u);
    composer.onTransferAccepted();
    EXPECT_EQ(m_view.statuses.back(), "펜 메세지를 작성해주세요.");
    wait(60000);
    EXPECT_EQ(m_view.statuses.back(), "펜 메세지를 작성해주세요.");
}

TEST_F(InkComposerTest, UncreatableFileKeepsTheDrawing)
{
    auto& composer = make(Network::Msn);
    composer.onPeerReady();
    drawStroke(composer);
    // A file where the sent folder belongs makes the ink file uncreatable.
    const auto blocker = m_root.path() / "Program Files/Quillon/MSN";
    std::filesystem::create_directories(blocker);
    std::ofstream(blocker / "Ink_Send_peer@example.com") << "x";
    composer.onSend(kNow);

    ASSERT_EQ(m_ui.callCount(), 1u);
    EXPECT_EQ(m_ui.calls()[0].title, "Quillon");
    EXPECT_EQ(m_ui.lastText(), "Can`t open file !");
    EXPECT_TRUE(m_carriage.sends.empty());
    EXPECT_FALSE(composer.message().isEmpty());
    EXPECT_TRUE(m_view.sendEnabled);
}

TEST_F(InkComposerTest, FileTroubleWhileSending)
{
    auto& composer = make(Network::Icq);
    composer.onPeerReady();
    drawStroke(composer);
    composer.onSend(kNow);
    composer.onFileUnopenable();
    EXPECT_EQ(m_ui.calls().back().title, "전송 실패!!");
    EXPECT_EQ(m_ui.lastText(), "잉크 메시지 파일 손상!");
    EXPECT_TRUE(m_view.sendEnabled);

    composer.onSend(kNow);
    m_ui.pushAnswer(Answer::Ok);
    EXPECT_TRUE(composer.askResend());
    EXPECT_FALSE(m_view.sendEnabled);
    m_ui.pushAnswer(Answer::Cancel);
    EXPECT_FALSE(composer.askResend());
    EXPECT_EQ(m_ui.lastText(), "재전송 하시겠습니까?");
    EXPECT_TRUE(m_view.sendEnabled);

    composer.onSend(kNow);
    composer.onReopenFailed();
    EXPECT_EQ(m_ui.lastText(), "잉크 메세지 파일 손상!");
}

TEST_F(InkComposerTest, QuitCancelsWhatIsRunning)
{
    make(Network::Icq).onQuit();
    EXPECT_EQ(m_carriage.probeCancels, 1);
    EXPECT_TRUE(m_view.closed);

    m_view.closed = false;
    auto& composer = make(Network::Icq);
    composer.onPeerReady();
    drawStroke(composer);
    composer.onSend(kNow);
    composer.onQuit();
    EXPECT_EQ(m_carriage.sendCancels, 1);
    EXPECT_TRUE(composer.message().isEmpty());
    EXPECT_TRUE(m_view.closed);
}

TEST_F(InkComposerTest, DrawsLiveOpensPalettesAndClearsOnNew)
{
    auto& composer = make(Network::Msn);
    composer.onPeerReady();
    m_view.drawn.calls.clear();
    drawStroke(composer);
    ASSERT_EQ(m_view.drawn.calls.size(), 1u);
    EXPECT_EQ(m_view.drawn.calls[0], testing::lineCall({ 10, 30 }, { 100, 200 }, 3, Rgb {}));

    composer.onPen({ PenAction::Up, 140, 260 });
    ASSERT_FALSE(m_view.palettes.empty());
    EXPECT_EQ(m_view.palettes.back(), std::make_pair(Palette::Colour, true));
    composer.chooseColour(InkToken::Red);
    EXPECT_EQ(m_view.palettes.back(), std::make_pair(Palette::Colour, false));
    EXPECT_EQ(m_view.toolbar.colour, (Rgb { 255, 0, 0 }));

    composer.onNew();
    EXPECT_TRUE(composer.message().isEmpty());
    EXPECT_EQ(m_view.drawn.calls.back(), testing::clearCall());
}

} // namespace
} // namespace pocket::ink
