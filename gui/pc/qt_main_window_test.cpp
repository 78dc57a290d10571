// The PC program's Qt window over the real main-window logic and shell, on
// the offscreen platform: the window builds, the buttons and menu entries
// follow the server's state, log lines land with their formats, and the
// dialogs pass what the user typed to the logic.

#include "gui/pc/qt_login_dialog.h"
#include "gui/pc/qt_main_window.h"
#include "gui/pc/qt_settings_dialog.h"
#include "gui/qt_event_loop.h"
#include "gui/testing/offscreen_app.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/loopback_port.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

#include <sstream>
#include <unistd.h>

namespace gui::pc {
namespace {

namespace fs = std::filesystem;
namespace command = ::pc::app::command;

struct NoDialogs final : ::pc::app::ShellDialogs {
    bool runLogin(::pc::app::LoginDialog&) override { return false; }
    bool runSettings(::pc::app::SettingsDialog&) override { return false; }
    std::optional<fs::path> chooseLogToView(const fs::path&) override { return {}; }
    std::optional<fs::path> chooseLogToSave(const fs::path&) override { return {}; }
};

struct NoLauncher final : ::pc::app::DesktopLauncher {
    bool openFile(const fs::path&) override { return true; }
    bool openDateTimeSettings() override { return true; }
    bool runCommand(const std::string&) override { return true; }
};

class QtMainWindowTest : public ::testing::Test {
protected:
    // The widgets among the members need the application before they are
    // built, so it comes up before the first fixture.
    static void SetUpTestSuite() { testing::offscreenApp(); }

