#include "gui/pocket/pocket_gui.h"

#include "gui/pocket/qt_device_folder_dialog.h"
#include "gui/pocket/qt_icq_tree.h"
#include "gui/pocket/qt_main_dialog.h"
#include "gui/pocket/qt_msn_chat_window.h"
#include "gui/pocket/qt_msn_tree.h"
#include "gui/pocket/qt_options_sheet.h"
#include "gui/pocket/qt_pocket_login_dialog.h"
#include "gui/pocket/qt_pocket_window.h"
#include "gui/pocket/qt_title_band.h"
#include "gui/pocket/testing/pocket_window_fixture.h"
#include "gui/testing/offscreen_app.h"
#include "platform/registry.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/app/server_address.h"
#include "pocket/device/device_root.h"
#include "pocket/icq/icq_messenger.h"
#include "pocket/link/testing/loopback.h"
#include "pocket/mail/mail_view.h"
#include "pocket/msn/msn_page.h"
#include "pocket/msn/testing/scripted_peer.h"
#include "pocket/settings/dial_up.h"
#include "pocket/settings/pda_settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTextBrowser>
#include <QToolButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace gui::handheld {
namespace {

    namespace frame = ::pocket::app;
    using namespace std::chrono_literals;

    class NoDialUp final : public ::pocket::settings::DialUp {
    public:
        std::vector<std::string> phonebookEntries() override { return {}; }
        std::optional<std::vector<std::string>> activeConnections() override { return std::nullopt; }
        bool startDial(const std::string&) override { return false; }
        bool hangUp(const std::string&) override { return false; }
    };

    // A PC that takes one log-in request and answers it with `answerText`.
    class LoginPeer {
    public:
        explicit LoginPeer(std::string answerText)
        {
            port = m_listener.port();
            m_thread = std::thread([this, answerText] { serve(answerText); });
        }
        ~LoginPeer()
        {
            m_thread.join();
        }

        std::uint16_t port = 0;
        std::string request;

    private:
        void serve(const std::string& answerText)
        {
            int client = m_listener.accept();
            char byte = 0;
            while (::recv(client, &byte, 1, 0) == 1 && byte != '\0')
                request.push_back(byte);
            // The 1032-byte answer: first, code (little-endian), 1024 bytes of text.
            std::string record(1032, '\0');
            const std::uint32_t first = 1;
            const std::uint32_t code = 310;
            for (int i = 0; i < 4; ++i) {
                record[i] = static_cast<char>((first >> (8 * i)) & 0xff);
                record[4 + i] = static_cast<char>((code >> (8 * i)) & 0xff);
            }
            std::memcpy(record.data() + 8, answerText.data(), answerText.size());
            (void)::send(client, record.data(), record.size(), MSG_NOSIGNAL);
            // Hold the connection until the handheld closes it.
            while (::recv(client, &byte, 1, 0) > 0) { }
            ::close(client);
        }

        ::pocket::link::testing::LoopbackListener m_listener;
        std::thread m_thread;
    };

    // A login server that greets with one frame, keeps what the client answers
    // and closes the connection once the answer is whole.
    class GreetingPeer {
    public:
        explicit GreetingPeer(std::string greeting)
        {
            port = m_listener.port();
            m_thread = std::thread([this, greeting] {
                int client = m_listener.accept();
                (void)::send(client, greeting.data(), greeting.size(), MSG_NOSIGNAL);
                std::string reply;
                char buffer[512];
                // A FLAP frame: '*', channel, sequence (2), length (2), data.
                while (reply.size() < 6
                    || reply.size() < 6u + ((std::uint8_t(reply[4]) << 8) | std::uint8_t(reply[5]))) {
                    const auto got = ::recv(client, buffer, sizeof buffer, 0);
                    if (got <= 0)
                        break;
                    reply.append(buffer, static_cast<std::size_t>(got));
                }
                {
                    std::lock_guard lock(m_mutex);
                    m_reply = reply;
                }
                ::close(client);
            });
        }
        ~GreetingPeer()
        {
            m_thread.join();
        }
        std::string reply()
        {
            std::lock_guard lock(m_mutex);
            return m_reply;
        }

