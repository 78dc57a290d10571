#include "pocket/link/pc_link.h"

#include "platform/poll_event_loop.h"
#include "platform/registry.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/link/login_dialog.h"
#include "pocket/link/testing/fake_views.h"
#include "pocket/link/testing/loopback.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/settings/settings_store.h"
#include "proto/command_codes.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace pocket::link {
namespace {

using namespace std::chrono_literals;
using testing::answerRecord;
using testing::requestWire;
using platform::Answer;

// A PC link wired as the handheld wires it, against a scripted PC on loopback.
class PcLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_settings.serverIp = "127.0.0.1";
        m_settings.pcPort = m_pc.port();
        ASSERT_TRUE(m_store.createKey());
        m_link.prepare();
    }

    void TearDown() override
    {
        if (m_peer >= 0)
            ::close(m_peer);
    }

    // Logs in through the dialog and answers with `answerText`.
    void logIn(std::string answerText, int first = 1)
    {
        ASSERT_TRUE(m_dialog.connect("kim", "secret", false));
        m_peer = m_pc.accept();
        ASSERT_GE(m_peer, 0);
        EXPECT_EQ(testing::receiveUntilNul(m_peer), requestWire(0, 310, "kim\nsecret"));
        testing::sendAll(m_peer, answerRecord(first, 310, std::move(answerText)));
        ASSERT_TRUE(runUntil([&] { return m_ui.callCount() > 0; }));
    }

    bool runUntil(const std::function<bool()>& done) { return m_loop.runUntil(done, 5s); }

    // Waits until the reader has read everything and ended.
    bool waitForReaderEnd()
    {
        auto deadline = std::chrono::steady_clock::now() + 5s;
        while (m_link.isReaderRunning() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        return !m_link.isReaderRunning();
    }

    platform::testing::ManualClock m_clock;
    platform::PollEventLoop m_loop { m_clock };
    platform::testing::FakeUi m_ui;
    testing::LoopbackListener m_pc;
    testing::FakePcLinkView m_view;
    testing::FakeLoginView m_loginView;
    std::unique_ptr<platform::Registry> m_registry = platform::Registry::inMemory();
    device::DeviceRoot m_device { "/nonexistent-device-root" };
    settings::SettingsStore m_store { *m_registry, m_device };
    settings::PdaSettings m_settings;
    std::vector<std::chrono::milliseconds> m_pauses;
    PcLink m_link { m_loop, m_ui, m_settings, m_view, [this](std::chrono::milliseconds p) { m_pauses.push_back(p); } };
    LoginDialog m_dialog { m_link, m_store, m_settings, m_ui, m_loginView };
    int m_peer = -1;
};

TEST_F(PcLinkTest, RefusedLogInKeepsTheUserLoggedOut)
{
    logIn("NO", 0);
    EXPECT_EQ(m_ui.lastText(),
        "PC프로그램의 사용자 정보와, PDA 사용자 정보가 일치하지 않습니다.\n정확한 정보입력을 하신후 다시 시도해주세요!");
    EXPECT_EQ(m_ui.calls().back().icon, platform::Icon::Information);
    EXPECT_FALSE(m_link.isLoggedIn());
    EXPECT_TRUE(m_link.isConnected()); // The connection stays open.
    EXPECT_FALSE(m_view.connectedMenu);
    // The dialog stays open for another try: the id kept, the password
    // emptied and in focus.
    EXPECT_FALSE(m_loginView.closed);
    EXPECT_EQ(m_loginView.id, "kim");
    EXPECT_EQ(m_loginView.password, "");
    EXPECT_EQ(m_loginView.focus, "password");
    EXPECT_FALSE(m_dialog.isAwaitingAnswer());
    EXPECT_EQ(m_view.linkStates, (std::vector<LinkState> { LinkState::Offline, LinkState::Connecting, LinkState::Offline }));
    // Opened again (with "save" off), it still names the id typed.
    m_loginView.id.clear();
    m_dialog.show();
    EXPECT_EQ(m_loginView.id, "kim");
    EXPECT_EQ(m_loginView.focus, "password");
}

TEST_F(PcLinkTest, LoginDialogWaitsForTheAnswerAndACancelForgetsIt)
{
    ASSERT_TRUE(m_dialog.connect("kim", "secret", false));
    EXPECT_FALSE(m_loginView.closed); // Open until the PC answers.
    EXPECT_TRUE(m_dialog.isAwaitingAnswer());
    EXPECT_EQ(m_view.linkStates.back(), LinkState::Connecting);
    m_dialog.cancel();
    EXPECT_TRUE(m_loginView.closed);
    m_loginView.closed = false;
    m_peer = m_pc.accept();
    ASSERT_GE(m_peer, 0);
    (void)testing::receiveUntilNul(m_peer);
    testing::sendAll(m_peer, answerRecord(1, 310, "NO"));
    ASSERT_TRUE(runUntil([&] { return m_ui.callCount() > 0; }));
    // A refusal after the cancel leaves the closed dialog alone.
    EXPECT_EQ(m_loginView.focus, "");
    EXPECT_FALSE(m_loginView.closed);
}