    QtMainWindowTest()
    {
        testing::offscreenApp();
        m_home = fs::temp_directory_path()
            / ("quillon-qt-window-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_home);
        fs::create_directories(m_home);
    }
    ~QtMainWindowTest() override
    {
        window.reset();
        shell.reset();
        fs::remove_all(m_home);
    }

    void build()
    {
        auto config = ::pc::app::loopbackShellConfig(m_home);
        auto created = ::pc::app::PcShell::create(loop, log, ui, accessLog, config);
        ASSERT_TRUE(created);
        shell = std::move(*created);
        ::pc::app::MainWindowPorts ports { &view, &dialogs, &launcher, &ui, &log, {}, [] { return std::string(); } };
        window = std::make_unique<::pc::app::MainWindow>(*shell, loop, ports, m_home);
        view.setController(window.get());
        window->open(false);
    }

    fs::path m_home;
    platform::SystemClock clock;
    QtEventLoop loop { clock };
    platform::testing::FakeUi ui;
    QtMainWindow view;
    ::pc::app::LogPane log { loop, view };
    std::ostringstream accessLog;
    NoDialogs dialogs;
    NoLauncher launcher;
    std::unique_ptr<::pc::app::PcShell> shell;
    std::unique_ptr<::pc::app::MainWindow> window;
};

TEST_F(QtMainWindowTest, BuildsMenusButtonsAndTray)
{
    struct Entry {
        int id;
        const char* text;
    };
    const Entry menus[] = {
        { command::kStartServer, "서버시작" },
        { command::kStopServer, "서버중지" },
        { command::kExit, "종      료" },
        { command::kSettings, "환경설정" },
        { command::kViewLog, "로그 보기" },
        { command::kSaveLog, "로그 저장" },
        { command::kClearLog, "로그 지우기" },
        { command::kAbout, "Quillon 정보" },
        { command::kTrayStartServer, "서버시작" },
        { command::kTrayStopServer, "서버중지" },
        { command::kTraySettings, "환경설정" },
        { command::kTrayActivate, "활성화 시키기" },
        { command::kTrayExit, "종료" },
    };
    // The main menu's entries carry an access key after their text.
    const QRegularExpression accessKey("\\(&[A-Z]\\)$");
    for (const auto& entry : menus) {
        SCOPED_TRACE(entry.id);
        ASSERT_NE(view.action(entry.id), nullptr);
        QString text = view.action(entry.id)->text();
        EXPECT_EQ(text.contains(accessKey), entry.id < command::kTrayStartServer || entry.id == command::kSaveLog
                || entry.id == command::kClearLog || entry.id == command::kAbout)
            << text.toStdString();
        EXPECT_EQ(text.remove(accessKey), QString::fromUtf8(entry.text));
    }
    const Entry buttons[] = {
        { command::kStartServer, "서버시작" },
        { command::kStopServer, "서버중지" },
        { command::kViewLog, "로그파일 보기" },
        { command::kSaveLog, "로그파일 저장" },
        { command::kClearLog, "로그 지우기" },
        { command::kShowAddress, "내 컴퓨터 IP보기" },
        { command::kDateTime, "달력보기" },
    };
    for (const auto& entry : buttons) {
        SCOPED_TRACE(entry.id);
        ASSERT_NE(view.button(entry.id), nullptr);
        EXPECT_EQ(view.button(entry.id)->toolTip(), QString::fromUtf8(entry.text));
        EXPECT_FALSE(view.button(entry.id)->icon().isNull());
    }
    // The tray menu has separators between its three groups.
    int separators = 0;
    for (QAction* action : view.trayMenu()->actions())
        separators += action->isSeparator();
    EXPECT_EQ(separators, 2);
}

TEST_F(QtMainWindowTest, ButtonsAndMenusFollowTheServerState)
{
    build();
    auto expectState = [&](bool running) {
        SCOPED_TRACE(running);
        EXPECT_EQ(view.windowTitle(), running ? "Quillon - 서버구동" : "Quillon - 서버중지");
        EXPECT_EQ(view.trayIcon()->toolTip(), view.windowTitle());
        EXPECT_EQ(view.statusLabel()->text(), running ? "서버구동" : "서버중지");
        for (int id : { command::kStartServer, command::kTrayStartServer })
            EXPECT_EQ(view.action(id)->isEnabled(), !running);
        for (int id : { command::kStopServer, command::kTrayStopServer })
            EXPECT_EQ(view.action(id)->isEnabled(), running);
        EXPECT_EQ(view.button(command::kStartServer)->isEnabled(), !running);
        EXPECT_EQ(view.button(command::kStopServer)->isEnabled(), running);
    };
    expectState(false);
    view.button(command::kStartServer)->click();
    EXPECT_TRUE(shell->isServerRunning());
    expectState(true);
    view.action(command::kTrayStopServer)->trigger();
    EXPECT_FALSE(shell->isServerRunning());
    expectState(false);
    view.action(command::kStartServer)->trigger();
    expectState(true);
    view.button(command::kStopServer)->click();
    expectState(false);
    EXPECT_FALSE(view.dateLabel()->text().isEmpty());
}

TEST_F(QtMainWindowTest, LogLinesLandWithTheirFormats)
{
    build();
    log.append("PC 서버를 시작합니다..\n", ::pc::app::LogSink::kStamped);
    log.append("경고\n", ::pc::app::LogSink::kPlain);
    QTextDocument* document = view.logPane()->document();
    auto formatAt = [&](int position) {
        QTextCursor cursor(document);
        cursor.setPosition(position + 1);
        return cursor.charFormat();
    };
    QString text = document->toPlainText();
    int stamp = 0;
    int message = text.indexOf("PC 서버");
    int alert = text.indexOf("경고");
    ASSERT_GT(message, 0);
    ASSERT_GT(alert, message);
    EXPECT_EQ(formatAt(stamp).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(stamp).foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(formatAt(message).fontWeight(), QFont::Normal);
    EXPECT_EQ(formatAt(message).foreground().color(), QColor(Qt::black));
    EXPECT_EQ(formatAt(alert).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(alert).foreground().color(), QColor(255, 0, 0));
    EXPECT_TRUE(view.logPane()->isReadOnly());

    view.action(command::kClearLog)->trigger();
    EXPECT_FALSE(document->isEmpty()); // Dismissed: Cancel.
    ui.pushAnswer(platform::Answer::Ok);
    view.action(command::kClearLog)->trigger();
    EXPECT_TRUE(document->isEmpty());
    EXPECT_EQ(ui.lastText(), "접속 로그를 지웁니다.");
}

TEST_F(QtMainWindowTest, EscapeHidesAndTheCloseButtonAsksFirst)
{
    build();
    view.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&view, &escape);
    EXPECT_FALSE(view.isVisible());
    view.action(command::kTrayActivate)->trigger();
    EXPECT_TRUE(view.isVisible());
    QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    QApplication::sendEvent(&view, &f4);
    EXPECT_FALSE(view.isVisible());
    view.show();

    int closed = 0;
    view.setOnClosed([&] { ++closed; });
    window->startServer();
    ui.pushAnswer(platform::Answer::Cancel);
    EXPECT_FALSE(view.close());
    EXPECT_TRUE(view.isVisible());
    EXPECT_TRUE(shell->isServerRunning());
    ui.pushAnswer(platform::Answer::Ok);
    EXPECT_TRUE(view.close());
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(shell->isServerRunning());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(ui.lastText(), "종료하시겠습니까?");
}

TEST_F(QtMainWindowTest, KeysReachTheMenuBarQuitWithTheQuestionAndEscapeLeavesTheMenuFirst)
{
    build();
    view.show();
    QApplication::setActiveWindow(&view);
    QTest::keyClick(&view, Qt::Key_F10);
    ASSERT_NE(view.menuBar()->activeAction(), nullptr);
    EXPECT_EQ(view.menuBar()->activeAction(), view.menuBar()->actions().first());
    // Escape closes the open menu, then leaves the menu bar; the window stays.
    for (int i = 0; i < 3 && view.menuBar()->activeAction(); ++i) {
        QWidget* target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : &view;
        QTest::keyClick(target, Qt::Key_Escape);
    }
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(view.menuBar()->activeAction(), nullptr);
    EXPECT_TRUE(view.isVisible());
    // Then Escape hides as before.
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(view.isVisible());

    view.show();
    QApplication::setActiveWindow(&view);
    EXPECT_EQ(view.action(command::kExit)->shortcut(), QKeySequence(QKeySequence::Quit));
    ui.pushAnswer(platform::Answer::Cancel);
    view.action(command::kExit)->trigger();
    EXPECT_EQ(ui.lastText(), "종료하시겠습니까?");
    EXPECT_TRUE(view.isVisible());
}

TEST_F(QtMainWindowTest, TrayIconLooksStoppedUntilTheServerRuns)
{
    build();
    // Coloured pixels in the upper-left part, away from the stop mark.
    auto colouredPixels = [this] {
        QImage image = view.trayIcon()->icon().pixmap(32).toImage();
        int coloured = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                coloured += QColor(image.pixel(x, y)).hsvSaturation() > 40 && qAlpha(image.pixel(x, y)) > 0;
        return coloured;
    };
    EXPECT_EQ(colouredPixels(), 0);
    window->startServer();
    EXPECT_GT(colouredPixels(), 0);
    window->stopServer();
    EXPECT_EQ(colouredPixels(), 0);
}

TEST_F(QtMainWindowTest, LoginDialogPassesTheEntriesToTheLogic)
{
    build();
    ::pc::app::LoginDialog& logic = shell->loginDialog();
    QtLoginDialog dialog(logic);
    dialog.accept();
    EXPECT_EQ(ui.lastText(), "아이디를 입력해주세요.");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.idField()->setText("김철수");
    dialog.passwordField()->setText("pw");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(logic.credentials());
    EXPECT_EQ(logic.credentials()->id, "김철수");
}

TEST_F(QtMainWindowTest, SettingsDialogShowsBothPagesAndTheAccounts)
{
    build();
    shell->onLoggedIn({ "kim", "pw" });
    auto logic = shell->openSettingsDialog();
    ASSERT_TRUE(logic->addAccount({ "pop.example.com", "kim", "secret" }));
    QtSettingsDialog dialog(*logic, ui);
    ASSERT_EQ(dialog.pages()->count(), 3);
    EXPECT_EQ(dialog.pages()->tabText(0), "기본 설정");
    EXPECT_EQ(dialog.pages()->tabText(1), "메일 설정");
    EXPECT_EQ(dialog.pages()->tabText(2), "서버 설정");
    ASSERT_EQ(dialog.accountList()->topLevelItemCount(), 1);
    EXPECT_EQ(dialog.accountList()->topLevelItem(0)->text(0), "pop.example.com");
    EXPECT_EQ(dialog.accountList()->topLevelItem(0)->text(1), "kim");
    EXPECT_EQ(dialog.accountList()->headerItem()->text(0), "메일서버");
    EXPECT_TRUE(dialog.deleteButton()->isEnabled());
    EXPECT_TRUE(dialog.modifyButton()->isEnabled());
}

TEST_F(QtMainWindowTest, SettingsDialogServerPageShowsChecksAndPassesItsFields)
{
    build();
    shell->onLoggedIn({ "kim", "pw" });
    auto logic = shell->openSettingsDialog();
    QtSettingsDialog dialog(*logic, ui);
    // An empty list has nothing to delete or modify.
    EXPECT_FALSE(dialog.deleteButton()->isEnabled());
    EXPECT_FALSE(dialog.modifyButton()->isEnabled());
    EXPECT_EQ(dialog.loginIdField()->text(), "kim");
    EXPECT_EQ(dialog.passwordField()->text(), "pw");
    EXPECT_EQ(dialog.codePageField()->currentText(), "UTF-8");

    dialog.portField(0)->setValue(5000);
    dialog.portField(1)->setValue(5000);
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ui.lastText(), "명령, 업로드, 웹 포트는 서로 달라야 합니다.");

