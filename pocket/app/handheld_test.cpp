#include "pocket/app/handheld.h"

#include "platform/poll_event_loop.h"
#include "platform/registry.h"
#include "platform/testing/manual_clock.h"
#include "pocket/app/frame_layout.h"
#include "pocket/app/frame_router.h"
#include "pocket/app/server_address.h"
#include "pocket/app/testing/fake_handheld_views.h"
#include "pocket/icq/testing/scripted_oscar_server.h"
#include "pocket/link/testing/loopback.h"
#include "pocket/mail/mail_view.h"
#include "proto/command_codes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace pocket::app {
namespace {

using namespace std::chrono_literals;
using link::testing::answerRecord;
using link::testing::requestWire;
using platform::Answer;

class NoDialUp final : public settings::DialUp {
public:
    std::vector<std::string> phonebookEntries() override { return {}; }
    std::optional<std::vector<std::string>> activeConnections() override { return std::nullopt; }
    bool startDial(const std::string&) override { return false; }
    bool hangUp(const std::string&) override { return false; }
};

// The one application core over recording views, as a front end builds it.
class HandheldTest : public ::testing::Test {
protected:
    HandheldTest()
    {
        m_home = std::filesystem::temp_directory_path()
            / ("handheld_test_" + std::to_string(::getpid()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_home);
        (void)m_registry->createKey(settings::kSettingsKey);
        // The scripted PCs speak the clear protocol only.
        (void)m_registry->setDword(settings::kSettingsKey, link::kSecureLinkValue, 0);
    }
    ~HandheldTest() override
    {
        m_handheld.reset();
        std::filesystem::remove_all(m_home);
    }

    void setValue(const char* name, const std::string& value)
    {
        ASSERT_TRUE(m_registry->setString(settings::kSettingsKey, name, value));
    }

    Handheld& handheld()
    {
        if (!m_handheld) {
            m_handheld = std::make_unique<Handheld>(HandheldSetup { m_home, m_loop, *m_registry, &m_dialUp }, m_fakes.views());
            EXPECT_EQ(m_handheld->start(), StartResult::Running);
        }
        return *m_handheld;
    }

    // The start timer: the start page and the stored mail.
    void passStartTimer()
    {
        handheld();
        m_clock.advance(100ms);
        m_loop.processPending();
    }

    std::filesystem::path storedMail(const std::string& name, const std::string& title)
    {
        settings::PdaSettings settings;
        settings.myId = "kim";
        auto file = device::DeviceRoot(m_home / "device").toLocal(mail::mailFilePath(settings, name));
        std::filesystem::create_directories(file.parent_path());
        EXPECT_TRUE(mail::writeLocalFile(file,
            "//From : lee \r\nTo : kim \r\nCc :  \r\nTitle : " + title
                + " \r\nTime : 2026.01.01 목 10:00:00 \r\nPop3 : pop.x \r\nBody : <pre>본문</pre>[END]"));
        return file;
    }

    bool runUntil(const std::function<bool()>& done) { return m_loop.runUntil(done, 5s); }

    std::filesystem::path m_home;
    platform::testing::ManualClock m_clock;
    platform::PollEventLoop m_loop { m_clock };
    std::unique_ptr<platform::Registry> m_registry = platform::Registry::inMemory();
    NoDialUp m_dialUp;
    testing::FakeHandheldViews m_fakes { m_loop };
    std::unique_ptr<Handheld> m_handheld;
};

TEST_F(HandheldTest, StartsWithTheSettingsLoadedAndEveryPageDrawn)
{
    setValue("MSNID", "me@example.com");
    handheld();
    EXPECT_EQ(m_fakes.frame.menuBar, kMenuBarDisconnected);
    EXPECT_EQ(handheld().settings().msnId, "me@example.com");
    EXPECT_EQ(m_fakes.msnPage.statusLine, "me@example.com (오프라인)");
    EXPECT_GE(m_fakes.icqTree.resets, 1);
    EXPECT_EQ(handheld().mypc().tree.roots().size(), 1u);
    // The main dialog hands the sessions' messages on.
    EXPECT_TRUE(handheld().frame().router().route(4027, 10000, 1).has_value());
    EXPECT_TRUE(handheld().frame().router().route(5026, 0, 0).has_value());

    passStartTimer();
    EXPECT_EQ(m_fakes.pc.address, kStartPage);
    EXPECT_FALSE(m_fakes.webView.visited.empty());
}

TEST_F(HandheldTest, ButtonsAndMenusGoThroughTheCoreTables)
{
    EXPECT_TRUE(handheld().onButton(kButtonMyPc));
    EXPECT_EQ(handheld().frame().currentView(), kViewMyPc);
    EXPECT_TRUE(handheld().onButton(kScreenChangePc));
    EXPECT_EQ(handheld().frame().screen(kViewMyPc), Screen::Alternate);
    EXPECT_TRUE(handheld().onButton(kMailWrite));
    EXPECT_EQ(m_fakes.dialogs.composers, 1);
    EXPECT_FALSE(handheld().onButton(4242));

    EXPECT_TRUE(handheld().onMenuCommand(kCmdConnect));
    EXPECT_EQ(m_fakes.dialogs.logins, 1);
    EXPECT_TRUE(handheld().onMenuCommand(kCmdPenMessages));
    EXPECT_EQ(m_fakes.dialogs.penBoxes, 1);
    // The viewer's "show the web tab" switches My PC to its web screen.
    handheld().onButton(kScreenChangePc);
    handheld().web().viewer.viewHandheldFile("\\Windows\\pda_hello.html");
    EXPECT_EQ(handheld().frame().screen(kViewMyPc), Screen::Alternate);
}

TEST_F(HandheldTest, ReadingTheSelectedStoredMailShowsItsContentScreen)
{
    setValue("MY_ID", "kim");
    storedMail("m1", "안녕");
    passStartTimer();
    ASSERT_EQ(m_fakes.pc.mailRows, std::vector<std::string> { "m1" });

    // "보기" without a selected row asks for one.
    EXPECT_TRUE(handheld().onButton(kMailView));
    EXPECT_EQ(m_fakes.ui.lastText(), "확인할 메일을 선택해주세요.");
    m_fakes.pc.selectedMailName = "m1";
    EXPECT_TRUE(handheld().onButton(kMailView));
    EXPECT_EQ(m_fakes.pc.shownMail, "m1");
    EXPECT_EQ(handheld().frame().screen(kViewMail), Screen::Alternate);
    EXPECT_TRUE(handheld().onButton(kMailListTab));
    EXPECT_EQ(handheld().frame().screen(kViewMail), Screen::Main);
}

TEST_F(HandheldTest, LostPcConnectionEndsTheMailCheckInEveryFrontEnd)
{
    link::testing::LoopbackListener pc;
    setValue("SEVER_IP", "127.0.0.1");
    handheld().settings().pcPort = pc.port();
    handheld().link().prepare();
    ASSERT_TRUE(handheld().loginDialog().connect("kim", "pw", false));
    int peer = pc.accept();
    ASSERT_GE(peer, 0);
    EXPECT_EQ(link::testing::receiveUntilNul(peer), requestWire(0, proto::kCodeLogIn, "kim\npw"));
    link::testing::sendAll(peer, answerRecord(1, proto::kCodeLogIn, "YES\\C:"));
    ASSERT_TRUE(runUntil([&] { return handheld().link().isLoggedIn(); }));

    // "REFRESH": the check waits for the PC's answer ...
    m_fakes.ui.pushAnswer(Answer::Ok);
    EXPECT_TRUE(handheld().onButton(kMailRefresh));
    EXPECT_EQ(link::testing::receiveUntilNul(peer), requestWire(0, proto::kCodeCheckMail, ""));
    ASSERT_TRUE(handheld().mail().box.isChecking());
    // ... and the PC goes away before it answers.
    ::close(peer);
    ASSERT_TRUE(runUntil([&] { return !handheld().link().isConnected(); }));
    EXPECT_EQ(m_fakes.ui.lastText(), "서버 연결이 종료되었습니다.");
    EXPECT_FALSE(handheld().mail().box.isChecking());
    EXPECT_FALSE(handheld().mail().reader.isFetching());
    EXPECT_FALSE(handheld().mail().sender.isSending());
    // "REFRESH" is a new check, not "메일 체크중입니다.": without a PC it
    // opens the log-in dialog.
    const int logins = m_fakes.dialogs.logins;
    EXPECT_TRUE(handheld().onButton(kMailRefresh));
    EXPECT_EQ(m_fakes.dialogs.logins, logins + 1);
    EXPECT_NE(m_fakes.ui.lastText(), "메일 체크중입니다. 잠시만 기다려주세요!");
}

TEST_F(HandheldTest, MailAttachFromMyPcOpensTheComposerWithTheFile)
{
    handheld();
    std::filesystem::create_directories(m_home / "device" / "My Documents");
    std::ofstream(m_home / "device" / "My Documents" / "a.txt") << "x";
    auto& tree = handheld().mypc().tree;
    ASSERT_TRUE(tree.expandHandheld(*tree.roots().front()));
    auto* folder = tree.find("PDA\\My Documents");
    ASSERT_NE(folder, nullptr);
    ASSERT_TRUE(tree.expandHandheld(*folder));
    auto* file = tree.find("PDA\\My Documents\\a.txt");
    ASSERT_NE(file, nullptr);

    handheld().onMyPcCommand(*file, mypc::TreeCommand::MailAttach);
    EXPECT_EQ(m_fakes.dialogs.composers, 1);
    ASSERT_EQ(handheld().mail().composer.attachments().size(), 1u);
    EXPECT_EQ(handheld().mail().composer.attachments()[0], "\\My Documents\\a.txt");

    handheld().onMyPcCommand(*folder, mypc::TreeCommand::Search);
    EXPECT_TRUE(m_fakes.dialogs.searchScopes.empty()); // Handheld folders have no "검색".
}

TEST_F(HandheldTest, IcqCommandsThatNeedADialogAskTheFrontEnd)
{
    handheld();
    // "동보메세지보내기": the dialog's answer goes to the messenger, which checks it.
    m_fakes.icqDialogs.broadcast = icq::BroadcastRequest { {}, "hello" };
    EXPECT_TRUE(handheld().onIcqCommand(icq::command::kBroadcast, ""));
    EXPECT_EQ(m_fakes.ui.lastText(), "받을 사람을 선택해주세요.");
    // A cancelled dialog does nothing.
    const auto calls = m_fakes.ui.callCount();
    m_fakes.icqDialogs.number = std::nullopt;
    EXPECT_TRUE(handheld().onIcqCommand(icq::command::kAddContact, ""));
    EXPECT_EQ(m_fakes.ui.callCount(), calls);
    EXPECT_FALSE(handheld().onIcqCommand(4242, ""));
}

TEST_F(HandheldTest, IcqSignsOnAtTheServerSettingAndItsPenProbeNamesThePenAddress)
{
    icq::testing::ScriptedOscarServer server({ { "11111", "apple", "Alice" } });
    setValue(kIcqServerValue, "127.0.0.1:" + std::to_string(server.port()));
    setValue("ICQID", "11111");
    setValue("ICQPASS", "apple");
    setValue(kPenAddressValue, "http://pen.example.org/");
    // In short turns: the server's state changes wake no loop.
    auto serverSees = [&](const std::function<bool()>& done) {
        for (int turn = 0; turn < 250 && !done(); ++turn)
            m_loop.runUntil(done, 20ms);
        return done();
    };
    EXPECT_TRUE(handheld().onIcqCommand(icq::command::kConnect, ""));
    ASSERT_TRUE(serverSees([&] { return server.isOnline("11111"); }));
    ASSERT_TRUE(handheld().icq().pen.openEditor("22222", "11111"));
    ASSERT_TRUE(serverSees([&] { return !server.messagesFrom("11111").empty(); }));
    EXPECT_EQ(server.messagesFrom("11111").at(0),
        "\x07\x07" "4\xA1\xDA" "If you want to see this pen message, visit http://pen.example.org/.");
}

TEST_F(HandheldTest, ExitAsksAndThenEndsInTheFramesOrder)
{
    handheld();
    m_fakes.ui.pushAnswer(Answer::Cancel);
    handheld().askExit();
    EXPECT_TRUE(handheld().frame().isRunning());
    m_fakes.ui.pushAnswer(Answer::Ok);
    EXPECT_TRUE(handheld().onMenuCommand(kCmdExit));
    EXPECT_FALSE(handheld().frame().isRunning());
    EXPECT_EQ(m_fakes.frame.destroyed, 1);
}

} // namespace
} // namespace pocket::app
