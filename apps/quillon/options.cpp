#include "apps/quillon/options.h"

#include <charconv>
#include <functional>
#include <string_view>

namespace apps::quillon {
namespace {

using platform::unexpected;

std::optional<std::uint16_t> parsePort(std::string_view text)
{
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
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
};

struct PortOption {
    std::string_view name;
    std::uint16_t PcOptions::*field;
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
    return "usage: quillon [--headless] [--home DIR] [--id ID] [--start] [--command-port N]\n"
           "               [--upload-port N] [--web-port N] [--trace]\n"
           "       quillon [--home DIR] RegServer | UnregServer\n"
           "The handheld's code page is the value CodePage in section [Quillon] of\n"
           "Quillon.ini (UTF-8 by default, CP949 for legacy handhelds; the console\n"
           "command codepage [NAME] shows or sets it; it applies at the next start).\n";
}

} // namespace apps::quillon