        std::uint16_t port = 0;

    private:
        ::pocket::link::testing::LoopbackListener m_listener;
        std::thread m_thread;
        std::mutex m_mutex;
        std::string m_reply;
    };

    class PocketGuiTest : public ::testing::Test {
    protected:
        PocketGuiTest()
        {
            gui::testing::offscreenApp();
            m_home = std::filesystem::temp_directory_path()
                / ("pocket_gui_test_" + std::to_string(::getpid()) + "_"
                    + ::testing::UnitTest::GetInstance()->current_test_info()->name());
            std::filesystem::remove_all(m_home);
            std::filesystem::create_directories(m_home);
        }
        ~PocketGuiTest() override
        {
            m_gui.reset();
            std::filesystem::remove_all(m_home);
        }

        PocketGui& gui()
        {
            if (!m_gui) {
                m_gui = std::make_unique<PocketGui>(PocketGuiOptions { .home = m_home,
                                                        .screen = { 1 },
                                                        .clock = &m_clock,
                                                        .ui = &m_ui,
                                                        .dialUp = &m_dialUp,
                                                        .singleInstance = false },
                    *m_registry);
                EXPECT_EQ(m_gui->start(), frame::StartResult::Running);
            }
            return *m_gui;
        }

        QtMainDialog& dialog() { return *gui().window().mainDialog(); }

        QAction* menuAction(int resource, int command)
        {
            for (auto* button : gui().window().menuBarWidget(resource)->findChildren<QToolButton*>()) {
                for (QAction* action : button->menu()->actions()) {
                    if (action->data().toInt() == command)
                        return action;
                }
            }
            return nullptr;
        }

        std::filesystem::path m_home;
        platform::testing::ManualClock m_clock;
        platform::testing::FakeUi m_ui;
        NoDialUp m_dialUp;
        std::unique_ptr<platform::Registry> m_registry = platform::Registry::inMemory();
        std::unique_ptr<PocketGui> m_gui;
    };

    TEST_F(PocketGuiTest, StartsDisconnectedOnTheFirstMessengerWithTheClockDrawn)
    {
        EXPECT_EQ(gui().window().shownMenuBar(), frame::kMenuBarDisconnected);
        EXPECT_FALSE(gui().window().menuBarWidget(frame::kMenuBarDisconnected)->isHidden());
        EXPECT_TRUE(gui().window().menuBarWidget(frame::kMenuBarConnected)->isHidden());
        ASSERT_NE(menuAction(frame::kMenuBarDisconnected, frame::kCmdConnect), nullptr);
        EXPECT_EQ(
            menuAction(frame::kMenuBarDisconnected, frame::kCmdConnect)->text(), QStringLiteral("접속하기"));
        EXPECT_EQ(
            menuAction(frame::kMenuBarConnected, frame::kCmdDisconnect)->text(), QStringLiteral("접속끊기"));
        EXPECT_TRUE(dialog().isControlShown(frame::kMsnTree));
        EXPECT_FALSE(dialog().isControlShown(frame::kMyPcTree));
        EXPECT_FALSE(dialog().isControlShown(frame::kButtonYahoo));
        EXPECT_FALSE(gui().window().titleBand()->clockText().isEmpty());
        EXPECT_EQ(gui().window().size(), QSize(kScreenWidth, kScreenHeight));
        // The MSN page draws its tree, and the main dialog passes the session's
        // redraw messages on to it.
        EXPECT_EQ(dialog().msnTree()->headerItem()->text(0), QStringLiteral("사용자 정보를 등록해주세요."));
        EXPECT_EQ(dialog().msnTree()->topLevelItem(0)->text(0), QStringLiteral("온라인 사용자"));
        EXPECT_TRUE(gui().handheld().frame().router().route(4027, 10000, 1).has_value());
        EXPECT_TRUE(gui().handheld().frame().router().route(5026, 0, 0).has_value());
        EXPECT_FALSE(gui().handheld().frame().router().route(4032, 0, 0).has_value());

        // The start timer opens the start page in the web view.
        m_clock.advance(100ms);
        gui().loop().processPending();
        EXPECT_EQ(dialog().addressBox()->currentText(), QStringLiteral("\\Windows\\pda_hello.html"));
        EXPECT_TRUE(dialog().webView()->toPlainText().contains(QStringLiteral("Quillon")));
    }

