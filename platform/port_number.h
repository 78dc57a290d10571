#pragma once

// File: platform/port_number.h
// A TCP port as a user or a setting writes it: a decimal number from 1 to
// 65535 and nothing else ("110", not "0110x", "0" or "70000"). Port 0, which
// asks the system for any free port, is for tests and is never typed.

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

[[nodiscard]] std::optional<std::uint16_t> parsePortNumber(std::string_view text);

} // namespace platform