TEST_F(PcLinkTest, LogInAnswerGivesTheDrivesInUpperCase)
{
    logIn("YES\\c:d:E:\\\\", 2);
    EXPECT_EQ(m_ui.lastText(), "로그인되었습니다.");
    EXPECT_TRUE(m_link.isLoggedIn());
    EXPECT_EQ(m_link.mailClientKind(), 2);
    EXPECT_EQ(m_view.treeRoots, (std::vector<std::string> { "PDA", "C:", "D:", "E:" }));
    EXPECT_TRUE(m_view.connectedMenu);
    EXPECT_TRUE(m_loginView.closed);
    EXPECT_EQ(m_view.linkStates.back(), LinkState::LoggedIn);
}

TEST_F(PcLinkTest, LogInAnswerWithoutBackslashIsMalformed)
{
    logIn("YES");
    EXPECT_EQ(m_ui.lastText(), "로그인 초기화 실패.\npc 프로그램의 버전이 최신 버전인지 확인해 주십시오.");
    EXPECT_FALSE(m_link.isLoggedIn());
}

TEST_F(PcLinkTest, AnswersTheKeepAliveAtOnce)
{
    logIn("YES\\C:\\\\");
    testing::sendAll(m_peer, answerRecord(0, proto::kCodeKeepAlive, ""));
    ASSERT_TRUE(runUntil([&] { return testing::isReadable(m_peer); }));
    EXPECT_EQ(testing::receiveUntilNul(m_peer), requestWire(0, 328, ""));
}

TEST_F(PcLinkTest, StoppedServiceResetsTheLink)
{
    logIn("YES\\C:D:\\\\");
    int resets = 0;
    m_link.addResetListener([&] { ++resets; });
    testing::sendAll(m_peer, answerRecord(0, proto::kCodeServiceStopping, ""));
    ::close(m_peer);
    m_peer = -1;
    ASSERT_TRUE(runUntil([&] { return !m_link.isConnected(); }));
    EXPECT_EQ(m_ui.lastText(), "서버 연결이 종료되었습니다.");
    EXPECT_EQ(m_view.treeRoots, std::vector<std::string> { "PDA" });
    EXPECT_FALSE(m_view.connectedMenu);
    EXPECT_FALSE(m_link.isLoggedIn());
    EXPECT_TRUE(m_link.drives().empty());
    EXPECT_EQ(resets, 1);
}

