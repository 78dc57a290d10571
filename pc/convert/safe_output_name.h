#pragma once

// File: pc/convert/safe_output_name.h
// Names of converter outputs come from the handheld's request; they are
// reduced to one safe path component (platform/safe_name.h) before anything
// is written, so that no output lands outside the service root.

#include <string>
#include <string_view>

namespace pc::convert {

// The safe form of the request's file name (the text after its last "\" or
// "/").
std::string safeOutputName(std::string_view name);

// The safe name without its extension of four characters (".hwp", ".doc");
// "" when nothing usable is left.
std::string safeOutputStem(std::string_view fileName);

} // namespace pc::convert
