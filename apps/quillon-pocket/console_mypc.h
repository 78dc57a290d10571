#pragma once

// File: apps/quillon-pocket/console_mypc.h
// The My PC commands of the console front end: search the PC and page
// through the results, fetch a PC file to the handheld, send a handheld file
// to the PC, and list handheld folders. Each command returns once the PC's
// answer (and the transfer it starts) has been handled, so a script reads
// in order. Window thread only.

#include <iosfwd>
#include <memory>
#include <string>

namespace platform {
class EventLoop;
class HttpFetch;
}

namespace pocket::device {
class DeviceRoot;
}

namespace pocket::link {
class PcLink;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace apps::pocket {

class ConsoleLineUi;

class ConsoleMyPc {
public:
    ConsoleMyPc(platform::EventLoop& loop, ConsoleLineUi& ui, ::pocket::link::PcLink& link,
        const ::pocket::settings::PdaSettings& settings, const ::pocket::device::DeviceRoot& device, platform::HttpFetch& fetch,
        std::ostream& out, std::ostream& err);
    ~ConsoleMyPc();

    // The lines of the help text for these commands.
    static const char* help();

    // Runs the command when it is one of these; false when it is not.
    bool execute(const std::string& command, const std::string& arguments);

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace apps::pocket
