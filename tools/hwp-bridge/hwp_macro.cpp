#include "tools/hwp-bridge/hwp_macro.h"

#include <cerrno>
#include <cstdlib>

namespace tools::hwp_bridge {

namespace {

bool isNameCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::string trimmed(std::string_view text)
{
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return {};
    std::size_t end = text.find_last_not_of(" \t");
    return std::string(text.substr(start, end - start + 1));
}

// The text from `from` up to the next comma or the end; `comma` is where
// that comma stands (npos at the end).
std::string_view upToComma(std::string_view text, std::size_t from, std::size_t& comma)
{
    comma = text.find(',', from);
    return text.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from);
}

// Splits "a,"b,c",,d" into its arguments; nullopt for an unclosed quote or
// text after a closing quote.
std::optional<std::vector<MacroArgument>> splitArguments(std::string_view text)
{
    std::vector<MacroArgument> arguments;
    if (trimmed(text).empty())
        return arguments;
    std::size_t at = 0;
    while (true) {
        MacroArgument argument;
        std::size_t comma = 0;
        std::string_view piece = upToComma(text, at, comma);
        std::size_t lead = text.find_first_not_of(" \t", at);
        if (lead != std::string_view::npos && text[lead] == '"') {
            // A quoted argument may hold commas: it ends at its closing quote.
            std::size_t close = text.find('"', lead + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            argument.quoted = true;
            argument.text = std::string(text.substr(lead + 1, close - lead - 1));
            if (!trimmed(upToComma(text, close + 1, comma)).empty())
                return std::nullopt;
        } else {
            argument.text = trimmed(piece);
        }
        arguments.push_back(std::move(argument));
        if (comma == std::string_view::npos)
            return arguments;
        at = comma + 1;
    }
}

} // namespace

std::optional<long> MacroArgument::number() const
{
    if (quoted || text.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return value;
}

std::optional<MacroCall> parseMacroCommand(std::string_view command)
{
    if (command.substr(0, 2) != "FX")
        return std::nullopt;
    command.remove_prefix(2);
    std::size_t open = command.find('(');
    MacroCall call;
    call.name = trimmed(command.substr(0, open));
    if (call.name.empty())
        return std::nullopt;
    for (char c : call.name) {
        if (!isNameCharacter(c))
            return std::nullopt;
    }
    if (open == std::string_view::npos)
        return call;
    std::size_t close = command.rfind(')');
    if (close == std::string_view::npos || close < open || !trimmed(command.substr(close + 1)).empty())
        return std::nullopt;
    auto arguments = splitArguments(command.substr(open + 1, close - open - 1));
    if (!arguments)
        return std::nullopt;
    call.arguments = std::move(*arguments);
    return call;
}

} // namespace tools::hwp_bridge
