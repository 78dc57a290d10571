#include "platform/tls/byte_queue.h"

#include <gtest/gtest.h>
#include <string>

namespace platform {
namespace {

std::string contents(const ByteQueue& queue)
{
    return std::string(queue.data(), queue.size());
}

TEST(ByteQueueTest, KeepsOrderThroughPartialTakesCompactionAndGrowth)
{
    ByteQueue queue;
    std::string expected;
    unsigned next = 0;
    // Uneven puts and takes, so that the bytes left are moved to the front
    // and the storage grows while some are still waiting.
    for (int round = 0; round < 200; ++round) {
        std::size_t put = 1 + (round * 7919) % 5000;
        std::string bytes;
        for (std::size_t i = 0; i < put; ++i)
            bytes += static_cast<char>(next++ % 251);
        if (round % 3 == 0) {
            queue.append(bytes.data(), bytes.size());
        } else {
            char* room = queue.reserve(put + 100);
            std::copy(bytes.begin(), bytes.end(), room);
            queue.commit(put);
        }
        expected += bytes;
        std::size_t take = (round * 104729) % (queue.size() + 1);
        queue.consume(take);
        expected.erase(0, take);
        ASSERT_EQ(contents(queue), expected) << "round " << round;
    }
}

TEST(ByteQueueTest, TakingEverythingOrMoreLeavesItEmptyAndUsable)
{
    ByteQueue queue;
    EXPECT_TRUE(queue.empty());
    queue.append("abcdef", 6);
    queue.consume(100);
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(queue.size(), 0u);
    queue.append("xyz", 3);
    EXPECT_EQ(contents(queue), "xyz");
}

} // namespace
} // namespace platform
