#include "pc/app/console_commands.h"
#include "pc/app/console_log.h"
#include "pc/app/console_window.h"

#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace pc::app {
namespace {

namespace fs = std::filesystem;

TEST(ConsoleLogMarking, KindsShowAsColoursOnATerminalAndAsAMarkElsewhere)
{
    platform::testing::ManualClock clock;
    const std::string stamp = formatLogStamp(platform::toLocalTime(clock.now()));
    struct Case {
        ConsoleLog::Marking marking;
        std::string shown;
    };
    const Case cases[] = {
        { ConsoleLog::Marking::None, stamp + "started\n" + "failed\n" },
        { ConsoleLog::Marking::Prefix, stamp + "started\n" + "!! failed\n" },
        { ConsoleLog::Marking::Colour,
            "\x1b[1;34m" + stamp + "\x1b[0m" + "started\n" + "\x1b[1;31mfailed\x1b[0m\n" },
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        ConsoleLog log(clock, out, c.marking);
        log.append("started\n", LogSink::kStamped);
        log.append("failed", LogSink::kPlain);
        log.append("never", 7);
        EXPECT_EQ(out.str(), c.shown);
        // What is saved is the pane's text, without marks.
        EXPECT_EQ(log.text(), stamp + "started\nfailed\n");
    }
}

struct NoLauncher final : DesktopLauncher {
    bool openFile(const fs::path& file) override { return opened.push_back(file), true; }
    bool openDateTimeSettings() override { return true; }
    bool runCommand(const std::string&) override { return true; }
    std::vector<fs::path> opened;
};

class ConsoleWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = fs::temp_directory_path() / ("quillon-console-window-" + std::to_string(::getpid()));
        fs::remove_all(m_home);
        fs::create_directories(m_home);
        auto config = loopbackShellConfig(m_home);
        auto created = PcShell::create(loop, log, ui, out, config);
        ASSERT_TRUE(created);
        shell = std::move(*created);
        MainWindowPorts ports { &view, &dialogs, &launcher, &ui, &log, {}, [] { return std::string("10.1.2.3"); } };
        window = std::make_unique<MainWindow>(*shell, loop, ports, m_home);
        window->open(false);
        commands = std::make_unique<ConsoleWindowCommands>(*window, view, out);
        ui.clear();
    }
    void TearDown() override
    {
        commands.reset();
        window.reset();
        shell.reset();
        fs::remove_all(m_home);
    }
    ConsoleWindowCommands::Handled run(std::string_view line) { return commands->handle(splitCommandWords(line)); }

    fs::path m_home;
    platform::testing::ManualClock clock;
    platform::PollEventLoop loop { clock };
    platform::testing::FakeUi ui;
    std::ostringstream out;
    ConsoleLog log { clock, out };
    int closes = 0;
    ConsoleMainView view { [this] { ++closes; } };
    ConsoleDialogs dialogs;
    NoLauncher launcher;
    std::unique_ptr<PcShell> shell;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<ConsoleWindowCommands> commands;
};

TEST_F(ConsoleWindowTest, EveryWindowCommandHasAConsoleCommand)
{
    using Handled = ConsoleWindowCommands::Handled;
    EXPECT_EQ(run("start"), Handled::Yes);
    EXPECT_TRUE(view.state().running);
    EXPECT_EQ(run("stop"), Handled::Yes);
    EXPECT_EQ(view.state(), serverStateFor(false));
    EXPECT_EQ(run("savelog session"), Handled::Yes);
    EXPECT_TRUE(fs::exists(m_home / "boxes" / "log" / "session.txt"));
    EXPECT_EQ(run("viewlog session.txt"), Handled::Yes);
    EXPECT_EQ(launcher.opened, std::vector<fs::path> { m_home / "boxes" / "log" / "session.txt" });
    EXPECT_EQ(run("ip"), Handled::Yes);
    // Stopped: the handheld cannot reach the PC yet.
    EXPECT_TRUE(ui.lastText().starts_with("IP : 10.1.2.3\n서버가 중지되어 있어 PDA가 접근할 수 없습니다.")) << ui.lastText();
    ui.pushAnswer(platform::Answer::Ok);
    EXPECT_EQ(run("clearlog"), Handled::Yes);
    EXPECT_FALSE(log.hasText());
    EXPECT_EQ(run("accounts"), Handled::No); // The settings commands take it.
    EXPECT_EQ(run("savelog"), Handled::Yes);
    EXPECT_NE(out.str().find("savelog FILE"), std::string::npos);
}

TEST_F(ConsoleWindowTest, ExitAsksFirst)
{
    using Handled = ConsoleWindowCommands::Handled;
    window->startServer();
    ui.pushAnswer(platform::Answer::Cancel);
    EXPECT_EQ(run("exit"), Handled::Yes);
    EXPECT_TRUE(shell->isServerRunning());
    EXPECT_EQ(closes, 0);
    ui.pushAnswer(platform::Answer::Ok);
    EXPECT_EQ(run("exit"), Handled::Closed);
    EXPECT_FALSE(shell->isServerRunning());
    EXPECT_EQ(closes, 1);
}

TEST_F(ConsoleWindowTest, CodePageCommandShowsSetsAndRefusesAndAppliesAtTheNextStart)
{
    ConsoleCommands settings(*shell, ui, out);
    auto said = [this](std::string_view line, ConsoleCommands& commands) {
        out.str("");
        commands.handleLine(line);
        return out.str();
    };
    EXPECT_EQ(said("codepage", settings), "code page: UTF-8\n");
    EXPECT_EQ(shell->profile().getString("Quillon", "CodePage", "<missing>"), "UTF-8");
    EXPECT_NE(said("codepage no-such-page", settings).find("unknown code page: no-such-page"), std::string::npos);
    EXPECT_EQ(shell->profile().getString("Quillon", "CodePage", "<missing>"), "UTF-8");
    EXPECT_NE(said("codepage cp949", settings).find("code page: CP949 (applies at the next start"), std::string::npos);
    EXPECT_EQ(shell->profile().getString("Quillon", "CodePage", "<missing>"), "CP949");
    EXPECT_EQ(said("codepage", settings), "code page: UTF-8 (CP949 from the next start)\n");
    EXPECT_EQ(shell->service().codePage(), "UTF-8");

    commands.reset();
    window.reset();
    shell.reset();
    auto again = PcShell::create(loop, log, ui, out, loopbackShellConfig(m_home));
    ASSERT_TRUE(again);
    EXPECT_EQ((*again)->codePage(), "CP949");
    EXPECT_EQ((*again)->service().codePage(), "CP949");
    EXPECT_EQ((*again)->mailRelay().store().codePage(), "CP949");
}

} // namespace
} // namespace pc::app
