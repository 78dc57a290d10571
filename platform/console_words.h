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

// Splits text into words at spaces and tabs, without quotes. With
// `maxWords` above 0 the last word holds the rest of the text from its start.
std::vector<std::string> splitBlankWords(std::string_view text, std::size_t maxWords = 0);

} // namespace platform
