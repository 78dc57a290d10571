// quillon-screenshots OUT_DIR
//
// Renders the PC program's windows offscreen into PNG files, so that their
// look can be reviewed without a display: the main window with the server
// running and a few log lines, the login dialog, and both pages of the
// settings dialog. The windows run over the real shell in a temporary home
// folder, with the server listening on loopback only, at a fixed date.

#include "gui/korean_font.h"
#include "gui/pc/qt_login_dialog.h"
#include "gui/pc/qt_main_window.h"
#include "gui/pc/qt_settings_dialog.h"
#include "gui/qt_event_loop.h"
#include "gui/qt_translations.h"
#include "pc/app/log_pane.h"
#include "pc/app/main_window.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// 2026-03-14 10:24:05 local time, so that every run draws the same date.
class FixedClock final : public platform::Clock {
public:
    FixedClock()
    {
        std::tm local {};
        local.tm_year = 2026 - 1900;
        local.tm_mon = 2;
        local.tm_mday = 14;
        local.tm_hour = 10;
        local.tm_min = 24;
        local.tm_sec = 5;
        local.tm_isdst = -1;
        m_now = platform::WallTime(std::chrono::seconds(std::mktime(&local)));
    }
    platform::WallTime now() const override { return m_now; }
    platform::Ticks ticks() const override { return m_system.ticks(); }
    void advance(std::chrono::seconds step) { m_now += step; }

private:
    platform::WallTime m_now;
    platform::SystemClock m_system;
};

// Answers nothing: the tool never opens a dialog through the window.
struct QuietUi final : platform::Ui {
    void messageBox(std::string_view, std::string_view, platform::Icon) override { }
    platform::Answer question(std::string_view, std::string_view, platform::Buttons buttons, platform::Icon) override
    {
        return platform::dismissAnswer(buttons);
    }
};

struct NoDialogs final : pc::app::ShellDialogs {
    bool runLogin(pc::app::LoginDialog&) override { return false; }
    bool runSettings(pc::app::SettingsDialog&) override { return false; }
    std::optional<fs::path> chooseLogToView(const fs::path&) override { return {}; }
    std::optional<fs::path> chooseLogToSave(const fs::path&) override { return {}; }
};

struct NoLauncher final : pc::app::DesktopLauncher {
    bool openFile(const fs::path&) override { return true; }
    bool openDateTimeSettings() override { return true; }
    bool runCommand(const std::string&) override { return true; }
};

bool save(QWidget& widget, const fs::path& file)
{
    widget.show();
    QApplication::processEvents();
    // The offscreen platform draws no window frame; a plain title bar shows
    // the window's title and icon as a desktop would.
    QPixmap content = widget.grab();
    const int bar = 30;
    QPixmap picture(content.width() + 2, content.height() + bar + 1);
    picture.fill(QColor(0x4a, 0x55, 0x66));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(0, 0, picture.width(), bar), QColor(0x2f, 0x3a, 0x4b));
    widget.windowIcon().paint(&painter, QRect(8, 6, 18, 18));
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.setPen(Qt::white);
    painter.drawText(QRect(34, 0, picture.width() - 40, bar), Qt::AlignVCenter | Qt::AlignLeft, widget.windowTitle());
    painter.drawPixmap(1, bar, content);
    painter.end();
    if (!picture.save(QString::fromStdString(file.string()), "PNG")) {
        std::cerr << "quillon-screenshots: cannot write " << file << "\n";
        return false;
    }
    std::cout << file.string() << "\n";
    return true;
}

// The log a short session leaves: the tip, the start, a handheld that logs
// in, looks around and logs out, and one refused request.
void writeSession(pc::app::MainWindow& window, pc::app::LogPane& log, FixedClock& clock)
{
    log.append(pc::app::kLoginTip, pc::app::LogSink::kStamped);
    window.startServer();
    clock.advance(std::chrono::seconds(74));
    log.appendLog("사용자가 PC 연결을 시도합니다..\n");
    log.appendLog("접속 IP: 192.168.0.23\n사용자 인증을 완료하였습니다..\n");
    clock.advance(std::chrono::seconds(200));
    log.appendLog("접속 IP: 192.168.0.41\n로그인하지 않은 주소의 요청(306)을 무시합니다..\n");
    log.append("메일서버 pop.example.com 에 연결할 수 없습니다.", pc::app::LogSink::kPlain);
    clock.advance(std::chrono::seconds(31));
    log.appendLog("PDA 사용자 로그아웃\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: quillon-screenshots OUT_DIR\n";
        return 2;
    }
    fs::path out = argv[1];
    std::error_code error;
    fs::create_directories(out, error);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    gui::loadQtKoreanTranslations(app);
    if (!gui::useKoreanFont(app))
        std::cerr << "quillon-screenshots: no Korean font found (install fonts-nanum)\n";

    fs::path home = fs::temp_directory_path() / ("quillon-screenshots-" + std::to_string(::getpid()));
    fs::remove_all(home, error);
    fs::create_directories(home);
    int status = 0;
    {
        FixedClock clock;
        gui::QtEventLoop loop(clock);
        QuietUi ui;
        gui::pc::QtMainWindow view;
        pc::app::LogPane log(loop, view);
        std::ostringstream accessLog;
        auto config = pc::app::loopbackShellConfig(home);
        auto shell = pc::app::PcShell::create(loop, log, ui, accessLog, config);
        if (!shell) {
            std::cerr << "quillon-screenshots: " << platform::describe(shell.error()) << "\n";
            return 1;
        }
        NoDialogs dialogs;
        NoLauncher launcher;
        pc::app::MainWindowPorts ports { &view, &dialogs, &launcher, &ui, &log, {}, [] { return std::string(); } };
        pc::app::MainWindow window(**shell, loop, ports, home);
        view.setController(&window);
        window.open(false);
        // The address line shows the PC's address as a handheld would use it.
        (*shell)->onLoggedIn({ "quillon", "secret" });
        writeSession(window, log, clock);
        view.resize(640, 460);
        status |= !save(view, out / "main_window.png");
        (*shell)->stopServer();

        platform::Profile profile(home / "Quillon.ini");
        (*shell)->settingsStore().writeLogin("quillon", "secret", true, false);
        gui::pc::QtLoginDialog login((*shell)->loginDialog());
        status |= !save(login, out / "login_dialog.png");

        // The settings show the ports a user would see (the run above
        // listened on ephemeral ones).
        (*shell)->setListenPorts({});
        auto settings = (*shell)->openSettingsDialog();
        (void)settings->addAccount({ "pop.example.com", "quillon", "secret" });
        (void)settings->addAccount({ "mail.example.net", "kim.cs", "secret" });
        settings->setStartServerAfterLogin(true);
        gui::pc::QtSettingsDialog settingsWindow(*settings, ui);
        settingsWindow.pages()->setCurrentIndex(0);
        status |= !save(settingsWindow, out / "settings_basic.png");
        settingsWindow.pages()->setCurrentIndex(1);
        settingsWindow.accountList()->topLevelItem(0)->setSelected(true);
        status |= !save(settingsWindow, out / "settings_mail.png");
        settingsWindow.pages()->setCurrentIndex(2);
        status |= !save(settingsWindow, out / "settings_server.png");
        gui::pc::QtAccountDialog account("메일서버 수정", { "pop.example.com:995", "quillon", "secret" }, ui);
        account.testResult()->setText("pop.example.com:995 (quillon): 로그인에 성공했습니다.");
        status |= !save(account, out / "settings_account.png");
        view.setController(nullptr);
    }
    fs::remove_all(home, error);
    return status;
}
