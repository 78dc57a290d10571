#include "apps/quillon/options.h"

#include "platform/decimal_number.h"

#include <functional>
#include <string_view>

namespace apps::quillon {
namespace {

using platform::unexpected;

std::optional<std::uint16_t> parsePort(std::string_view text)
{
    return platform::parseDecimal<std::uint16_t>(text);
}

struct Flag {
    std::string_view name;
    bool PcOptions::*field;
};

const Flag kFlags[] = {
    { "--headless", &PcOptions::headless },
    { "--start", &PcOptions::start },
    { "--trace", &PcOptions::trace },
    { "--help", &PcOptions::help },
    { "--version", &PcOptions::version },
};

struct PortOption {
    std::string_view name;
    std::optional<std::uint16_t> PcOptions::*field;
};

const PortOption kPorts[] = {
    { "--command-port", &PcOptions::commandPort },
    { "--upload-port", &PcOptions::uploadPort },
    { "--web-port", &PcOptions::webPort },
};

struct TextOption {
    std::string_view name;
    std::string PcOptions::*field;
};

const TextOption kTexts[] = {
    { "--home", &PcOptions::home },
    { "--id", &PcOptions::id },
    { "--credentials", &PcOptions::credentials },
};

} // namespace

platform::Result<PcOptions, std::string> parseOptions(const std::vector<std::string>& arguments)
{
    PcOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        std::string_view name = argument.substr(0, argument.find('='));
        std::optional<std::string> inlineValue;
        if (name.size() < argument.size())
            inlineValue = std::string(argument.substr(name.size() + 1));
        // Takes the option's value from after "=" or from the next word.
        auto value = [&]() -> std::optional<std::string> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };
        bool known = false;
        for (const auto& flag : kFlags) {
            if (argument == flag.name) {
                options.*flag.field = true;
                known = true;
            }
        }
        for (const auto& port : kPorts) {
            if (name != port.name)
                continue;
            auto text = value();
            auto number = text ? parsePort(*text) : std::nullopt;
            if (!number)
                return unexpected(std::string(port.name) + " needs a port number (0 to 65535)");
            options.*port.field = *number;
            known = true;
        }
        for (const auto& text : kTexts) {
            if (name != text.name)
                continue;
            auto given = value();
            if (!given || given->empty())
                return unexpected(std::string(text.name) + " needs a value");
            options.*text.field = *given;
            known = true;
        }
        if (!known)
            return unexpected("unknown option " + std::string(argument));
    }
    return options;
}

std::string usageText()
{
    return "usage: quillon [--headless] [--home DIR] [--id ID] [--credentials FILE] [--start]\n"
           "               [--command-port N] [--upload-port N] [--web-port N] [--trace]\n"
           "       quillon [--home DIR] RegServer | UnregServer\n"
           "       quillon --help | --version\n"
           "\n"
           "The PC server for the Quillon handheld. With a display it opens its window;\n"
           "without one, or with --headless, it runs in the terminal.\n"
           "\n"
           "Options:\n"
           "  --headless          run in the terminal even when a display is there\n"
           "  --home DIR          the home folder (settings, mail boxes, log, service root)\n"
           "  --id ID             the login id the handheld must present\n"
           "  --credentials FILE  read the login id and password from FILE (lines id=... and\n"
           "                      password=...; readable by its owner only), headless mode\n"
           "  --start             start the server at once\n"
           "  --command-port N    the handheld's command port (default: the settings, 4000)\n"
           "  --upload-port N     the upload port (default: the settings, 4040)\n"
           "  --web-port N        the web server's port (default: the settings, 91)\n"
           "  --trace             write a debug trace on standard error\n"
           "  --help              show this text\n"
           "  --version           show the version\n"
           "  RegServer           record the program's registration and end\n"
           "  UnregServer         remove the program's registration and end\n"
           "\n"
           "Environment:\n"
           "  QUILLON_PASSWORD    the login password (else the remembered one, else a prompt)\n"
           "  QUILLON_HOME        the home folder when --home is not given\n"
           "  XDG_DATA_HOME       the home folder is $XDG_DATA_HOME/quillon when neither is\n"
           "                      given (default ~/.local/share/quillon)\n"
           "  XDG_CONFIG_HOME     where the start-with-the-desktop entry goes\n"
           "                      ($XDG_CONFIG_HOME/autostart, default ~/.config/autostart)\n"
           "  XDG_RUNTIME_DIR     where the HWP bridge's sockets live\n"
           "  DISPLAY, WAYLAND_DISPLAY  a display to open the window on\n"
           "  QUILLON_TRACE       1: the debug trace, as --trace\n"
           "\n"
           "The handheld's code page is the value CodePage in section [Quillon] of\n"
           "Quillon.ini (UTF-8 by default, CP949 for legacy handhelds; the console\n"
           "command codepage [NAME] shows or sets it; it applies at the next start).\n"
           "The log goes to standard output and to the log folder (boxes/log in the home\n"
           "folder, one file a day). See quillon(1).\n";
}

} // namespace apps::quillon
