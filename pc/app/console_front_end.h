#pragma once

// File: pc/app/console_front_end.h
// The headless program's front end: the console login, the tip in the log,
// the start of the server after login (the user's option or --start) and
// the console commands read from standard input on the window thread. The
// end of input stops reading commands, not the program.

#include "pc/app/console_commands.h"
#include "pc/app/console_log.h"
#include "pc/app/console_login.h"
#include "pc/app/pc_shell.h"
#include "platform/event_loop.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace pc::app {

// The tip appended to the log pane after login.
extern const char* const kLoginTip;

struct ConsoleStart {
    ConsoleLoginInput login;
    bool startNow = false; // --start
};

class ConsoleFrontEnd {
public:
    // `onExit` runs on the window thread when the user types "exit".
    ConsoleFrontEnd(PcShell& shell, platform::EventLoop& loop, platform::Ui& ui, ConsoleLog& log, std::istream& in,
        int inFd, std::ostream& out, std::function<void()> onExit);
    ~ConsoleFrontEnd();

    // Login, tip and start. The error is the message to print before ending:
    // the login failed, or the server asked for by --start could not start.
    platform::Result<void, std::string> begin(const ConsoleStart& start);

    // Reads commands from the input whenever it is readable.
    void watchInput();

private:
    void onInputReadable();
    void stopWatching();

    PcShell& m_shell;
    platform::EventLoop& m_loop;
    ConsoleLog& m_log;
    std::istream& m_in;
    int m_inFd;
    std::function<void()> m_onExit;
    ConsoleCommands m_commands;
    bool m_watching = false;
};

} // namespace pc::app
