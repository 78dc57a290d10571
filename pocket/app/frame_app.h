#pragma once

// File: pocket/app/frame_app.h
// The handheld program's frame: start-up (one instance, the contact store,
// the frame window with both menu bars, the main dialog and its
// initialisation, the title band, the 100 ms start timer), the menu
// commands, view switching, the exit question and the shutdown order.
// HandheldFrame is the frame window's target (message 10024); its router is
// the main dialog's. It borrows everything it is given. Window thread only.

#include "pocket/app/frame_layout.h"
#include "pocket/app/frame_router.h"
#include "pocket/app/frame_view.h"

#include "platform/event_loop.h"

#include <map>
#include <set>
#include <string>
#include <string_view>

namespace platform {
class Registry;
class SingleInstance;
class Ui;
}

namespace pocket::link {
class PcLink;
}

namespace pocket::settings {
class DialUp;
class SettingsStore;
struct PdaSettings;
}

namespace pocket::app {

namespace text {
    constexpr std::string_view kTitle = "Quillon";
    constexpr std::string_view kAskExit = "종료하시겠습니까?";
    constexpr std::string_view kPoomFailed = "Failure registering POOM dll";
    constexpr std::string_view kMenuBarFailed = "SHCreateMenuBar Failed";
    constexpr std::string_view kSocketFailed = "Socket Initialized Fail!!";
} // namespace text

constexpr const char* kStartPage = "\\Windows\\pda_hello.html";

// Asks the exit question and closes the frame on OK.
constexpr int kMsgAskExit = 10024;
// The one-shot start timer's message (the number is the program's own).
constexpr int kMsgStartTimer = 10030;
constexpr unsigned kStartDelayMs = 100;

struct FrameParts {
    platform::EventLoop& loop;
    platform::Ui& ui;
    platform::Registry& registry;
    settings::SettingsStore& store;
    settings::PdaSettings& settings;
    link::PcLink& link;
    settings::DialUp& dialUp;
};

enum class StartResult {
    Running, // The frame is up; run the message loop.
    AlreadyRunning, // Another instance was asked to come to the front.
    Failed, // A start-up failure that ends the program was shown.
};

class HandheldFrame final : public platform::MessageTarget {
public:
    HandheldFrame(FrameParts parts, FrameView& view, FrameServices& services);
    ~HandheldFrame() override;

    // Runs the start-up. With an instance lock, a second instance asks the
    // first to come to the front and ends.
    StartResult start(platform::SingleInstance* instance = nullptr);
    bool isRunning() const { return m_running; }

    // A menu command; false for an id the frame does not know.
    bool onCommand(int id);
    // Whether a menu command can run now (a messenger's log-in while it is
    // offline and its page is shown, its log-out while it is not).
    bool isCommandEnabled(int id) const;
    // A tap on a view button.
    void onViewButton(int buttonId);
    void selectView(int view);
    // The next (1) or previous (-1) of the views shown, round the end
    // (Ctrl+Tab, Ctrl+Shift+Tab).
    void stepView(int step);
    // "화면변경" in the current view.
    void toggleScreen();
    // The web view of the My PC view, where web pages and documents show.
    void showWebScreen();
    // One of the two screens of the My PC or e-mail view, made current.
    void showScreen(int view, Screen screen);
    int currentView() const { return m_currentView; }
    Screen screen(int view) const;
    // A control the user hid (the mail header box) stays hidden on its screen.
    void setControlHidden(int id, bool hidden);
    bool isControlHidden(int id) const { return m_hidden.count(id) != 0; }

    // The PC link's menu switch: 204 when connected, 105 when not.
    void setConnected(bool connected);
    int shownMenuBar() const { return m_shownMenuBar; }

    // The settings changed the messengers: lay out and show the view again.
    void relayOut();

    // "끝내기" and message 10024: asks, and on OK closes everything.
    void askExit();
    // What destroying the main dialog and the frame does; runs once.
    void close();

    FrameRouter& router() { return m_router; }
    const std::string& codePage() const { return m_codePage; }

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    void createFrame();
    void initMainDialog();
    void onStartTimer();
    void showControls();
    int firstView() const;
    bool isViewShown(int view) const;
    // The messenger log-in and log-out commands; false for another id.
    bool onMessengerCommand(int id);

    FrameParts m_parts;
    FrameView& m_view;
    FrameServices& m_services;
    FrameRouter m_router;
    std::string m_codePage;
    std::map<int, Screen> m_screens;
    std::set<int> m_hidden;
    int m_currentView = 0;
    int m_shownMenuBar = 0;
    bool m_menuBars[2] = { false, false };
    bool m_running = false;
    bool m_closed = false;
    platform::OneShotId m_startTimer = 0;
};

} // namespace pocket::app
