#include "platform/testing/loopback_port.h"

#include "platform/net_address.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace platform::testing {
namespace {

TEST(LoopbackPort, FreePortsAreDistinctOutsideTheEphemeralRangeAndListenable)
{
    unsigned firstEphemeral = 0;
    std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> firstEphemeral;
    std::set<std::uint16_t> seen;
    for (int i = 0; i < 20; ++i) {
        std::uint16_t port = freeLoopbackPort();
        EXPECT_TRUE(seen.insert(port).second) << port;
        if (firstEphemeral > 2048) {
            EXPECT_LT(port, firstEphemeral);
        }
    }
    auto listening = listenTcp("127.0.0.1", *seen.begin());
    EXPECT_TRUE(listening) << describe(listening.error());
}

TEST(LoopbackPort, ClosedPortRefusesAndStaysTheSame)
{
    std::uint16_t port = closedLoopbackPort();
    ASSERT_NE(port, 0);
    EXPECT_EQ(closedLoopbackPort(), port);
    auto connected = connectTcp("127.0.0.1", port);
    ASSERT_FALSE(connected);
    EXPECT_EQ(connected.error().code, ErrorCode::Unavailable);
    EXPECT_FALSE(listenTcp("127.0.0.1", port));
}

} // namespace
} // namespace platform::testing
