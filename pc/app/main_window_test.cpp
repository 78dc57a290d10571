#include "pc/app/main_window.h"

#include "pc/app/log_pane.h"
#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

namespace pc::app {
namespace {

using platform::Answer;
using platform::Icon;
namespace fs = std::filesystem;

struct RecordingLogView final : LogView {
    void appendRuns(const std::vector<LogRun>& runs) override { entries.push_back(runs); }
    void clearLog() override { entries.clear(); }
    std::vector<std::vector<LogRun>> entries;
};

struct RecordingMainView final : MainView {
    void showServerState(const ServerState& state) override { states.push_back(state); }
    void setDateLabel(const std::string& text) override { date = text; }
    void hideWindow() override { hidden = true; }
    void showWindow() override { hidden = false; ++shown; }
    void closeWindow() override { closed = true; }
    std::vector<ServerState> states;
    std::string date;
    bool hidden = false;
    int shown = 0;
    bool closed = false;
};

struct ScriptedDialogs final : ShellDialogs {
    bool runLogin(LoginDialog& dialog) override
    {
        order->push_back("login");
        if (!login)
            return false;
        dialog.open();
        return dialog.accept(*login);
    }
    bool runSettings(SettingsDialog&) override { return false; }
    std::optional<fs::path> chooseLogToView(const fs::path& folder) override
    {
        offeredFolder = folder;
        return chosen;
    }
    std::optional<fs::path> chooseLogToSave(const fs::path& folder) override
    {
        offeredFolder = folder;
        return chosen;
    }
    std::vector<std::string>* order = nullptr;
    std::optional<LoginEntry> login = LoginEntry { "kim", "secret", false, false };
    std::optional<fs::path> chosen;
    fs::path offeredFolder;
};

struct RecordingLauncher final : DesktopLauncher {
    bool openFile(const fs::path& file) override
    {
        opened.push_back(file);
        return works;
    }
    bool openDateTimeSettings() override { return ++dateTimeOpened, works; }
    bool runCommand(const std::string& command) override { return commands.push_back(command), true; }
    std::vector<fs::path> opened;
    int dateTimeOpened = 0;
    std::vector<std::string> commands;
    bool works = true; // False: the desktop has no program for it.
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = fs::temp_directory_path() / ("quillon-main-window-" + std::to_string(::getpid()) + "-"
                     + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_home);
        fs::create_directories(m_home);
        dialogs.order = &order;
    }
    void TearDown() override
    {
        window.reset();
        shell.reset();
        fs::remove_all(m_home);
    }

    // Builds the shell and the window; the profile may be written before.
    void build(UpdateOutcome update = UpdateOutcome::NoUpdate)
    {
        auto config = loopbackShellConfig(m_home);
        auto created = PcShell::create(loop, log, ui, accessLog, config);
        ASSERT_TRUE(created) << platform::describe(created.error());
        shell = std::move(*created);
        MainWindowPorts ports { &view, &dialogs, &launcher, &ui, &log,
            [this, update] {
                order.push_back("update");
                return update;
            },
            [this] { return address; } };
        window = std::make_unique<MainWindow>(*shell, loop, ports, m_home);
        ui.clear();
    }

    void writeProfile(const std::string& key, const std::string& value)
    {
        platform::Profile profile(m_home / "Quillon.ini");
        ASSERT_TRUE(profile.writeString("Quillon", key, value));
    }

    std::string logText() const { return log.text(); }

