#include "pocket/app/server_address.h"

#include "platform/registry.h"
#include "pocket/settings/pda_settings.h"

#include <gtest/gtest.h>

namespace pocket::app {
namespace {

TEST(ServerAddress, ReadsHostAndPortOrTheHostAlone)
{
    struct Case {
        std::string_view value;
        std::string host;
        std::optional<std::uint16_t> port;
    };
    const Case cases[] = {
        { "", "localhost", std::nullopt },
        { "messenger.example", "messenger.example", std::nullopt },
        { "127.0.0.1:1863", "127.0.0.1", 1863 },
        { "host:65535", "host", 65535 },
        // Not a port: the whole value is the host.
        { "host:0", "host:0", std::nullopt },
        { "host:65536", "host:65536", std::nullopt },
        { "host:+80", "host:+80", std::nullopt },
        { "host:80x", "host:80x", std::nullopt },
        { "host:", "host:", std::nullopt },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const auto address = parseServerAddress(c.value);
        EXPECT_EQ(address.host, c.host);
        EXPECT_EQ(address.port, c.port);
    }

    auto registry = platform::Registry::inMemory();
    ASSERT_TRUE(registry->createKey(settings::kSettingsKey));
    EXPECT_EQ(serverAddress(*registry, kIcqServerValue).host, "localhost");
    ASSERT_TRUE(registry->setString(settings::kSettingsKey, kIcqServerValue, "10.0.0.2:5190"));
    EXPECT_EQ(serverAddress(*registry, kIcqServerValue).port, 5190);
}

} // namespace
} // namespace pocket::app
