#pragma once

// File: pocket/settings/host_port.h
// "HOST" or "HOST:PORT", as the handheld's address settings take them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::settings {

struct HostPort {
    std::string host;
    std::optional<std::uint16_t> port; // Nothing: the text named no port.
};

// A port that is not 1 to 65535 stays part of the host.
HostPort splitHostPort(std::string_view value);

} // namespace pocket::settings
