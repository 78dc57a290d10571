// Signing on to MSN and ICQ from the frame's Tools menu, and what the window
// says when a sign-on fails: a refused connection, a server that takes the
// connection and then falls silent, a wrong password.

#include "gui/pocket/qt_icq_tree.h"
#include "gui/pocket/qt_msn_tree.h"
#include "gui/pocket/testing/pocket_window_fixture.h"
#include "pocket/app/server_address.h"
#include "pocket/icq/testing/scripted_oscar_server.h"
#include "pocket/link/sign_on_deadline.h"
#include "pocket/link/testing/loopback.h"
#include "pocket/msn/testing/scripted_msn_server.h"

#include <QTreeWidget>

namespace gui::handheld {
namespace {

    namespace app = ::pocket::app;
    using ::pocket::link::testing::closedLoopbackPort;
    using ::pocket::link::testing::LoopbackListener;
    using testing::itemStartingWith;

    class SignOnWindowTest : public testing::PocketWindowTest {
    protected:
        SignOnWindowTest()
        {
            setValue("MSNID", "me@x.com");
            setValue("MSNPASS", "pw");
            setValue("ICQID", "11111");
            setValue("ICQPASS", "pw");
        }

        // Whether a Tools entry can be pressed, as the user finds it: the
        // menu opens, which greys what cannot run now.
        bool isOffered(int command)
        {
            QAction* action = menuAction(app::kMenuBarDisconnected, command);
            EXPECT_NE(action, nullptr) << command;
            if (!action)
                return false;
            auto* menu = qobject_cast<QMenu*>(action->parent());
            if (menu)
                emit menu->aboutToShow();
            return action->isEnabled();
        }
        void choose(int command)
        {
            ASSERT_TRUE(isOffered(command)) << command;
            menuAction(app::kMenuBarDisconnected, command)->trigger();
        }
        QString msnLine() { return dialog().msnTree()->headerItem()->text(0); }
        QString icqLine() { return dialog().icqTree()->headerItem()->text(0); }
    };

    TEST_F(SignOnWindowTest, MsnSignsOnAndOffFromTheToolsMenu)
    {
        ::pocket::msn::testing::ScriptedMsnServer server { { { "me@x.com", "pw", "Me", {} } } };
        setValue(app::kMsnServerValue, "127.0.0.1:" + std::to_string(server.port()));
        gui().handheld().frame().selectView(app::kViewMail);
        EXPECT_FALSE(isOffered(app::kCmdMsnLogout));

        choose(app::kCmdMsnLogin);
        // The page comes to the front, with the sign-on going on in its line.
        EXPECT_EQ(core().frame().currentView(), app::kViewMsn);
        EXPECT_TRUE(dialog().isControlShown(app::kMsnTree));
        EXPECT_TRUE(core().msn().session.isSigningOn());
        EXPECT_EQ(msnLine(), QStringLiteral("Connected MSN login svr.."));
        EXPECT_FALSE(isOffered(app::kCmdMsnLogin));
        EXPECT_TRUE(isOffered(app::kCmdMsnLogout));
        ASSERT_TRUE(runUntil([&] { return core().msn().session.isOnline(); }));
        EXPECT_EQ(msnLine(), QStringLiteral("Me (온라인)"));

        choose(app::kCmdMsnLogout);
        EXPECT_EQ(core().msn().session.ownStatus(), -1);
        EXPECT_EQ(msnLine(), QStringLiteral("me@x.com (오프라인)"));
        EXPECT_TRUE(isOffered(app::kCmdMsnLogin));
        EXPECT_EQ(m_ui.callCount(), 0u);
    }

    TEST_F(SignOnWindowTest, MsnRefusedConnectionNamesTheAddressAndTheCause)
    {
        const auto closed = closedLoopbackPort();
        setValue(app::kMsnServerValue, "127.0.0.1:" + std::to_string(closed));
        choose(app::kCmdMsnLogin);
        EXPECT_EQ(msnLine(), QStringLiteral("서버에 접속할 수 없습니다."));
        EXPECT_EQ(m_ui.calls().back().title, "MSN");
        EXPECT_EQ(m_ui.lastText(), "서버에 접속할 수 없습니다.\n127.0.0.1:" + std::to_string(closed) + " — 연결이 거부되었습니다");
        EXPECT_TRUE(isOffered(app::kCmdMsnLogin));
    }

