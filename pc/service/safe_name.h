#pragma once

// File: pc/service/safe_name.h
// File names that arrive from the handheld (upload names, download names)
// are reduced to one safe path component before they touch the disk, so that
// nothing is ever written outside its folder.

#include <string>
#include <string_view>

namespace pc::service {

// The text after the last "\" or "/", without control characters, cut to 255
// bytes; "", "." and ".." become "_".
std::string safeFileName(std::string_view name);

} // namespace pc::service
