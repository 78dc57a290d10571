#include "platform/connection_limits.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform {
namespace {

using namespace std::chrono_literals;

TEST(ConnectionLimits, AdmitsBelowTheCapsAndMakesRoomFromTheLongestWaiting)
{
    const ConnectionLimits limits { 4, 2 };
    std::vector<OpenConnection> open;
    EXPECT_TRUE(admitConnection(open, "a", limits).admit);
    open = { { 1, "a", false, 10ms }, { 2, "a", false, 5ms } };
    // The address is full: its longest-waiting connection makes room.
    Admission same = admitConnection(open, "a", limits);
    EXPECT_TRUE(same.admit);
    EXPECT_EQ(same.evict, 2u);
    // Another address still fits.
    Admission other = admitConnection(open, "b", limits);
    EXPECT_TRUE(other.admit);
    EXPECT_FALSE(other.evict);

    // The total is reached: the longest waiting of any address makes room,
    // never a busy one.
    open = { { 1, "a", true, 1ms }, { 2, "b", false, 7ms }, { 3, "c", false, 3ms }, { 4, "d", true, 2ms } };
    Admission full = admitConnection(open, "e", limits);
    EXPECT_TRUE(full.admit);
    EXPECT_EQ(full.evict, 3u);

    // Nothing can make room: refused.
    open = { { 1, "a", true, 1ms }, { 2, "a", true, 2ms } };
    EXPECT_FALSE(admitConnection(open, "a", limits).admit);
}

} // namespace
} // namespace platform