TEST_F(PcLinkTest, KeepAliveAnsweredAfterTheStopStillShowsTheStop)
{
    logIn("YES\\C:\\\\");
    // The PC probes, stops and closes hard before the handheld replies.
    testing::sendAll(m_peer, answerRecord(0, proto::kCodeKeepAlive, "")
            + answerRecord(0, proto::kCodeServiceStopping, ""));
    linger hard { 1, 0 };
    ::setsockopt(m_peer, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(m_peer);
    m_peer = -1;
    ASSERT_TRUE(runUntil([&] { return !m_link.isConnected(); }));
    for (const auto& call : m_ui.calls())
        EXPECT_NE(call.text, "네트웍 문제나 서버와 연결이 종료되어 메세지를 보낼 수 없습니다.");
    EXPECT_EQ(m_ui.lastText(), "서버 연결이 종료되었습니다.");
    EXPECT_FALSE(m_link.isLoggedIn());
}

TEST_F(PcLinkTest, LateAnswerAfterItsTimeOutIsIgnored)
{
    logIn("YES\\C:\\\\");
    std::vector<int> handled;
    int timeouts = 0;
    m_link.setHandler(proto::kCodeListFolder, [&](const proto::PcAnswer& answer) {
        if (m_link.treeRequest().acceptAnswer(answer.first))
            handled.push_back(answer.first);
    });
    m_link.setTreeTimeoutHandler([&] { ++timeouts; });

    int number = m_link.treeRequest().current();
    ASSERT_TRUE(m_link.sendRequest(number, proto::kCodeListFolder, "C:\\"));
    m_link.treeRequest().startTimer();
    EXPECT_EQ(testing::receiveUntilNul(m_peer), requestWire(number, 306, "C:\\"));
    m_clock.advance(59s);
    m_loop.processPending();
    EXPECT_EQ(timeouts, 0);
    m_clock.advance(1s);
    m_loop.processPending();
    EXPECT_EQ(timeouts, 1);

    testing::sendAll(m_peer, answerRecord(number, proto::kCodeListFolder, ".0a.txt\n\n"));
    testing::sendAll(m_peer, answerRecord(number + 1, proto::kCodeListFolder, ".0b.txt\n\n"));
    ASSERT_TRUE(runUntil([&] { return !handled.empty(); }));
    EXPECT_EQ(handled, std::vector<int> { number + 1 });
}

TEST_F(PcLinkTest, FiftySecondQueuedAnswerIsDropped)
{
    logIn("YES\\C:\\\\");
    std::vector<int> handled;
    m_link.setHandler(999, [&](const proto::PcAnswer& answer) { handled.push_back(answer.first); });
    std::string burst;
    for (int i = 0; i < 52; ++i)
        burst += answerRecord(i, 999, "x");
    testing::sendAll(m_peer, burst);
    ::close(m_peer);
    m_peer = -1;
    ASSERT_TRUE(waitForReaderEnd()); // Nothing handled yet: the window thread waited.
    EXPECT_EQ(m_link.queuedAnswers(), 51u);
    ASSERT_TRUE(runUntil([&] { return !m_link.isConnected(); }));
    ASSERT_EQ(handled.size(), 51u);
    EXPECT_EQ(handled.front(), 0);
    EXPECT_EQ(handled.back(), 50);
}

TEST_F(PcLinkTest, SendWithoutConnectionReportsAndResets)
{
    EXPECT_FALSE(m_link.sendRequest(0, proto::kCodeCheckMail, ""));
    EXPECT_EQ(m_ui.lastText(), "서버와 연결이 안된 상태입니다. 접속해주세요.");
    EXPECT_EQ(m_view.treeResets, 1);
}

TEST_F(PcLinkTest, LogoutAsksThenNamesThePc)
{
    logIn("YES\\C:\\\\");
    m_ui.pushAnswer(Answer::Cancel);
    m_link.logout();
    m_ui.pushAnswer(Answer::Ok);
    m_link.logout();
    EXPECT_EQ(testing::receiveUntilNul(m_peer), requestWire(0, 311, "127.0.0.1"));
}

TEST_F(PcLinkTest, LoginDialogChecksItsFieldsInOrder)
{
    struct Case {
        const char* serverIp;
        const char* id;
        const char* password;
        const char* message;
        const char* focus;
    };
    const Case cases[] = {
        { "", "kim", "pw", "환경 설정에서 PC IP 를 입력해 주십시오.", "" },
        { "127.0.0.1", "", "", "아이디를 입력해주세요.", "id" },
        { "127.0.0.1", "kim", "", "비밀번호를 입력해주세요.", "password" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        m_settings.serverIp = c.serverIp;
        m_loginView.focus.clear();
        EXPECT_FALSE(m_dialog.connect(c.id, c.password, true));
        EXPECT_EQ(m_ui.lastText(), c.message);
        EXPECT_EQ(m_ui.calls().back().title, "Quillon");
        EXPECT_EQ(m_loginView.focus, c.focus);
        EXPECT_FALSE(m_loginView.closed);
    }
}

TEST_F(PcLinkTest, LoginDialogReportsFiveFailedAttempts)
{
    m_settings.pcPort = testing::closedLoopbackPort();
    EXPECT_FALSE(m_dialog.connect("kim", "pw", true));
    EXPECT_EQ(m_pauses.size(), 4u);
    EXPECT_EQ(m_ui.calls().back().title, "Quillon - 접속 실패!");
    // The causes, then what was tried and why it failed.
    EXPECT_EQ(m_ui.lastText(), "원인..\n1.PC 프로그램이 실행되어있지 않았을 경우.\n2.PC의 IP가 사설IP일 경우.\n"
                               "3.PDA가 인터넷에 연결되어있지 않을 경우.\n\n127.0.0.1:"
            + std::to_string(m_settings.pcPort) + " — 연결이 거부되었습니다");
    EXPECT_FALSE(m_loginView.closed);
    EXPECT_EQ(m_view.linkStates.back(), LinkState::Offline);
    // The log-in was stored before connecting.
    EXPECT_EQ(m_registry->getDword(settings::kSettingsKey, "save"), 1u);
    EXPECT_EQ(m_registry->getString(settings::kSettingsKey, "MY_ID"), "kim");
}

TEST_F(PcLinkTest, LoginDialogNamesAnAddressThatIsNone)
{
    m_settings.serverIp = "my pc";
    EXPECT_FALSE(m_dialog.connect("kim", "pw", true));
    const std::string text = m_ui.lastText();
    EXPECT_NE(text.find("\n\nmy pc:"), std::string::npos) << text;
    EXPECT_NE(text.find(" — 주소가 올바르지 않습니다"), std::string::npos) << text;
}

TEST_F(PcLinkTest, LoginDialogShowsTheRememberedLogIn)
{
    m_settings.save = 1;
    m_settings.myId = "kim";
    m_settings.myPassword = "pw";
    m_dialog.show();
    EXPECT_EQ(m_loginView.id, "kim");
    EXPECT_TRUE(m_loginView.remember);
    m_settings.save = 0;
    m_dialog.show();
    EXPECT_EQ(m_loginView.id, "");
    EXPECT_FALSE(m_loginView.remember);
}

TEST(ParseDriveList, CutsTwoCharacterNames)
{
    struct Case {
        const char* text;
        std::vector<std::string> drives;
    };
    const Case cases[] = {
        { "YES\\C:D:E:", { "C:", "D:", "E:" } },
        { "x\\c:d:\\\\", { "C:", "D:" } },
        { "YES\\\\\\", {} },
        { "YES\\C:D", { "C:" } },
        { "YES\\A:B:C:D:E:F:G:H:I:J:K:L:", { "A:", "B:", "C:", "D:", "E:", "F:", "G:", "H:", "I:", "J:" } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseDriveList(c.text), c.drives) << c.text;
}

} // namespace
} // namespace pocket::link