    fs::path m_home;
    platform::testing::ManualClock clock;
    platform::PollEventLoop loop { clock };
    platform::testing::FakeUi ui;
    RecordingLogView logView;
    LogPane log { loop, logView };
    std::ostringstream accessLog;
    RecordingMainView view;
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    std::vector<std::string> order;
    std::string address = "192.168.0.7";
    std::unique_ptr<PcShell> shell;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, StartupTimerRunsUpdateCheckLoginTipAndStartInOrder)
{
    writeProfile("kim_check2", "true");
    build();
    window->open();
    EXPECT_EQ(view.states.back(), serverStateFor(false));
    clock.advance(std::chrono::milliseconds(99));
    EXPECT_TRUE(order.empty());
    clock.advance(std::chrono::milliseconds(1));
    EXPECT_EQ(order, (std::vector<std::string> { "update", "login" }));
    EXPECT_EQ(shell->loginId(), "kim");
    EXPECT_TRUE(shell->isServerRunning());
    EXPECT_EQ(view.states.back(), serverStateFor(true));
    // The tip comes first, in a pane that was empty: no line break before it.
    ASSERT_GE(logView.entries.size(), 2u);
    EXPECT_EQ(logView.entries[0].at(0).style, LogStyle::Stamp);
    EXPECT_EQ(logView.entries[0].at(1).text, kLoginTip);
    // The timer ran once.
    clock.advance(std::chrono::seconds(1));
    EXPECT_EQ(order.size(), 2u);
}

TEST_F(MainWindowTest, TipFollowsEarlierTextAfterALineBreakAndServerStaysStoppedWithoutTheOption)
{
    build();
    log.append("earlier", LogSink::kPlain);
    EXPECT_EQ(window->runStartup(), StartupOutcome::Ready);
    EXPECT_FALSE(shell->isServerRunning());
    EXPECT_EQ(logView.entries.at(1).at(0), (LogRun { LogStyle::Text, "\n" }));
    EXPECT_EQ(logView.entries.at(1).at(2).text, kLoginTip);
}

TEST_F(MainWindowTest, UpdateOrCancelledLoginClosesTheWindow)
{
    build(UpdateOutcome::UpdateChosen);
    EXPECT_EQ(window->runStartup(), StartupOutcome::UpdateChosen);
    EXPECT_EQ(order, std::vector<std::string> { "update" });
    EXPECT_TRUE(view.closed);

    window.reset();
    shell.reset();
    order.clear();
    view.closed = false;
    dialogs.login.reset();
    build();
    EXPECT_EQ(window->runStartup(), StartupOutcome::LoginCancelled);
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(logText(), "");
}

TEST_F(MainWindowTest, StartAndStopShowTheStateEverywhere)
{
    const ServerState running = serverStateFor(true);
    EXPECT_EQ(running.title, "Quillon - 서버구동");
    EXPECT_EQ(running.trayTip, "Quillon - 서버구동");
    EXPECT_EQ(running.status, "서버구동");
    EXPECT_FALSE(running.startEnabled);
    EXPECT_TRUE(running.stopEnabled);
    const ServerState stopped = serverStateFor(false);
    EXPECT_EQ(stopped.title, "Quillon - 서버중지");
    EXPECT_EQ(stopped.status, "서버중지");
    EXPECT_TRUE(stopped.startEnabled);
    EXPECT_FALSE(stopped.stopEnabled);

    build();
    struct Step {
        int command;
        bool running;
    };
    const Step steps[] = {
        { command::kStartServer, true },
        { command::kStopServer, false },
        { command::kTrayStartServer, true },
        { command::kTrayStopServer, false },
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.command);
        EXPECT_TRUE(window->onCommand(step.command));
        EXPECT_EQ(shell->isServerRunning(), step.running);
        EXPECT_EQ(view.states.back(), serverStateFor(step.running));
    }
    EXPECT_NE(logText().find("PC 서버를 시작합니다..\n"), std::string::npos);
    EXPECT_NE(logText().find("PC 서버를 종료합니다..\n"), std::string::npos);
    EXPECT_FALSE(window->onCommand(4242));
}

