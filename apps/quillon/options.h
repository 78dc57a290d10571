#pragma once

// File: apps/quillon/options.h
// The command line of the PC program:
//   quillon [--headless] [--home DIR] [--id ID] [--credentials FILE] [--start]
//           [--command-port N] [--upload-port N] [--web-port N] [--trace]
//   quillon --help | --version
// Options take their value as the next word or after "=" (--web-port=8091).

#include "platform/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace apps::quillon {

struct PcOptions {
    bool headless = false;
    bool start = false; // Start the server at once.
    bool trace = false; // Debug trace on standard error.
    bool help = false;
    bool version = false;
    std::string home; // Empty: QUILLON_HOME, then the XDG data folder.
    std::string id;
    std::string credentials; // A file with the login id and password (headless).
    // Ports not given come from the profile (the settings dialog), whose
    // defaults are 4000, 4040 and 91.
    std::optional<std::uint16_t> commandPort;
    std::optional<std::uint16_t> uploadPort;
    std::optional<std::uint16_t> webPort;
};

// Fails with a message for the user ("unknown option --x", "--web-port needs a port number").
[[nodiscard]] platform::Result<PcOptions, std::string> parseOptions(const std::vector<std::string>& arguments);

// The usage text printed for --help and after a bad command line.
[[nodiscard]] std::string usageText();

} // namespace apps::quillon
