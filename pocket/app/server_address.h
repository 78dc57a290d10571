#pragma once

// File: pocket/app/server_address.h
// Where the messengers sign on: the registry values "MSN_SERVER" (the MSN
// dispatch server) and "ICQ_SERVER" (the ICQ login server) under
// "Software\Quillon", each "HOST" or "HOST:PORT". Without a value the
// server is this machine: the public services are gone, and a test or a
// stand-in server runs here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
class Registry;
}

namespace pocket::app {

constexpr const char* kMsnServerValue = "MSN_SERVER";
constexpr const char* kIcqServerValue = "ICQ_SERVER";

struct ServerAddress {
    std::string host = "localhost";
    std::optional<std::uint16_t> port; // Nothing: the protocol's own port.
};

// "HOST" or "HOST:PORT"; a port that is not 1 to 65535 stays part of the host.
ServerAddress parseServerAddress(std::string_view value);
ServerAddress serverAddress(platform::Registry& registry, const char* valueName);

// The web address the pen probes of both messengers name, for peers that
// cannot show pen messages: the registry value "PEN_ADDRESS". Empty when
// absent; the pen carriages then name their default.
constexpr const char* kPenAddressValue = "PEN_ADDRESS";
std::string penAddress(platform::Registry& registry);

} // namespace pocket::app