TEST_F(MainWindowTest, SavesTheLogWithTxtAddedWhenMissing)
{
    build();
    log.append("first line\n", LogSink::kStamped);
    log.append("alert", LogSink::kPlain);
    struct Case {
        const char* chosen;
        const char* written;
    };
    const Case cases[] = {
        { "plain", "plain.txt" },
        { "kept.txt", "kept.txt" },
        { "upper.TXT", "upper.TXT" },
        { "other.log", "other.log.txt" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        ui.clear();
        dialogs.chosen = fs::path(c.chosen);
        window->onCommand(command::kSaveLog);
        EXPECT_EQ(dialogs.offeredFolder, m_home / "boxes" / "log");
        std::ifstream file(window->logFolder() / c.written, std::ios::binary);
        std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(written, logText());
        EXPECT_EQ(ui.lastText(), "로그 데이터를 저장하였습니다.");
    }
    ui.clear();
    EXPECT_FALSE(window->saveLogTo(m_home / "missing-folder" / "x.txt"));
    EXPECT_EQ(ui.lastText(), "로그 데이터를 저장하는데 실패하였습니다. 다시 시도해주십시오.");
    // A cancelled dialog does nothing.
    ui.clear();
    dialogs.chosen.reset();
    window->onCommand(command::kSaveLog);
    EXPECT_EQ(ui.callCount(), 0u);
}

TEST_F(MainWindowTest, ViewsOnlyTxtFiles)
{
    build();
    struct Case {
        const char* chosen;
        bool opens;
    };
    const Case cases[] = { { "a.txt", true }, { "b.TxT", true }, { "c.log", false }, { "txt", false },
        { "d.txt.bak", false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        ui.clear();
        launcher.opened.clear();
        dialogs.chosen = window->logFolder() / c.chosen;
        window->onCommand(command::kViewLog);
        EXPECT_EQ(launcher.opened.size(), c.opens ? 1u : 0u);
        EXPECT_EQ(ui.lastText(), c.opens ? "" : "TXT 형식의 문서만 볼 수 있습니다.");
    }
}

TEST_F(MainWindowTest, ClearAsksWithCancelAsDefaultAndEmptiesThePaneOnlyOnOk)
{
    build();
    log.append("something\n", LogSink::kStamped);
    // Cancel, or a dismissed question (Escape), keeps every line.
    for (std::optional<Answer> answer : { std::optional(Answer::Cancel), std::optional<Answer>() }) {
        ui.clear();
        if (answer)
            ui.pushAnswer(*answer);
        window->onCommand(command::kClearLog);
        ASSERT_EQ(ui.calls().size(), 1u);
        EXPECT_TRUE(ui.calls()[0].isQuestion);
        EXPECT_EQ(ui.calls()[0].text, "접속 로그를 지웁니다.");
        EXPECT_EQ(ui.calls()[0].icon, Icon::Warning);
        EXPECT_EQ(ui.calls()[0].buttons, platform::Buttons::OkCancel);
        EXPECT_EQ(ui.calls()[0].defaultAnswer, Answer::Cancel);
        EXPECT_TRUE(log.hasText());
    }
    ui.pushAnswer(Answer::Ok);
    window->onCommand(command::kClearLog);
    EXPECT_FALSE(log.hasText());
    EXPECT_TRUE(logView.entries.empty());
}

TEST_F(MainWindowTest, ButtonsWithoutADesktopProgramSaySo)
{
    build();
    launcher.works = false;
    dialogs.chosen = fs::path("saved.txt");
    window->onCommand(command::kViewLog);
    EXPECT_EQ(ui.lastText(),
        "로그 파일을 열 수 없습니다: 이 데스크톱에는 텍스트 파일을 열 프로그램(xdg-open)이 없습니다.\n"
            + (window->logFolder() / "saved.txt").string());
    window->onCommand(command::kDateTime);
    EXPECT_EQ(ui.lastText(),
        "날짜와 시간 설정을 열 수 없습니다: 이 데스크톱에서 날짜와 시간 설정 프로그램을 찾지 못했습니다.");
    EXPECT_EQ(ui.calls().back().icon, Icon::Warning);
}

TEST_F(MainWindowTest, ExitQuestionCancelKeepsTheServerRunningAndOkStopsIt)
{
    build();
    window->startServer();
    ui.pushAnswer(Answer::Cancel);
    EXPECT_FALSE(window->requestClose());
    EXPECT_EQ(ui.lastText(), "종료하시겠습니까?");
    EXPECT_TRUE(shell->isServerRunning());
    EXPECT_FALSE(view.closed);

    ui.pushAnswer(Answer::Ok);
    window->onCommand(command::kTrayExit);
    EXPECT_FALSE(shell->isServerRunning());
    EXPECT_TRUE(view.closed);
}

TEST_F(MainWindowTest, ShowsTheAddressWithThePortsAndWhetherTheServerServes)
{
    build();
    // Stopped: the handheld cannot reach it yet; the ports it will use.
    shell->setListenPorts({ 4100, 4140, 8091 });
    window->onCommand(command::kShowAddress);
    EXPECT_EQ(ui.lastText(),
        "IP : 192.168.0.7\n서버가 중지되어 있어 PDA가 접근할 수 없습니다. 메뉴의 \"연결-서버시작\"으로 서버를 "
        "시작하십시오.\n서버를 시작하면 사용할 포트: 명령 4100, 업로드 4140, 웹 8091");
    EXPECT_EQ(ui.calls().back().icon, Icon::Warning);

    // Running: the ports it listens on.
    shell->setListenPorts({ 0, 0, 0 });
    ASSERT_TRUE(window->startServer());
    auto ports = shell->boundPorts();
    ASSERT_NE(ports.command, 0);
    window->onCommand(command::kShowAddress);
    EXPECT_EQ(ui.lastText(), "IP : 192.168.0.7\nPDA접근이 가능한 상태입니다.\n포트: 명령 " + std::to_string(ports.command)
            + ", 업로드 " + std::to_string(ports.upload) + ", 웹 " + std::to_string(ports.web));
    EXPECT_EQ(ui.calls().back().icon, Icon::None);
    EXPECT_NE(logText().find("포트: 명령 " + std::to_string(ports.command) + ", 업로드 "), std::string::npos);
    window->stopServer();
    address.clear();
    window->onCommand(command::kShowAddress);
    EXPECT_EQ(ui.lastText(), "IP 정보를 알수가 없습니다. 인터넷 사용이 가능한지 체크해 주십시오.");
    EXPECT_EQ(ui.calls().back().icon, Icon::Warning);
}

TEST_F(MainWindowTest, DateLabelRefreshesEverySixtySecondsAndOpensTheSettings)
{
    // Within a day the date changes, whatever the time zone.
    platform::LocalTime start = platform::toLocalTime(clock.now());
    build();
    window->open(false);
    EXPECT_EQ(view.date, std::to_string(start.year) + "년 " + std::to_string(start.month) + "월 "
            + std::to_string(start.day) + "일");
    clock.advance(std::chrono::hours(24) - std::chrono::seconds(1));
    auto later = platform::toLocalTime(clock.now());
    EXPECT_EQ(view.date, std::to_string(later.year) + "년 " + std::to_string(later.month) + "월 "
            + std::to_string(later.day) + "일");
    window->onDateLabelClicked();
    window->onCommand(command::kDateTime);
    EXPECT_EQ(launcher.dateTimeOpened, 2);
}

TEST_F(MainWindowTest, HidingAndActivating)
{
    build();
    window->onHideKey();
    EXPECT_TRUE(view.hidden);
    window->onTrayDoubleClick();
    EXPECT_FALSE(view.hidden);
    window->onHideKey();
    window->onCommand(command::kTrayActivate);
    EXPECT_FALSE(view.hidden);
    EXPECT_EQ(view.shown, 2);
}

TEST(LogEntry, FormatsBothKindsAndIgnoresOthers)
{
    platform::LocalTime time { 2026, 1, 5, 9, 3, 7, 0, 1 };
    const std::string stamp = "2026/1/5 9시3분7초   ";
    EXPECT_EQ(formatLogStamp(time), stamp);
    struct Case {
        const char* text;
        int kind;
        std::vector<LogRun> runs;
    };
    const Case cases[] = {
        { "PC 서버를 시작합니다..\n", 1, { { LogStyle::Stamp, stamp }, { LogStyle::Text, "PC 서버를 시작합니다..\n" } } },
        { "\nThis Computer IP : 1.2.3.4\n", 1,
            { { LogStyle::Text, "\n" }, { LogStyle::Stamp, stamp }, { LogStyle::Text, "This Computer IP : 1.2.3.4\n" } } },
        { "no break", 1, { { LogStyle::Stamp, stamp }, { LogStyle::Text, "no break\n" } } },
        { "실패\n", 0, { { LogStyle::Alert, "실패\n" } } },
        { "\n\n", 0, { { LogStyle::Text, "\n\n" }, { LogStyle::Alert, "\n" } } },
        { "ignored", 2, {} },
        { "ignored", -1, {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(formatLogEntry(c.text, c.kind, time), c.runs);
    }
}

TEST(LogPane, EntriesFromWorkerThreadsReachTheViewOnTheWindowThreadInOrder)
{
    platform::testing::ManualClock clock;
    platform::PollEventLoop loop(clock);
    RecordingLogView view;
    LogPane pane(loop, view);
    pane.append("window\n", LogSink::kPlain);
    std::thread worker([&] {
        pane.append("worker 1\n", LogSink::kPlain);
        pane.append("worker 2\n", LogSink::kPlain);
    });
    worker.join();
    // The text is there at once; the view hears of it on the window thread.
    EXPECT_EQ(pane.text(), "window\nworker 1\nworker 2\n");
    EXPECT_EQ(view.entries.size(), 1u);
    loop.processPending();
    ASSERT_EQ(view.entries.size(), 3u);
    EXPECT_EQ(view.entries[2].at(0).text, "worker 2\n");
}

} // namespace
} // namespace pc::app
