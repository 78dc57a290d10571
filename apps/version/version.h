#pragma once

// File: apps/version/version.h
// The version line of both programs' --version:
//   quillon 0.1.0 (git 5243355-dirty)
// The part in brackets is the git description of the checkout the program
// was built from; it is left out for a build outside a checkout.

#include <string>
#include <string_view>

namespace apps {

// "0.1.0"
std::string_view projectVersion();

// "quillon 0.1.0 (git 5243355)\n"
std::string versionLine(std::string_view program);

} // namespace apps
