#include "pocket/settings/host_port.h"

#include "platform/port_number.h"

namespace pocket::settings {

HostPort splitHostPort(std::string_view value)
{
    HostPort split { std::string(value), std::nullopt };
    const auto colon = value.rfind(':');
    if (colon == std::string_view::npos || colon + 1 >= value.size())
        return split;
    const std::string_view digits = value.substr(colon + 1);
    auto port = platform::parsePortNumber(digits);
    if (!port)
        return split;
    split.host = std::string(value.substr(0, colon));
    split.port = port;
    return split;
}

} // namespace pocket::settings
