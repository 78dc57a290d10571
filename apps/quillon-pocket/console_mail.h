#pragma once

// File: apps/quillon-pocket/console_mail.h
// The console's "mail ..." and "view ..." commands: the handheld's mail
// client and web view driven from standard input, their views drawn as
// lines ("row", "header", "navigate"). Commands that wait for the PC return
// once its answer has been handled (or a message was shown).

#include <functional>
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

class ConsoleMail {
public:
    using WaitFor = std::function<void(const std::function<bool()>&)>;

    ConsoleMail(platform::EventLoop& loop, ConsoleLineUi& ui, ::pocket::link::PcLink& link,
        ::pocket::settings::PdaSettings& settings, const ::pocket::device::DeviceRoot& device, platform::HttpFetch& fetch,
        std::ostream& out, std::ostream& err, WaitFor waitFor);
    ~ConsoleMail();

    // Runs "mail ARGS" or "view ARGS"; false for other commands.
    bool execute(const std::string& command, const std::string& arguments);

    static const char* help();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace apps::pocket
