#include "pocket/app/server_address.h"

#include "platform/registry.h"
#include "pocket/settings/pda_settings.h"

#include <charconv>

namespace pocket::app {

ServerAddress parseServerAddress(std::string_view value)
{
    ServerAddress address;
    if (value.empty())
        return address;
    address.host = std::string(value);
    const auto colon = value.rfind(':');
    if (colon == std::string_view::npos || colon + 1 >= value.size())
        return address;
    const std::string_view digits = value.substr(colon + 1);
    unsigned port = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (error != std::errc() || end != digits.data() + digits.size() || port == 0 || port > 65535)
        return address;
    address.host = std::string(value.substr(0, colon));
    address.port = static_cast<std::uint16_t>(port);
    return address;
}

ServerAddress serverAddress(platform::Registry& registry, const char* valueName)
{
    auto value = registry.getString(settings::kSettingsKey, valueName);
    return parseServerAddress(value ? *value : std::string());
}

std::string penAddress(platform::Registry& registry)
{
    return registry.getString(settings::kSettingsKey, kPenAddressValue).value_or("");
}

} // namespace pocket::app
