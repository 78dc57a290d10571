// What both ends of service discovery do without an Avahi daemon: fail at
// once with the reason, never wait for one. Each case runs in a process of
// its own (D-Bus reads the bus address once per process).

#include "platform/discovery/avahi_discovery.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace platform {
namespace {

using namespace std::chrono_literals;

constexpr const char* kBusVariable = "DBUS_SYSTEM_BUS_ADDRESS";

TEST(ServiceDiscoveryWithoutDaemon, BothEndsSaySoAtOnce)
{
    TempFolder folder("no-avahi");
    // A bus address where no bus listens, as on a machine without D-Bus.
    ::setenv(kBusVariable, ("unix:path=" + (folder.path() / "none").string()).c_str(), 1);
    auto announcer = makeAvahiAnnouncer();
    auto announced = announcer->announce({ "Quillon", "_quillon._tcp", 4000, { "name=pc" } });
    ASSERT_FALSE(announced);
    EXPECT_EQ(announced.error().code, ErrorCode::Unavailable);
    EXPECT_EQ(announced.error().context.rfind("Avahi: ", 0), 0u) << announced.error().context;
    announcer->withdraw(); // Harmless.

    auto found = makeAvahiBrowser()->browse("_quillon._tcp", 10s);
    ASSERT_FALSE(found);
    EXPECT_EQ(found.error().code, ErrorCode::Unavailable);
    ::unsetenv(kBusVariable);
}

} // namespace
} // namespace platform
