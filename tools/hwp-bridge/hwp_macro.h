#pragma once

// File: tools/hwp-bridge/hwp_macro.h
// The macro commands the word processor takes over DDE: "FX" followed by a
// call such as `OpenDocument("viewer","C:\a\b.hwp",,"clientedit",,,,0,)`.
// Arguments are separated by commas; an argument in double quotes is text
// (taken as it stands, without escapes), an empty one is left out, anything
// else is a bare word or number. Pure.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tools::hwp_bridge {

struct MacroArgument {
    std::string text;
    bool quoted = false;
    bool isEmpty() const { return text.empty() && !quoted; }
    // The number of a bare decimal argument.
    std::optional<long> number() const;
};

struct MacroCall {
    std::string name;
    std::vector<MacroArgument> arguments;
};

// The call of an "FX" command; nullopt when the command is not one.
std::optional<MacroCall> parseMacroCommand(std::string_view command);

} // namespace tools::hwp_bridge
