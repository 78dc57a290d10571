#include "pocket/app/frame_app.h"

#include "platform/poll_event_loop.h"
#include "platform/registry.h"
#include "platform/single_instance.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/app/frame_code_page.h"
#include "pocket/link/pc_link.h"
#include "pocket/link/testing/fake_views.h"
#include "pocket/settings/dial_up.h"
#include "pocket/settings/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <unistd.h>

namespace pocket::app {
namespace {

    using platform::Answer;
    using namespace std::chrono_literals;

    class NoDialUp final : public settings::DialUp {
    public:
        std::vector<std::string> phonebookEntries() override { return {}; }
        std::optional<std::vector<std::string>> activeConnections() override { return active; }
        bool startDial(const std::string& entry) override
        {
            log.push_back("dial:" + entry);
            return true;
        }
        bool hangUp(const std::string& entry) override
        {
            log.push_back("hangUp:" + entry);
            return true;
        }
        std::vector<std::string>& log;
        std::vector<std::string> active;
        explicit NoDialUp(std::vector<std::string>& sharedLog)
            : log(sharedLog)
        {
        }
    };

    // Records the frame's calls on the window and the other parts in one log,
    // so that the order shows.
    class Recorder final : public FrameView, public FrameServices {
    public:
        void loadViewBitmaps() override { log.push_back("loadViewBitmaps"); }
        void freeViewBitmaps() override { log.push_back("freeViewBitmaps"); }
        bool createMenuBar(int resource, const std::vector<Menu>& menus) override
        {
            log.push_back("createMenuBar:" + std::to_string(resource));
            menuTitles[resource] = menus.size() == 2 ? menus[1].items[0].text : "";
            return resource != failMenuBar;
        }
        void showMenuBar(int resource) override { shownMenuBar = resource; }
        void sizeToScreen() override { log.push_back("sizeToScreen"); }
        void createMainDialog(int top) override { log.push_back("createMainDialog:" + std::to_string(top)); }
        void createTitleBand() override { log.push_back("createTitleBand"); }
        void layOut(int code) override { log.push_back("layOut:" + std::to_string(code)); }
        void drawViewButtons(int view) override { currentButtons = view; }
        void setControlVisible(int id, bool visible) override
        {
            if (visible)
                shown.insert(id);
            else
                shown.erase(id);
        }
        void bringToFront() override { ++broughtToFront; }
        void destroyMainDialog() override { log.push_back("destroyMainDialog"); }
        void destroyFrame() override { log.push_back("destroyFrame"); }

        bool registerContactStore() override
        {
            log.push_back("registerContactStore");
            return contactStoreWorks;
        }
        bool startSockets() override
        {
            log.push_back("startSockets");
            return true;
        }
        void stopSockets() override { log.push_back("stopSockets"); }
        void createHtmlViews() override { log.push_back("createHtmlViews"); }
        void releaseHtmlViews() override { log.push_back("releaseHtmlViews"); }
        void prepareMessengers(FrameRouter&) override { log.push_back("prepareMessengers"); }
        void closeMessengers() override { log.push_back("closeMessengers"); }
        void setCodePage(const std::string& name) override { log.push_back("codePage:" + name); }
        void openStartPage(const std::string& page) override { log.push_back("startPage:" + page); }
        void listStoredMail() override { log.push_back("listStoredMail"); }
        void showWebPage(const std::string& url) override { log.push_back("web:" + url); }
        void openLoginDialog() override { log.push_back("login"); }
        void openOptions() override { log.push_back("options"); }
        void signOnMessenger(int view, bool signOn) override
        {
            log.push_back((signOn ? "signOn:" : "signOff:") + std::to_string(view));
        }
        MessengerState messengerState(int view) const override
        {
            auto found = states.find(view);
            return found == states.end() ? MessengerState::Offline : found->second;
        }

        bool has(const std::string& entry) const
        {
            return std::find(log.begin(), log.end(), entry) != log.end();
        }
        std::size_t indexOf(const std::string& entry) const
        {
            return static_cast<std::size_t>(std::find(log.begin(), log.end(), entry) - log.begin());
        }