    TEST_F(SignOnWindowTest, MsnServerThatFallsSilentRunsOutOfTime)
    {
        LoopbackListener silent;
        setValue(app::kMsnServerValue, "127.0.0.1:" + std::to_string(silent.port()));
        choose(app::kCmdMsnLogin);
        EXPECT_EQ(msnLine(), QStringLiteral("Connected MSN login svr.."));
        m_clock.advance(std::chrono::milliseconds(::pocket::link::kSignOnTimeoutMs));
        ASSERT_TRUE(runUntil([&] { return m_ui.callCount() > 0; }));
        EXPECT_EQ(m_ui.lastText(),
            "서버에 접속할 수 없습니다.\n127.0.0.1:" + std::to_string(silent.port()) + " — 응답이 없습니다 (시간 초과)");
        EXPECT_EQ(msnLine(), QStringLiteral("서버에 접속할 수 없습니다."));
        EXPECT_TRUE(isOffered(app::kCmdMsnLogin));
    }

    TEST_F(SignOnWindowTest, IcqRefusedConnectionNamesTheAddressAndTheCause)
    {
        const auto closed = closedLoopbackPort();
        setValue(app::kIcqServerValue, "127.0.0.1:" + std::to_string(closed));
        gui().handheld().frame().selectView(app::kViewMail);
        EXPECT_FALSE(isOffered(app::kCmdIcqLogout));
        choose(app::kCmdIcqLogin);
        EXPECT_EQ(core().frame().currentView(), app::kViewIcq);
        EXPECT_EQ(m_ui.calls().back().title, "ICQ");
        EXPECT_EQ(m_ui.lastText(), "서버에 접속할 수 없습니다.\n127.0.0.1:" + std::to_string(closed) + " — 연결이 거부되었습니다");
        EXPECT_EQ(icqLine(), QStringLiteral("11111 (오프라인)"));
    }

    TEST_F(SignOnWindowTest, IcqServerThatFallsSilentRunsOutOfTime)
    {
        LoopbackListener silent;
        setValue(app::kIcqServerValue, "127.0.0.1:" + std::to_string(silent.port()));
        choose(app::kCmdIcqLogin);
        EXPECT_EQ(icqLine(), QStringLiteral("Server Connecting.."));
        EXPECT_FALSE(isOffered(app::kCmdIcqLogin));
        EXPECT_TRUE(isOffered(app::kCmdIcqLogout));
        m_clock.advance(std::chrono::milliseconds(::pocket::link::kSignOnTimeoutMs));
        ASSERT_TRUE(runUntil([&] { return m_ui.callCount() > 0; }));
        EXPECT_EQ(m_ui.lastText(),
            "서버에 접속할 수 없습니다.\n127.0.0.1:" + std::to_string(silent.port()) + " — 응답이 없습니다 (시간 초과)");
        EXPECT_TRUE(isOffered(app::kCmdIcqLogin));
    }

    TEST_F(SignOnWindowTest, IcqSignsOnFromTheToolsMenu)
    {
        ::pocket::icq::testing::ScriptedOscarServer server { { { "11111", "pw", "Me" } } };
        setValue(app::kIcqServerValue, "127.0.0.1:" + std::to_string(server.port()));
        choose(app::kCmdIcqLogin);
        ASSERT_TRUE(runTicking([&] { return core().icq().session.isSignedOn(); }));
        EXPECT_FALSE(isOffered(app::kCmdIcqLogin));
        EXPECT_TRUE(isOffered(app::kCmdIcqLogout));
        EXPECT_EQ(m_ui.callCount(), 0u);
    }

} // namespace
} // namespace gui::handheld
