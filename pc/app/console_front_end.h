#pragma once

// File: pc/app/console_front_end.h
// The headless program's front end: the main window's logic with console
// views. begin() runs the start-up (update check, console login, the tip,
// the start of the server after login: the user's option or --start); then
// the console commands are read from standard input on the window thread.
// The end of input stops reading commands, not the program.

#include "pc/app/console_commands.h"
#include "pc/app/console_log.h"
#include "pc/app/console_window.h"
#include "pc/app/desktop_launcher.h"
#include "pc/app/main_window.h"
#include "pc/app/pc_shell.h"
#include "pc/app/update_check.h"
#include "platform/event_loop.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace pc::app {

struct ConsoleStart {
    ConsoleLoginInput login;
    bool startNow = false; // --start
};

class ConsoleFrontEnd {
public:
    // `onExit` runs on the window thread when the user has typed "exit" and
    // confirmed it.
    ConsoleFrontEnd(PcShell& shell, platform::EventLoop& loop, platform::Ui& ui, LogSink& log, std::istream& in,
        int inFd, std::ostream& out, std::function<void()> onExit);
    ~ConsoleFrontEnd();

    // The start-up. The error is the message to print before ending: the
    // login failed, the update program was started, or the server asked for
    // by --start could not start.
    platform::Result<void, std::string> begin(const ConsoleStart& start);

    // Reads commands from the input whenever it is readable.
    void watchInput();

    MainWindow& window() { return m_window; }

private:
    void onInputReadable();
    void stopWatching();
    bool handleLine(const std::string& line);

    PcShell& m_shell;
    platform::EventLoop& m_loop;
    std::istream& m_in;
    int m_inFd;
    std::ostream& m_out;
    std::function<void()> m_onExit;
    bool m_begun = false;
    ConsoleMainView m_view;
    ConsoleDialogs m_dialogs;
    XdgLauncher m_launcher;
    UpdateCheck m_updateCheck;
    MainWindow m_window;
    ConsoleWindowCommands m_windowCommands;
    ConsoleCommands m_commands;
    bool m_watching = false;
};

} // namespace pc::app