        std::vector<std::string> log;
        std::map<int, std::string> menuTitles;
        std::map<int, MessengerState> states;
        std::set<int> shown;
        int shownMenuBar = 0;
        int currentButtons = 0;
        int broughtToFront = 0;
        int failMenuBar = 0;
        bool contactStoreWorks = true;
    };

    class FrameTest : public ::testing::Test {
    protected:
        FrameTest()
            : m_root(std::filesystem::temp_directory_path()
                / ("frame_test_" + std::to_string(::getpid()) + "_"
                    + ::testing::UnitTest::GetInstance()->current_test_info()->name()))
        {
            std::filesystem::remove_all(m_root);
        }
        ~FrameTest() override
        {
            m_frames.clear();
            std::filesystem::remove_all(m_root);
        }

        HandheldFrame& frame()
        {
            if (m_frames.empty())
                m_frames.push_back(std::make_unique<HandheldFrame>(
                    FrameParts { m_loop, m_ui, *m_registry, m_store, m_settings, m_link, m_dialUp },
                    m_recorder, m_recorder));
            return *m_frames.back();
        }

        void seed(const char* name, const char* value)
        {
            ASSERT_TRUE(m_registry->createKey(settings::kSettingsKey));
            ASSERT_TRUE(m_registry->setString(settings::kSettingsKey, name, value));
        }

        void runStartTimer()
        {
            m_clock.advance(std::chrono::milliseconds(kStartDelayMs));
            m_loop.processPending();
        }

        std::filesystem::path m_root;
        platform::testing::ManualClock m_clock;
        platform::PollEventLoop m_loop { m_clock };
        platform::testing::FakeUi m_ui;
        std::unique_ptr<platform::Registry> m_registry = platform::Registry::inMemory();
        device::DeviceRoot m_device { m_root / "device" };
        settings::SettingsStore m_store { *m_registry, m_device };
        settings::PdaSettings m_settings;
        link::testing::FakePcLinkView m_linkView;
        link::PcLink m_link { m_loop, m_ui, m_settings, m_linkView };
        Recorder m_recorder;
        NoDialUp m_dialUp { m_recorder.log };
        std::vector<std::unique_ptr<HandheldFrame>> m_frames;
    };

    TEST_F(FrameTest, StartsInOrderAndLoadsTheSettingsBeforeTheViews)
    {
        seed("SEVER_IP", "127.0.0.1");
        ASSERT_EQ(frame().start(), StartResult::Running);

        const std::vector<std::string> expected = { "registerContactStore", "loadViewBitmaps",
            "createMenuBar:105", "createMenuBar:204", "sizeToScreen", "createMainDialog:26", "startSockets",
            "codePage:UTF-8", "createHtmlViews", "prepareMessengers", "layOut:3", "createTitleBand" };
        EXPECT_EQ(m_recorder.log, expected);
        EXPECT_EQ(m_settings.serverIp, "127.0.0.1");
        EXPECT_TRUE(std::filesystem::is_directory(m_device.toLocal("\\Program Files\\Quillon\\MSN")));
        EXPECT_EQ(m_recorder.shownMenuBar, kMenuBarDisconnected);
        EXPECT_EQ(m_recorder.menuTitles[kMenuBarDisconnected], "접속하기");
        EXPECT_EQ(m_recorder.menuTitles[kMenuBarConnected], "접속끊기");
        EXPECT_EQ(frame().currentView(), kViewMsn);
        EXPECT_EQ(m_ui.callCount(), 0u);
    }

    TEST_F(FrameTest, StartTimerOpensTheStartPageAndListsMailOnlyWithAFolderAndAnId)
    {
        struct Case {
            const char* myId;
            bool lists;
        };
        for (const Case& c : { Case { "", false }, Case { "kim", true } }) {
            SCOPED_TRACE(c.myId);
            m_frames.clear();
            m_recorder.log.clear();
            seed("MY_ID", c.myId);
            ASSERT_EQ(frame().start(), StartResult::Running);
            EXPECT_FALSE(m_recorder.has("startPage:\\Windows\\pda_hello.html"));
            runStartTimer();
            EXPECT_TRUE(m_recorder.has("startPage:\\Windows\\pda_hello.html"));
            EXPECT_EQ(m_recorder.has("listStoredMail"), c.lists);
        }
    }