    TEST_F(PocketGuiTest, ViewButtonsAndScreenChangeShowTheirControls)
    {
        qobject_cast<QPushButton*>(dialog().control(frame::kButtonMyPc))->click();
        EXPECT_TRUE(dialog().isControlShown(frame::kMyPcTree));
        EXPECT_FALSE(dialog().isControlShown(frame::kMsnTree));
        qobject_cast<QPushButton*>(dialog().control(frame::kScreenChangePc))->click();
        EXPECT_TRUE(dialog().isControlShown(frame::kWebView));
        EXPECT_FALSE(dialog().isControlShown(frame::kMyPcTree));
        qobject_cast<QPushButton*>(dialog().control(frame::kButtonMail))->click();
        EXPECT_TRUE(dialog().isControlShown(frame::kMailList));
        EXPECT_FALSE(dialog().isControlShown(frame::kWebView));
        EXPECT_TRUE(qobject_cast<QPushButton*>(dialog().control(frame::kButtonMail))->isChecked());
        EXPECT_FALSE(qobject_cast<QPushButton*>(dialog().control(frame::kButtonMsn))->isChecked());
    }

    TEST_F(PocketGuiTest, ExpandingPdaListsTheDeviceFolders)
    {
        QCoreApplication::processEvents();
        auto* tree = dialog().pcTree();
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        tree->topLevelItem(0)->setExpanded(true);
        QCoreApplication::processEvents();
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        QStringList children;
        for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i)
            children << tree->topLevelItem(0)->child(i)->text(0);
        EXPECT_TRUE(children.contains(QStringLiteral("Program Files"))) << children.join(',').toStdString();
        EXPECT_TRUE(children.contains(QStringLiteral("Windows")));
        EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
    }

    TEST_F(PocketGuiTest, LoginDialogChecksItsFieldsThroughTheCore)
    {
        menuAction(frame::kMenuBarDisconnected, frame::kCmdConnect)->trigger();
        EXPECT_TRUE(gui().loginDialog().isVisible());
        gui().loginDialog().connectButton()->click();
        EXPECT_EQ(m_ui.lastText(), "환경 설정에서 PC IP 를 입력해 주십시오.");
        gui().handheld().settings().serverIp = "127.0.0.1";
        gui().loginDialog().connectButton()->click();
        EXPECT_EQ(m_ui.lastText(), "아이디를 입력해주세요.");
        EXPECT_TRUE(gui().loginDialog().isVisible());
        gui().loginDialog().cancelButton()->click();
        EXPECT_FALSE(gui().loginDialog().isVisible());
    }

    TEST_F(PocketGuiTest, LoginToAPcShowsItsDrivesAndTheConnectedMenu)
    {
        LoginPeer peer("OK\\c:d:");
        // The scripted PC speaks the clear protocol only.
        gui().handheld().pairing().setOn(false);
        gui().handheld().settings().serverIp = "127.0.0.1";
        gui().handheld().settings().pcPort = peer.port;
        gui().handheld().link().prepare();
        menuAction(frame::kMenuBarDisconnected, frame::kCmdConnect)->trigger();
        gui().loginDialog().idEdit()->setText(QStringLiteral("kim"));
        gui().loginDialog().passwordEdit()->setText(QStringLiteral("비밀"));
        gui().loginDialog().connectButton()->click();
        ASSERT_TRUE(gui().loop().runUntil([&] { return gui().handheld().link().isLoggedIn(); }, 10s));
        EXPECT_EQ(m_ui.lastText(), "로그인되었습니다.");
        EXPECT_FALSE(gui().loginDialog().isVisible());
        EXPECT_EQ(gui().window().shownMenuBar(), frame::kMenuBarConnected);
        QCoreApplication::processEvents(); // The tree redraws after the event that changed it.
        auto* tree = dialog().pcTree();
        ASSERT_EQ(tree->topLevelItemCount(), 3);
        EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("PDA"));
        EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("C:"));
        EXPECT_EQ(tree->topLevelItem(2)->text(0), QStringLiteral("D:"));
        m_gui.reset(); // Closes the connection, so that the peer ends.
        EXPECT_EQ(peer.request, "0xx0:0 0xx1:310 0xx2:kim\n비밀");
    }

    TEST_F(PocketGuiTest, IcqLinkReportsThroughTheMainDialog)
    {
        using namespace std::string_literals;
        GreetingPeer peer("*\x01\x00\x01\x00\x04\x00\x00\x00\x01"s);
        ASSERT_TRUE(m_registry->createKey(::pocket::settings::kSettingsKey));
        ASSERT_TRUE(m_registry->setString(
            ::pocket::settings::kSettingsKey, ::pocket::app::kIcqServerValue, "127.0.0.1:" + std::to_string(peer.port)));
        const auto routedBefore = gui().handheld().frame().router().droppedCount();
        gui().handheld().icq().messenger.connect("123456", "pw");
        // The hello arrives as 5025 at the main dialog, which hands it to the
        // session; the session answers with its log-in frame.
        ASSERT_TRUE(gui().loop().runUntil([&] { return !peer.reply().empty(); }, 10s));
        const std::string reply = peer.reply();
        ASSERT_GE(reply.size(), 6u);
        EXPECT_EQ(reply[0], '*');
        EXPECT_EQ(reply[1], 1); // The sign-on channel.
        EXPECT_EQ(dialog().icqTree()->headerItem()->text(0), QStringLiteral("User identifying.."));
        // The peer closes: 5026 reaches the session the same way.
        const auto messages = m_ui.callCount();
        ASSERT_TRUE(gui().loop().runUntil([&] { return m_ui.callCount() > messages; }, 10s));
        EXPECT_EQ(m_ui.calls().back().title, "ICQ");
        EXPECT_EQ(gui().handheld().frame().router().droppedCount(), routedBefore);
    }

    TEST_F(PocketGuiTest, MsnLoginFromTheTreeMenuTalksToTheDispatchServer)
    {
        using ::pocket::msn::testing::ScriptedConnection;
        ::pocket::msn::testing::ScriptedPeer peer({ ScriptedConnection {
            { { "VER 0 MSNP5 MSNP4 CVRO\r\n", "VER 0 MSNP5\r\n" }, { "INF 1\r\n", "" } }, true } });
        ASSERT_TRUE(m_registry->createKey(::pocket::settings::kSettingsKey));
        ASSERT_TRUE(m_registry->setString(
            ::pocket::settings::kSettingsKey, ::pocket::app::kMsnServerValue, "127.0.0.1:" + std::to_string(peer.port())));
        ASSERT_TRUE(m_registry->setString(::pocket::settings::kSettingsKey, "MSNID", "me@example.com"));
        ASSERT_TRUE(m_registry->setString(::pocket::settings::kSettingsKey, "MSNPASS", "pw"));
        gui();
        EXPECT_EQ(dialog().msnTree()->headerItem()->text(0), QStringLiteral("me@example.com (오프라인)"));

        // "로그인" from the page menu: the session dials the configured server
        // and its answers come back through the link on the window thread.
        gui().msnTree().runCommand(::pocket::msn::command::kLogin);
        std::atomic<bool> done { false };
        std::thread waiter([&] { done = peer.waitDone(); });
        ASSERT_TRUE(gui().loop().runUntil(
            [&] {
                return dialog().msnTree()->headerItem()->text(0)
                    != QStringLiteral("me@example.com (오프라인)")
                    && done;
            },
            10s))
            << peer.failure();
        waiter.join();
        EXPECT_TRUE(done) << peer.failure();
    }

    TEST_F(PocketGuiTest, PcPagesShowUnderTheLoginIdAndLoadFromThePcWebPort)
    {
        ::pocket::link::testing::OneShotHttpServer server(200, "<html><body><p>PC 문서</p></body></html>");
        gui().handheld().settings().serverIp = "127.0.0.1";
        gui().handheld().settings().myId = "kim";
        gui().handheld().settings().pcWebPort = server.port();
        gui().handheld().web().viewer.show("http://kim/pda_ReqDoc/a.html", true);
        EXPECT_EQ(dialog().addressBox()->currentText(), QStringLiteral("http://kim/pda_ReqDoc/a.html"));
        EXPECT_TRUE(dialog().webView()->toPlainText().contains(QStringLiteral("PC 문서")));
        EXPECT_NE(server.requestHead().find("GET /pda_ReqDoc/a.html"), std::string::npos);

        // "home" goes back to the start page the program put on the device.
        qobject_cast<QPushButton*>(dialog().control(frame::kHomeButton))->click();
        EXPECT_TRUE(dialog().webView()->toPlainText().contains(QStringLiteral("GO")));
    }

    TEST_F(PocketGuiTest, StoredMailsAreListedAtStartAndOpenOnTheContentScreen)
    {
        ASSERT_TRUE(m_registry->createKey(::pocket::settings::kSettingsKey));
        ASSERT_TRUE(m_registry->setString(::pocket::settings::kSettingsKey, "MY_ID", "kim"));
        ::pocket::settings::PdaSettings settings;
        settings.myId = "kim";
        const auto file = ::pocket::device::DeviceRoot(m_home / "device")
                              .toLocal(::pocket::mail::mailFilePath(settings, "m1"));
        std::filesystem::create_directories(file.parent_path());
        ASSERT_TRUE(::pocket::mail::writeLocalFile(file,
            "//From : lee \r\nTo : kim \r\nCc :  \r\nTitle : 안녕 \r\nTime : 2026.01.01 목 10:00:00 \r\n"
            "Pop3 : pop.x \r\nBody : <pre>본문</pre>[END]"));

        gui();
        m_clock.advance(100ms); // The start timer lists the stored mail.
        gui().loop().processPending();
        auto* list = dialog().mailList();
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("안녕"));
        EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("lee"));

        qobject_cast<QPushButton*>(dialog().control(frame::kButtonMail))->click();
        list->setCurrentItem(list->topLevelItem(0));
        qobject_cast<QPushButton*>(dialog().control(frame::kMailView))->click();
        EXPECT_EQ(gui().handheld().frame().screen(frame::kViewMail), frame::Screen::Alternate);
        EXPECT_TRUE(dialog().isControlShown(frame::kMailBody));
        EXPECT_FALSE(dialog().isControlShown(frame::kMailList));
        EXPECT_TRUE(dialog().mailHeader()->text().contains(QStringLiteral("m1")));
        EXPECT_TRUE(dialog().mailBody()->toPlainText().contains(QStringLiteral("본문")))
            << dialog().mailBody()->toPlainText().toStdString();
        // MTAB1 goes back to the list.
        qobject_cast<QPushButton*>(dialog().control(frame::kMailListTab))->click();
        EXPECT_TRUE(dialog().isControlShown(frame::kMailList));
    }

    TEST_F(PocketGuiTest, MailWriteOpensTheComposerWhichAsksBeforeClosing)
    {
        qobject_cast<QPushButton*>(dialog().control(frame::kButtonMail))->click();
        qobject_cast<QPushButton*>(dialog().control(frame::kMailWrite))->click();
        auto windows = QApplication::topLevelWidgets();
        auto found = std::find_if(windows.begin(), windows.end(),
            [](QWidget* w) { return w->isVisible() && w->windowTitle() == QStringLiteral("메일 쓰기"); });
        ASSERT_NE(found, windows.end());
        m_ui.pushAnswer(platform::Answer::Cancel);
        (*found)->close();
        EXPECT_TRUE((*found)->isVisible());
        m_ui.pushAnswer(platform::Answer::Ok);
        (*found)->close();
        EXPECT_FALSE((*found)->isVisible());
    }

    TEST_F(PocketGuiTest, OptionsSheetStoresTheConnectionsPage)
    {
        menuAction(frame::kMenuBarDisconnected, frame::kCmdOptions)->trigger();
        auto& sheet = gui().optionsSheet();
        EXPECT_TRUE(sheet.isVisible());
        sheet.tabs()->setCurrentIndex(1);
        sheet.connections().pcIp->setText(QStringLiteral("10.0.0.7"));
        m_ui.pushAnswer(platform::Answer::Ok);
        sheet.applyPage(::pocket::settings::OptionsPage::Connections);
        EXPECT_FALSE(sheet.isVisible());
        EXPECT_EQ(gui().handheld().settings().serverIp, "10.0.0.7");
        EXPECT_EQ(m_registry->getString(::pocket::settings::kSettingsKey, "SEVER_IP"), "10.0.0.7");
    }

    TEST_F(PocketGuiTest, OptionsSheetValidatesAccountsAndStoresEveryShownPage)
    {
        gui().handheld().frame().onCommand(frame::kCmdOptions);
        auto& sheet = gui().optionsSheet();
        // ICQ checked with nothing filled in: the sheet stays open.
        sheet.accounts().msn->setChecked(false);
        sheet.accounts().icq->setChecked(true);
        sheet.accounts().icqId->clear();
        m_ui.pushAnswer(platform::Answer::Ok);
        sheet.applyPage(::pocket::settings::OptionsPage::Accounts);
        EXPECT_EQ(m_ui.lastText(), "ICQ사용자 정보를 입력해주세요.");
        EXPECT_TRUE(sheet.isVisible());

        // Filled in, and the folder page visited too: both pages store.
        sheet.accounts().icqId->setText(QStringLiteral("1234567"));
        sheet.accounts().icqPassword->setText(QStringLiteral("pw"));
        sheet.tabs()->setCurrentIndex(2);
        sheet.folders().period->setCurrentText(QStringLiteral("모두보기"));
        sheet.folders().web->setText(QStringLiteral("\\My Documents"));
        m_ui.pushAnswer(platform::Answer::Ok);
        sheet.applyPage(::pocket::settings::OptionsPage::Folders);
        EXPECT_FALSE(sheet.isVisible());
        EXPECT_EQ(gui().handheld().settings().icqId, "1234567");
        EXPECT_EQ(gui().handheld().settings().msnCheck, 0);
        EXPECT_EQ(gui().handheld().settings().mailViewPeriod, -1);
        EXPECT_EQ(gui().handheld().settings().webFolderPath, "\\My Documents");
        // MSN is off now: its view button goes.
        EXPECT_FALSE(dialog().isControlShown(frame::kButtonMsn));
        EXPECT_EQ(gui().handheld().frame().currentView(), frame::kViewIcq);
    }

    TEST_F(PocketGuiTest, FolderButtonsChooseAmongTheDeviceFoldersOnly)
    {
        const auto device = m_home / "device";
        std::filesystem::create_directories(device / "My Documents" / "web");
        std::filesystem::create_directories(m_home / "elsewhere");
        std::filesystem::create_directory_symlink(m_home / "elsewhere", device / "outside");
        gui().handheld().frame().onCommand(frame::kCmdOptions);
        auto& sheet = gui().optionsSheet();
        sheet.tabs()->setCurrentIndex(2);
        QLineEdit* web = sheet.folders().web;
        auto* form = qobject_cast<QFormLayout*>(web->parentWidget()->layout());
        ASSERT_NE(form, nullptr);
        auto* chooser = qobject_cast<QToolButton*>(form->labelForField(web));
        ASSERT_NE(chooser, nullptr);

        testing::whenModal<QtDeviceFolderDialog>([](QtDeviceFolderDialog& folders) {
            EXPECT_EQ(folders.windowTitle(), QStringLiteral("첨부파일"));
            // A link out of the device root is no device folder.
            EXPECT_FALSE(folders.select("\\outside"));
            EXPECT_TRUE(folders.select("\\My Documents\\web"));
            folders.okButton()->click();
        });
        m_ui.pushAnswer(platform::Answer::Ok);
        chooser->click();
        EXPECT_EQ(m_ui.calls().back().text, "\\My Documents\\web\n로 하시겠습니까?");
        EXPECT_EQ(web->text(), QStringLiteral("\\My Documents\\web"));

        // Cancelled: the edit keeps its text.
        testing::whenModal<QtDeviceFolderDialog>([](QtDeviceFolderDialog& folders) {
            EXPECT_TRUE(folders.select("\\My Documents"));
            folders.reject();
        });
        chooser->click();
        EXPECT_EQ(web->text(), QStringLiteral("\\My Documents\\web"));
        sheet.close();
    }

    TEST_F(PocketGuiTest, ConnectionsPageDisablesTheDialChecksWithoutAMatchingEntry)
    {
        gui().handheld().settings().myConnection = "nothing";
        gui().handheld().frame().onCommand(frame::kCmdOptions);
        auto& sheet = gui().optionsSheet();
        sheet.tabs()->setCurrentIndex(1);
        EXPECT_FALSE(sheet.connections().autoDial->isEnabled());
        EXPECT_FALSE(sheet.connections().autoDisconnection->isEnabled());
        EXPECT_FALSE(sheet.connections().autoDial->isChecked());
        sheet.close(); // The window's own close is "취소".
        EXPECT_FALSE(sheet.isVisible());
    }

    TEST_F(PocketGuiTest, ExitAsksAndCancelKeepsTheWindow)
    {
        gui().window().show();
        m_ui.pushAnswer(platform::Answer::Cancel);
        gui().window().close(); // The close button asks too.
        EXPECT_TRUE(gui().window().isVisible());
        EXPECT_EQ(m_ui.lastText(), "종료하시겠습니까?");
        m_ui.pushAnswer(platform::Answer::Ok);
        menuAction(frame::kMenuBarDisconnected, frame::kCmdExit)->trigger();
        EXPECT_FALSE(gui().window().isVisible());
        EXPECT_FALSE(gui().handheld().frame().isRunning());
    }

    TEST_F(PocketGuiTest, ExitEndsTheProgramWithChatAndMessageWindowsOpen)
    {
        gui().window().show();
        // An MSN chat window asks its chat before it closes; an ICQ message
        // window is open too.
        auto chat = gui().msnChatWindows().createChatWindow(0);
        chat->show();
        auto message = gui().icqTree().createMessageWindow(0);
        message->bringUp();
        QCoreApplication::processEvents();

        QTimer::singleShot(0, [this] {
            m_ui.pushAnswer(platform::Answer::Ok);
            menuAction(frame::kMenuBarDisconnected, frame::kCmdExit)->trigger();
        });
        // The loop ends by itself; this only stops a test that would hang.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        guard.start(10000);
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_FALSE(gui().handheld().frame().isRunning());
    }

} // namespace
} // namespace gui::handheld
