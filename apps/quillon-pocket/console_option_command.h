#pragma once

// File: apps/quillon-pocket/console_option_command.h
// The console's "option NAME VALUE [NAME VALUE]..." command: each value is
// stored by its registry value name the way the options sheet (or the
// dialog that owns it) would store it: the page is shown, its field set and
// the page applied, so its checks and side effects run as in the GUI.

#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {
class Ui;
}

namespace pocket::settings {
class OptionsSheet;
class SettingsStore;
struct PdaSettings;
}

namespace apps::pocket {

using OptionPairs = std::vector<std::pair<std::string, std::string>>;

// Splits the arguments of the command. Values may be quoted ("a b"); when
// the words do not read as name/value pairs, the first word is the name and
// the rest of the line its value.
OptionPairs parseOptionArguments(std::string_view arguments);

// Whether a registry value name is one the console can set.
bool isKnownOption(std::string_view name);

// Stores the values; problems are written to `err` as "option: ...".
// Returns true when everything was stored.
bool runOptionCommand(const OptionPairs& pairs, ::pocket::settings::OptionsSheet& sheet,
    ::pocket::settings::SettingsStore& store, ::pocket::settings::PdaSettings& settings, platform::Ui& ui, std::ostream& err);

} // namespace apps::pocket