    TEST_F(FrameTest, CodePageValueIsWrittenWhenAbsentAndReadWhenSet)
    {
        struct Case {
            const char* stored;
            const char* used;
        };
        const Case cases[] = { { nullptr, "UTF-8" }, { "cp949", "CP949" }, { "EUC-KR", "CP949" },
            { "latin1", "UTF-8" }, { "utf8", "UTF-8" } };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.stored ? c.stored : "(absent)");
            auto registry = platform::Registry::inMemory();
            ASSERT_TRUE(registry->createKey(settings::kSettingsKey));
            if (c.stored) {
                ASSERT_TRUE(registry->setString(settings::kSettingsKey, kCodePageValue, c.stored));
            }
            EXPECT_EQ(loadCodePage(*registry), c.used);
            EXPECT_TRUE(registry->getString(settings::kSettingsKey, kCodePageValue).has_value());
        }
        seed(kCodePageValue, "CP949");
        ASSERT_EQ(frame().start(), StartResult::Running);
        EXPECT_EQ(frame().codePage(), "CP949");
        EXPECT_TRUE(m_recorder.has("codePage:CP949"));
    }

    TEST_F(FrameTest, ContactStoreFailureEndsBeforeAnyWindow)
    {
        m_recorder.contactStoreWorks = false;
        EXPECT_EQ(frame().start(), StartResult::Failed);
        EXPECT_EQ(m_recorder.log, std::vector<std::string> { "registerContactStore" });
        ASSERT_EQ(m_ui.callCount(), 1u);
        EXPECT_EQ(m_ui.calls()[0].title, "Quillon");
        EXPECT_EQ(m_ui.calls()[0].text, "Failure registering POOM dll");
        EXPECT_EQ(m_ui.calls()[0].icon, platform::Icon::Warning);
    }

    TEST_F(FrameTest, MissingMenuBarIsReportedAndNeverShown)
    {
        m_recorder.failMenuBar = kMenuBarConnected;
        ASSERT_EQ(frame().start(), StartResult::Running);
        EXPECT_EQ(m_ui.lastText(), "SHCreateMenuBar Failed");
        EXPECT_TRUE(m_recorder.has("createTitleBand")); // The start-up went on.
        frame().setConnected(true);
        EXPECT_EQ(m_recorder.shownMenuBar, kMenuBarDisconnected);
    }

    TEST_F(FrameTest, ConnectedStateSwitchesTheMenuBars)
    {
        ASSERT_EQ(frame().start(), StartResult::Running);
        frame().setConnected(true);
        EXPECT_EQ(m_recorder.shownMenuBar, kMenuBarConnected);
        frame().setConnected(false);
        EXPECT_EQ(frame().shownMenuBar(), kMenuBarDisconnected);
    }

    TEST_F(FrameTest, CancelledExitKeepsTheSessionsOpen)
    {
        ASSERT_EQ(frame().start(), StartResult::Running);
        m_recorder.log.clear();
        m_ui.pushAnswer(Answer::Cancel);
        EXPECT_TRUE(frame().onCommand(kCmdExit));
        EXPECT_EQ(m_ui.calls().back().text, "종료하시겠습니까?");
        EXPECT_EQ(m_ui.calls().back().buttons, platform::Buttons::OkCancel);
        EXPECT_TRUE(m_recorder.log.empty());
        EXPECT_TRUE(frame().isRunning());
    }

    TEST_F(FrameTest, ExitClosesSessionsThenSocketsThenLineThenWindows)
    {
        seed("my-connection", "modem");
        ASSERT_TRUE(m_registry->setDword(settings::kSettingsKey, "Auto-Disconnection", 1));
        m_dialUp.active = { "other", "modem" };
        ASSERT_EQ(frame().start(), StartResult::Running);
        m_recorder.log.clear();
        m_ui.pushAnswer(Answer::Ok);
        m_loop.post(&frame(), kMsgAskExit);
        m_loop.processPending();
        const std::vector<std::string> expected = { "closeMessengers", "stopSockets", "hangUp:modem",
            "releaseHtmlViews", "destroyMainDialog", "freeViewBitmaps", "destroyFrame" };
        EXPECT_EQ(m_recorder.log, expected);
        EXPECT_FALSE(frame().isRunning());
        // A second request (the window's own close) does nothing more.
        frame().askExit();
        frame().close();
        EXPECT_EQ(m_recorder.log, expected);
        // The start timer of a closed frame does not open the start page.
        runStartTimer();
        EXPECT_FALSE(m_recorder.has("startPage:\\Windows\\pda_hello.html"));
    }

    TEST_F(FrameTest, ViewButtonsShowOneViewAtATime)
    {
        ASSERT_EQ(frame().start(), StartResult::Running);
        frame().onViewButton(kButtonIcq);
        EXPECT_EQ(m_recorder.currentButtons, kViewIcq);
        EXPECT_EQ(m_recorder.shown, std::set<int> { kIcqTree });

        frame().onViewButton(kButtonYahoo);
        EXPECT_EQ(frame().currentView(), kViewIcq);

        frame().onViewButton(kButtonMyPc);
        EXPECT_EQ(m_recorder.shown, (std::set<int> { kMyPcTree, kResultsSwitch, kScreenChangePc }));
        frame().toggleScreen();
        EXPECT_TRUE(m_recorder.shown.count(kWebView));
        EXPECT_FALSE(m_recorder.shown.count(kMyPcTree));

        frame().onViewButton(kButtonMail);
        EXPECT_TRUE(m_recorder.shown.count(kMailList));
        EXPECT_FALSE(m_recorder.shown.count(kWebView));
        // Coming back shows the screen the view was left on.
        frame().onViewButton(kButtonMyPc);
        EXPECT_TRUE(m_recorder.shown.count(kWebView));

        // A mail opened elsewhere shows the mail content screen.
        frame().showScreen(kViewMail, Screen::Alternate);
        EXPECT_EQ(frame().currentView(), kViewMail);
        EXPECT_TRUE(m_recorder.shown.count(kMailBody));
        EXPECT_FALSE(m_recorder.shown.count(kMailList));
        frame().showScreen(kViewMsn, Screen::Alternate); // The messenger views have one screen.
        EXPECT_EQ(frame().currentView(), kViewMail);

        // A control the user hid stays hidden on its screen until shown again.
        frame().setControlHidden(kMailHeader, true);
        EXPECT_FALSE(m_recorder.shown.count(kMailHeader));
        frame().onViewButton(kButtonMyPc);
        frame().onViewButton(kButtonMail);
        EXPECT_FALSE(m_recorder.shown.count(kMailHeader));
        EXPECT_TRUE(m_recorder.shown.count(kMailBody));
        frame().setControlHidden(kMailHeader, false);
        EXPECT_TRUE(m_recorder.shown.count(kMailHeader));

        // The search results: "화면변경" goes on to the web view from them.
        frame().showScreen(kViewMyPc, Screen::Results);
        EXPECT_TRUE(m_recorder.shown.count(kSearchResults));
        EXPECT_FALSE(m_recorder.shown.count(kMyPcTree));
        frame().toggleScreen();
        EXPECT_TRUE(m_recorder.shown.count(kWebView));
        EXPECT_FALSE(m_recorder.shown.count(kSearchResults));
    }

    TEST_F(FrameTest, FirstViewFollowsTheEnabledMessengers)
    {
        struct Case {
            std::uint32_t msn, icq;
            int view;
            std::vector<int> buttons;
        };
        const Case cases[] = {
            { 1, 1, kViewMsn, { kButtonMsn, kButtonIcq, kButtonMyPc, kButtonMail } },
            { 0, 1, kViewIcq, { kButtonIcq, kButtonMyPc, kButtonMail } },
            { 0, 0, kViewMyPc, { kButtonMyPc, kButtonMail } },
        };
        for (const auto& c : cases) {
            m_frames.clear();
            ASSERT_TRUE(m_registry->createKey(settings::kSettingsKey));
            ASSERT_TRUE(m_registry->setDword(settings::kSettingsKey, "msncheck", c.msn));
            ASSERT_TRUE(m_registry->setDword(settings::kSettingsKey, "icqcheck", c.icq));
            ASSERT_EQ(frame().start(), StartResult::Running);
            EXPECT_EQ(frame().currentView(), c.view);
            EXPECT_EQ(visibleViewButtons(m_settings.messengerLayoutCode), c.buttons);
        }
        // YAHOO alone (code 2) still shows no YAHOO button.
        EXPECT_EQ(visibleViewButtons(2), (std::vector<int> { kButtonMyPc, kButtonMail }));
    }

    TEST_F(FrameTest, MenuCommandsReachTheirParts)
    {
        ASSERT_EQ(frame().start(), StartResult::Running);
        m_recorder.log.clear();
        EXPECT_TRUE(frame().onCommand(kCmdConnect));
        EXPECT_TRUE(frame().onCommand(kCmdOptions));
        EXPECT_TRUE(frame().onCommand(kCmdIcqHome));
        EXPECT_EQ(
            m_recorder.log, (std::vector<std::string> { "login", "options", "web:http://www.icq.com/" }));
        EXPECT_EQ(frame().currentView(), kViewMyPc);
        EXPECT_TRUE(m_recorder.shown.count(kWebView));
        EXPECT_FALSE(frame().onCommand(12345));

        // "인터넷 접속" without a connection name asks for one.
        EXPECT_TRUE(frame().onCommand(kCmdDial));
        EXPECT_EQ(m_ui.lastText(), "환경설정의 연결정보에\n 대한 정보가 없습니다. 설정해주세요.");
        // "접속끊기" asks before logging out.
        m_ui.pushAnswer(Answer::Cancel);
        EXPECT_TRUE(frame().onCommand(kCmdDisconnect));
        EXPECT_EQ(m_ui.lastText(), "접속을 종료하시겠습니까?");
    }

    TEST_F(FrameTest, PagesStepRoundTheViewsShown)
    {
        ASSERT_TRUE(m_registry->createKey(settings::kSettingsKey));
        ASSERT_TRUE(m_registry->setDword(settings::kSettingsKey, "msncheck", 0));
        ASSERT_EQ(frame().start(), StartResult::Running);
        ASSERT_EQ(frame().currentView(), kViewIcq);
        std::vector<int> forward;
        for (int i = 0; i < 3; ++i) {
            frame().stepView(1);
            forward.push_back(frame().currentView());
        }
        EXPECT_EQ(forward, (std::vector<int> { kViewMyPc, kViewMail, kViewIcq }));
        frame().stepView(-1);
        EXPECT_EQ(frame().currentView(), kViewMail);
        EXPECT_EQ(m_recorder.currentButtons, kViewMail);
    }

    TEST_F(FrameTest, MessengerLogInFromTheToolsMenuFollowsTheSession)
    {
        ASSERT_TRUE(m_registry->createKey(settings::kSettingsKey));
        ASSERT_TRUE(m_registry->setDword(settings::kSettingsKey, "icqcheck", 1));
        ASSERT_EQ(frame().start(), StartResult::Running);
        frame().selectView(kViewMail);
        m_recorder.log.clear();

        // Offline: log-in runs and brings its page to the front; log-out is greyed.
        EXPECT_TRUE(frame().isCommandEnabled(kCmdIcqLogin));
        EXPECT_FALSE(frame().isCommandEnabled(kCmdIcqLogout));
        EXPECT_TRUE(frame().onCommand(kCmdIcqLogin));
        EXPECT_EQ(frame().currentView(), kViewIcq);
        EXPECT_TRUE(frame().onCommand(kCmdIcqLogout));
        EXPECT_EQ(m_recorder.log, (std::vector<std::string> { "signOn:2" }));

        // Signing on or online: the other way round; the page stays where it is.
        for (auto state : { MessengerState::SigningOn, MessengerState::Online }) {
            m_recorder.states[kViewMsn] = state;
            frame().selectView(kViewMail);
            EXPECT_FALSE(frame().isCommandEnabled(kCmdMsnLogin));
            EXPECT_TRUE(frame().isCommandEnabled(kCmdMsnLogout));
            EXPECT_TRUE(frame().onCommand(kCmdMsnLogout));
            EXPECT_EQ(frame().currentView(), kViewMail);
        }
        EXPECT_EQ(m_recorder.log, (std::vector<std::string> { "signOn:2", "signOff:1", "signOff:1" }));

        // A messenger whose page the settings hide cannot log in.
        m_recorder.states.clear();
        m_frames.clear();
        ASSERT_TRUE(m_registry->setDword(settings::kSettingsKey, "icqcheck", 0));
        ASSERT_EQ(frame().start(), StartResult::Running);
        EXPECT_FALSE(frame().isCommandEnabled(kCmdIcqLogin));
        EXPECT_TRUE(frame().isCommandEnabled(kCmdMsnLogin));
        EXPECT_TRUE(frame().isCommandEnabled(kCmdOptions));
    }

    TEST_F(FrameTest, SecondInstanceBringsTheFirstToTheFront)
    {
        platform::SingleInstance first(m_root / "home", "quillon-pocket");
        ASSERT_EQ(frame().start(&first), StartResult::Running);

        Recorder secondRecorder;
        HandheldFrame second(FrameParts { m_loop, m_ui, *m_registry, m_store, m_settings, m_link, m_dialUp },
            secondRecorder, secondRecorder);
        platform::SingleInstance other(m_root / "home", "quillon-pocket");
        EXPECT_EQ(second.start(&other), StartResult::AlreadyRunning);
        EXPECT_TRUE(secondRecorder.log.empty());
        EXPECT_TRUE(m_loop.runUntil([&] { return m_recorder.broughtToFront == 1; }, 5s));
    }

    TEST(FrameRouter, RoutesRangesAndDropsTheRest)
    {
        FrameRouter router;
        std::vector<int> msn;
        std::vector<int> icq;
        router.addRoute(kMsgMsnFirst, kMsgMsnLast, [&](int msg, platform::WParam, platform::LParam) {
            msn.push_back(msg);
            return platform::LResult { 1 };
        });
        router.addRoute(kMsgIcqFirst, kMsgIcqLast, [&](int msg, platform::WParam w, platform::LParam) {
            icq.push_back(msg);
            return static_cast<platform::LResult>(w);
        });
        EXPECT_EQ(router.route(4025, 0, 0), 1);
        EXPECT_EQ(router.route(4031, 0, 0), 1);
        EXPECT_EQ(router.route(5040, 7, 0), 7);
        EXPECT_FALSE(router.route(4032, 0, 0).has_value());
        EXPECT_FALSE(router.route(5024, 0, 0).has_value());
        EXPECT_FALSE(router.route(6025, 0, 0).has_value());
        EXPECT_EQ(msn, (std::vector<int> { 4025, 4031 }));
        EXPECT_EQ(icq, std::vector<int> { 5040 });
        EXPECT_EQ(router.droppedCount(), 3u);

        router.removeRoutes(kMsgMsnFirst, kMsgMsnLast);
        EXPECT_FALSE(router.route(4025, 0, 0).has_value());
    }

    TEST(FrameRouter, ForwardedTargetThatIsGoneIsNotCalled)
    {
        struct Target final : platform::MessageTarget {
            platform::LResult onMessage(int msg, platform::WParam, platform::LParam) override { return msg; }
        };
        FrameRouter router;
        auto target = std::make_unique<Target>();
        router.forward(kMsgIcqFirst, kMsgIcqLast, *target);
        EXPECT_EQ(router.route(5026, 0, 0), 5026);
        target.reset();
        EXPECT_EQ(router.route(5026, 0, 0), 0);
    }

} // namespace
} // namespace pocket::app
