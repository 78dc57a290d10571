#include "pocket/settings/host_port.h"

#include <charconv>

namespace pocket::settings {

HostPort splitHostPort(std::string_view value)
{
    HostPort split { std::string(value), std::nullopt };
    const auto colon = value.rfind(':');
    if (colon == std::string_view::npos || colon + 1 >= value.size())
        return split;
    const std::string_view digits = value.substr(colon + 1);
    unsigned port = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (error != std::errc() || end != digits.data() + digits.size() || port == 0 || port > 65535)
        return split;
    split.host = std::string(value.substr(0, colon));
    split.port = static_cast<std::uint16_t>(port);
    return split;
}

} // namespace pocket::settings
