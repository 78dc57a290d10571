#pragma once

// File: apps/quillon-pocket/console_mypc.h
// The My PC commands of the console front end: search the PC and page
// through the results, fetch a PC file to the handheld, send a handheld file
// to the PC, and list handheld folders. Each command returns once the PC's
// answer (and the transfer it starts) has been handled, so a script reads
// in order. Window thread only.

#include <functional>
#include <iosfwd>
#include <string>

namespace pocket::app {
class Handheld;
}

namespace apps::pocket {

class ConsoleMyPc {
public:
    using WaitFor = std::function<void(const std::function<bool()>&)>;

    ConsoleMyPc(::pocket::app::Handheld& handheld, std::ostream& out, std::ostream& err, WaitFor waitFor);

    // The lines of the help text for these commands.
    static const char* help();

    // Runs the command when it is one of these; false when it is not.
    bool execute(const std::string& command, const std::string& arguments);

private:
    void runSearch(const std::string& arguments);
    void page(bool forward);
    void get(const std::string& arguments);
    void put(const std::string& arguments);
    void listHandheld(const std::string& arguments);
    // Waits for `done`, or for the PC connection to end.
    void waitForPc(const std::function<bool()>& done);

    ::pocket::app::Handheld& m_handheld;
    std::ostream& m_out;
    std::ostream& m_err;
    WaitFor m_waitFor;
};

} // namespace apps::pocket
