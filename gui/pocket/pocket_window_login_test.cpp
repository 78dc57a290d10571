// The handheld window's log-in dialog and the link's state in the title
// band, against a scripted PC.

#include "gui/pocket/qt_options_sheet.h"
#include "gui/pocket/qt_pocket_login_dialog.h"
#include "gui/pocket/qt_title_band.h"
#include "gui/pocket/testing/pc_window_fixture.h"

#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>

namespace gui::handheld {
namespace {

    namespace app = ::pocket::app;
    using testing::ScriptedPc;
    using LoginWindowTest = testing::PcWindowTest;

    TEST_F(LoginWindowTest, WrongPasswordKeepsTheDialogAndTheBandShowsTheState)
    {
        auto& settings = core().settings();
        settings.pcPort = m_pc.commandPort();
        core().link().prepare();
        auto* band = gui().window().titleBand();
        EXPECT_EQ(band->linkStateText(), QStringLiteral("PC 미접속"));

        auto& login = gui().loginDialog();
        menuAction(app::kMenuBarDisconnected, app::kCmdConnect)->trigger();
        login.idEdit()->setText(QStringLiteral("kim"));
        login.passwordEdit()->setText(QStringLiteral("wrong"));
        login.connectButton()->click();
        ASSERT_TRUE(m_pc.acceptCommand());
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 310, "kim\nwrong"));
        EXPECT_TRUE(login.isVisible()); // Open while the PC decides.
        EXPECT_EQ(band->linkStateText(), QStringLiteral("PC 접속 중…"));
        m_pc.answer(0, 310, "NO");
        ASSERT_TRUE(runUntil([&] { return m_ui.callCount() > 0; }));
        EXPECT_EQ(m_ui.lastText().rfind("PC프로그램의 사용자 정보와", 0), 0u);
        EXPECT_TRUE(login.isVisible());
        EXPECT_EQ(login.idEdit()->text(), QStringLiteral("kim"));
        EXPECT_TRUE(login.passwordEdit()->text().isEmpty());
        EXPECT_EQ(login.focusWidget(), login.passwordEdit());
        EXPECT_EQ(band->linkStateText(), QStringLiteral("PC 미접속"));

        // The right password, on a new connection, closes the dialog.
        m_ui.clear();
        login.passwordEdit()->setText(QStringLiteral("pw"));
        login.connectButton()->click();
        ASSERT_TRUE(m_pc.acceptCommand());
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 310, "kim\npw"));
        m_pc.answer(1, 310, "OK\\C:");
        ASSERT_TRUE(runUntil([&] { return core().link().isLoggedIn(); }));
        EXPECT_EQ(m_ui.lastText(), "로그인되었습니다.");
        EXPECT_FALSE(login.isVisible());
        EXPECT_EQ(band->linkStateText(), QStringLiteral("PC 접속됨"));
    }

    TEST_F(LoginWindowTest, ConnectionsPageSetsThePortsTheLogInUses)
    {
        // The ScriptedPc's ports differ from the defaults the sheet shows.
        menuAction(app::kMenuBarDisconnected, app::kCmdOptions)->trigger();
        auto& sheet = gui().optionsSheet();
        sheet.tabs()->setCurrentIndex(1);
        const auto& page = sheet.connections();
        EXPECT_EQ(page.pcPort->value(), core().settings().pcPort);
        page.pcIp->setText(QStringLiteral("127.0.0.1:%1").arg(m_pc.commandPort()));
        page.pcUploadPort->setValue(m_pc.uploadPort());
        page.pcWebPort->setValue(m_pc.webPort());
        m_ui.pushAnswer(platform::Answer::Ok);
        sheet.applyPage(::pocket::settings::OptionsPage::Connections);
        ASSERT_FALSE(sheet.isVisible());
        EXPECT_EQ(core().settings().serverIp, "127.0.0.1");
        EXPECT_EQ(core().settings().pcPort, m_pc.commandPort());
        EXPECT_EQ(core().settings().pcUploadPort, m_pc.uploadPort());
        EXPECT_EQ(core().settings().pcWebPort, m_pc.webPort());

        // Opened again, the port has moved to its own field.
        menuAction(app::kMenuBarDisconnected, app::kCmdOptions)->trigger();
        sheet.tabs()->setCurrentIndex(1);
        EXPECT_EQ(page.pcIp->text(), QStringLiteral("127.0.0.1"));
        EXPECT_EQ(page.pcPort->value(), m_pc.commandPort());
        sheet.close();

        // The log-in goes to that port.
        menuAction(app::kMenuBarDisconnected, app::kCmdConnect)->trigger();
        gui().loginDialog().idEdit()->setText(QStringLiteral("kim"));
        gui().loginDialog().passwordEdit()->setText(QStringLiteral("pw"));
        gui().loginDialog().connectButton()->click();
        ASSERT_TRUE(m_pc.acceptCommand());
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 310, "kim\npw"));
    }

} // namespace
} // namespace gui::handheld
