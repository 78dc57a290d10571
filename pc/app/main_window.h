#pragma once

// File: pc/app/main_window.h
// The main window of the PC program without its widgets: the start-up timer
// (update check, login, the user's settings, the tip, the start after login),
// the server's start and stop with everything that shows the state, the log
// commands, the PC's address, the date label with its 60-second refresh,
// hiding, and the exit question. The Qt window and the console front end
// implement the views and pass the user's commands in by their ids.
// Lives on the window thread; the shell and every port outlive it.

#include "pc/app/desktop_launcher.h"
#include "pc/app/log_sink.h"
#include "pc/app/pc_shell.h"
#include "pc/app/update_check.h"
#include "platform/event_loop.h"
#include "platform/ui.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace pc::app {

// Ids of the menu entries, the tray menu's entries and the picture buttons.
namespace command {
inline constexpr int kSettings = 32771; // 도구 - 환경설정
inline constexpr int kViewLog = 32772; // 도구 - 로그 보기
inline constexpr int kStartServer = 32773; // 연결 - 서버시작
inline constexpr int kStopServer = 32774; // 연결 - 서버중지
inline constexpr int kExit = 32776; // 연결 - 종료
inline constexpr int kTrayStartServer = 32777;
inline constexpr int kTrayStopServer = 32778;
inline constexpr int kTrayActivate = 32779; // 활성화 시키기
inline constexpr int kTraySettings = 32780;
inline constexpr int kTrayExit = 32781;
inline constexpr int kSaveLog = 32782; // 도구 - 로그 저장
inline constexpr int kClearLog = 1023; // 도구 - 로그 지우기
inline constexpr int kAbout = 57664; // 도움말 - Quillon 정보
// Picture buttons without a menu entry.
inline constexpr int kShowAddress = 1001; // 내 컴퓨터 IP보기
inline constexpr int kDateTime = 1002; // 달력보기
} // namespace command

// What shows whether the server runs: title, tray tip, status text, the
// start and stop buttons and their menu entries (main menu and tray menu).
struct ServerState {
    bool running = false;
    std::string title;
    std::string trayTip;
    std::string status;
    bool startEnabled = true;
    bool stopEnabled = false;

    bool operator==(const ServerState&) const = default;
};

ServerState serverStateFor(bool running);

// The tip appended to the log pane after login.
extern const char* const kLoginTip;

// The window itself.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void showServerState(const ServerState& state) = 0;
    virtual void setDateLabel(const std::string& text) = 0;
    virtual void hideWindow() = 0;
    // Shows the window and brings it to the front.
    virtual void showWindow() = 0;
    // Closes the window for good; the program ends.
    virtual void closeWindow() = 0;
};

// The dialogs the window opens. The file dialogs start in `folder` and
// return nullopt when cancelled.
class ShellDialogs {
public:
    virtual ~ShellDialogs() = default;
    // Runs the login dialog over the logic; false when it was cancelled.
    virtual bool runLogin(LoginDialog& dialog) = 0;
    // Runs the settings dialog; true when the user pressed OK (the window
    // then applies it).
    virtual bool runSettings(SettingsDialog& dialog) = 0;
    // Filter "TXT Files (*.txt)|*.txt".
    virtual std::optional<std::filesystem::path> chooseLogToView(const std::filesystem::path& folder) = 0;
    // Filter "All files (*.txt) | *.txt ".
    virtual std::optional<std::filesystem::path> chooseLogToSave(const std::filesystem::path& folder) = 0;
};

struct MainWindowPorts {
    MainView* view = nullptr;
    ShellDialogs* dialogs = nullptr;
    DesktopLauncher* launcher = nullptr;
    platform::Ui* ui = nullptr;
    LogSink* log = nullptr;
    // The start-up's update check; none: no check.
    std::function<UpdateOutcome()> checkForUpdate;
    // The PC's address in dotted form, or "" when it cannot be found.
    std::function<std::string()> lookUpAddress;
};

enum class StartupOutcome {
    Ready,
    ServerFailed, // The server was to start after login and did not.
    UpdateChosen, // The window closed for the update.
    LoginCancelled, // The window closed.
};

class MainWindow final : public platform::MessageTarget {
public:
    static constexpr int kStartupTimer = 1000;
    static constexpr unsigned kStartupDelayMs = 100;
    static constexpr int kDateTimer = 2;
    static constexpr unsigned kDateRefreshMs = 60000;

    // `programFolder` holds "boxes" with its "log" folder and "QLVER.txt".
    MainWindow(PcShell& shell, platform::EventLoop& loop, MainWindowPorts ports, std::filesystem::path programFolder);
    ~MainWindow() override;

    // The window opens: folders, the stopped state, the date label and its
    // timer, then the start-up timer (unless the caller runs the start-up
    // itself).
    void open(bool withStartupTimer = true);
    // What the start-up timer runs; `startNow` starts the server whatever
    // the user's option says (--start).
    StartupOutcome runStartup(bool startNow = false);
    void setStartNow(bool on) { m_startNow = on; }

    // A menu entry, tray menu entry or button; false for an unknown id.
    bool onCommand(int id);
    void onHideKey(); // Escape and F4.
    void onTrayDoubleClick();
    void onDateLabelClicked();
    // The window's close button and 종료: asks first. True when it closed.
    bool requestClose();
    // The program is asked to end (SIGTERM): closes without asking.
    void closeForShutdown() { closeNow(); }

    bool startServer();
    void stopServer();
    void viewLog();
    void viewLogFile(const std::filesystem::path& file);
    void saveLog();
    bool saveLogTo(std::filesystem::path file);
    void clearLog();
    void showAddress();
    void openDateTime();
    void openSettings();
    void showAbout();
    void activate();

    const ServerState& serverState() const { return m_state; }
    std::string dateLabel() const;
    std::filesystem::path mailBoxes() const { return m_programFolder / "boxes"; }
    std::filesystem::path logFolder() const { return mailBoxes() / "log"; }
    // A file name as typed: relative names are in the log folder.
    std::filesystem::path inLogFolder(const std::filesystem::path& name) const;

private:
    void onTimer(int id) override;
    void startServerCommand() { startServer(); }
    void closeCommand() { requestClose(); }
    void showState();
    void closeNow();

    PcShell& m_shell;
    platform::EventLoop& m_loop;
    MainWindowPorts m_ports;
    std::filesystem::path m_programFolder;
    ServerState m_state;
    bool m_startNow = false;
    bool m_closed = false;
};

} // namespace pc::app
