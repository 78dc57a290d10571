#include "pocket/app/server_address.h"

#include "platform/registry.h"
#include "pocket/settings/host_port.h"
#include "pocket/settings/pda_settings.h"

namespace pocket::app {

ServerAddress parseServerAddress(std::string_view value)
{
    ServerAddress address;
    if (value.empty())
        return address;
    auto split = settings::splitHostPort(value);
    address.host = std::move(split.host);
    address.port = split.port;
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
