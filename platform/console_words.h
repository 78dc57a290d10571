#pragma once

// File: platform/console_words.h
// The words of a console command line, as the programs' consoles read them.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Splits a command line into words at blanks (space, tab, CR, LF). Double
// quotes keep blanks inside a word and are dropped; "" is an empty word.
std::vector<std::string> splitCommandWords(std::string_view line);

} // namespace platform
