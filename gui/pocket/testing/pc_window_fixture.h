#pragma once

// File: gui/pocket/testing/pc_window_fixture.h
// The handheld window's tests against a scripted PC: the window fixture
// with the PC's ports set, a log-in through the login dialog, and helpers
// for the My PC tree's menus and the web view.

#include "gui/pocket/qt_mypc_view.h"
#include "gui/pocket/qt_pocket_login_dialog.h"
#include "gui/pocket/testing/pocket_window_fixture.h"
#include "gui/pocket/testing/scripted_pc.h"

#include <QLineEdit>
#include <QTextBrowser>

#include <memory>
#include <string>

namespace gui::handheld::testing {

class PcWindowTest : public PocketWindowTest {
protected:
    PcWindowTest()
    {
        setValue("SEVER_IP", "127.0.0.1");
        setValue("MY_ID", "kim");
    }

    // Logs in through the login dialog; the PC answers with drive C:.
    void logIn()
    {
        auto& settings = core().settings();
        settings.pcPort = m_pc.commandPort();
        settings.pcUploadPort = m_pc.uploadPort();
        settings.pcWebPort = m_pc.webPort();
        core().link().prepare();
        menuAction(::pocket::app::kMenuBarDisconnected, ::pocket::app::kCmdConnect)->trigger();
        gui().loginDialog().idEdit()->setText(QStringLiteral("kim"));
        gui().loginDialog().passwordEdit()->setText(QStringLiteral("pw"));
        gui().loginDialog().connectButton()->click();
        ASSERT_TRUE(m_pc.acceptCommand());
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 310, "kim\npw"));
        m_pc.answer(1, 310, "OK\\C:");
        ASSERT_TRUE(runUntil([&] { return core().link().isLoggedIn(); }));
        m_ui.clear();
    }
    // A menu entry of a tree item, pressed.
    void press(const std::string& path, const char* text)
    {
        ::pocket::mypc::TreeItem* item = core().mypc().tree.find(path);
        ASSERT_NE(item, nullptr) << path;
        std::unique_ptr<QMenu> menu(gui().myPcView().buildMenu(*item, nullptr));
        QAction* action = entry(menu.get(), QString::fromUtf8(text));
        ASSERT_NE(action, nullptr) << text;
        action->trigger();
    }
    QStringList menuOf(const std::string& path)
    {
        ::pocket::mypc::TreeItem* item = core().mypc().tree.find(path);
        if (!item)
            return {};
        std::unique_ptr<QMenu> menu(gui().myPcView().buildMenu(*item, nullptr));
        return texts(menu.get());
    }
    // The web view shows a page containing `text`.
    bool webShows(const QString& text)
    {
        return runUntil([&] { return dialog().webView()->toPlainText().contains(text); });
    }

    ScriptedPc m_pc;
};

} // namespace gui::handheld::testing
