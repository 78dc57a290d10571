#pragma once

// File: pc/app/console_window.h
// The main window in a terminal: its view (the state shows in the log and
// with the "status" command; closing ends the program), its dialogs (the
// console login; file names come with the commands) and the console commands
// of every main-window command. Window thread only.

#include "pc/app/console_login.h"
#include "pc/app/main_window.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace pc::app {

class ConsoleMainView final : public MainView {
public:
    // `onClose` runs when the window closes for good.
    explicit ConsoleMainView(std::function<void()> onClose);

    void showServerState(const ServerState& state) override { m_state = state; }
    void setDateLabel(const std::string& text) override { m_date = text; }
    void hideWindow() override { }
    void showWindow() override { }
    void closeWindow() override;

    const ServerState& state() const { return m_state; }
    const std::string& date() const { return m_date; }
    bool isClosed() const { return m_closed; }

private:
    std::function<void()> m_onClose;
    ServerState m_state;
    std::string m_date;
    bool m_closed = false;
};

class ConsoleDialogs final : public ShellDialogs {
public:
    void setLoginInput(ConsoleLoginInput input) { m_input = std::move(input); }

    bool runLogin(LoginDialog& dialog) override;
    // The console edits settings with its own commands.
    bool runSettings(SettingsDialog&) override { return false; }
    std::optional<std::filesystem::path> chooseLogToView(const std::filesystem::path&) override { return {}; }
    std::optional<std::filesystem::path> chooseLogToSave(const std::filesystem::path&) override { return {}; }

    // Why the last login failed.
    ConsoleLoginError loginError() const { return m_error; }

private:
    ConsoleLoginInput m_input;
    ConsoleLoginError m_error = ConsoleLoginError::Cancelled;
};

// The main window's commands typed on the console:
//   start, stop, status, viewlog FILE, savelog FILE, clearlog, ip, datetime,
//   about, exit (asks first, as the window's close does).
class ConsoleWindowCommands {
public:
    ConsoleWindowCommands(MainWindow& window, const ConsoleMainView& view, std::ostream& out);

    enum class Handled {
        No, // Not a window command.
        Yes,
        Closed, // The window closed; the program ends.
    };
    Handled handle(const std::vector<std::string>& words);
    void printHelp();

private:
    MainWindow& m_window;
    const ConsoleMainView& m_view;
    std::ostream& m_out;
};

} // namespace pc::app