    dialog.portField(1)->setValue(5040);
    dialog.portField(2)->setValue(8091);
    dialog.codePageField()->setCurrentText("CP949");
    dialog.loginIdField()->setText("lee");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    shell->applySettings(*logic);
    EXPECT_EQ(shell->listenPorts(), (::pc::service::ListenPorts { 5000, 5040, 8091 }));
    EXPECT_EQ(shell->loginId(), "lee");
    EXPECT_EQ(shell->settingsStore().readCodePage(), "CP949");
}

TEST_F(QtMainWindowTest, AccountDialogJoinsThePortAndTestsTheAccount)
{
    build();
    QtAccountDialog dialog("메일서버 추가", { "pop.example.com:995", "kim", "pw" }, ui);
    EXPECT_EQ(dialog.serverField()->text(), "pop.example.com");
    EXPECT_EQ(dialog.portField()->value(), 995);
    dialog.portField()->setValue(110);
    EXPECT_EQ(dialog.account().server, "pop.example.com");
    // POP3S moves the usual port along and keeps the server text short.
    dialog.securityField()->setCurrentIndex(dialog.securityField()->findText("POP3S"));
    EXPECT_EQ(dialog.portField()->value(), 995);
    EXPECT_EQ(dialog.account().server, "pop.example.com");
    EXPECT_EQ(dialog.account().security, ::pc::mail::Pop3Security::Pop3s);
    dialog.securityField()->setCurrentIndex(dialog.securityField()->findText("없음"));
    EXPECT_EQ(dialog.portField()->value(), 110);

    // A port nothing listens on: refused, said below the fields.
    int port = platform::testing::closedLoopbackPort();
    dialog.serverField()->setText("127.0.0.1");
    dialog.portField()->setValue(port);
    dialog.testButton()->click();
    EXPECT_FALSE(dialog.testButton()->isEnabled());
    QString expected = QString::fromUtf8("127.0.0.1:%1 (kim): 연결이 거부되었습니다").arg(port);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.testResult()->text() == expected; }, 10000))
        << dialog.testResult()->text().toStdString();
    EXPECT_TRUE(dialog.testButton()->isEnabled());
}

} // namespace
} // namespace gui::pc
