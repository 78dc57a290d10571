#pragma once

// File: apps/quillon-pocket/console_msn.h
// The console's "msn ..." commands: the MSN page's menus, the chat windows
// and pen messages of the handheld core, driven from standard input. Each
// command that waits for the server returns once it answered (or after a
// time-out, with a line on the error stream). Window thread only.

#include <functional>
#include <iosfwd>
#include <string>

namespace pocket::app {
class Handheld;
}

namespace pocket::msn {
class MsnChat;
}

namespace apps::pocket {

class MsnConsolePageView;
class MsnConsoleWindows;

class ConsoleMsn {
public:
    // Runs the loop until the condition holds; false on time-out.
    using WaitFor = std::function<bool(const std::function<bool()>&)>;

    ConsoleMsn(::pocket::app::Handheld& handheld, MsnConsolePageView& page, MsnConsoleWindows& windows,
        std::ostream& out, std::ostream& err, WaitFor waitFor);

    static const char* help();
    // Runs "msn ARGUMENTS"; `line` is the arguments.
    void execute(const std::string& line);

private:
    void account(const std::string& id, const std::string& password);
    void login();
    void setStatus(const std::string& word);
    void listContacts();
    bool selectContact(const std::string& email);
    void openChat(const std::string& email);
    void listChats();
    void sendPen(const std::string& slot, const std::string& file);
    ::pocket::msn::MsnChat* chatAt(const std::string& slotText);
    void waitFor(const std::function<bool()>& done, const char* what);

    ::pocket::app::Handheld& m_handheld;
    MsnConsolePageView& m_page;
    MsnConsoleWindows& m_windows;
    std::ostream& m_out;
    std::ostream& m_err;
    WaitFor m_waitFor;
};

} // namespace apps::pocket
