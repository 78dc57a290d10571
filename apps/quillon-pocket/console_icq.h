#pragma once

// File: apps/quillon-pocket/console_icq.h
// The console's "icq ..." commands: the ICQ page's menus (through the core's
// table of the page's commands), the message windows and pen messages of the
// handheld core, driven from standard input. Commands that wait for the
// server return once it answered (or after a time-out, with a line on the
// error stream). Window thread only.

#include <functional>
#include <iosfwd>
#include <string>

namespace pocket::app {
class Handheld;
}

namespace apps::pocket {

class ConsoleIcqViews;

class ConsoleIcq {
public:
    // Runs the loop until the condition holds; false on time-out.
    using WaitFor = std::function<bool(const std::function<bool()>&)>;

    ConsoleIcq(::pocket::app::Handheld& handheld, ConsoleIcqViews& views, std::ostream& out, std::ostream& err,
        WaitFor waitFor);

    static const char* help();
    // Runs "icq ARGUMENTS"; `line` is the arguments.
    void execute(const std::string& line);

private:
    void account(const std::string& number, const std::string& password);
    void login();
    void setStatus(const std::string& word);
    void listContacts();
    void send(const std::string& number, const std::string& text);
    void broadcast(const std::string& numbers, const std::string& text);
    void sendPen(const std::string& number, const std::string& file);
    bool command(int id, const std::string& selected = {});

    ::pocket::app::Handheld& m_handheld;
    ConsoleIcqViews& m_views;
    std::ostream& m_out;
    std::ostream& m_err;
    WaitFor m_waitFor;
};

} // namespace apps::pocket
