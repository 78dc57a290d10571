#include "pocket/link/line_block_queue.h"

#include <gtest/gtest.h>

#include <vector>

namespace pocket::link {
namespace {

std::vector<std::string> takeAll(LineBlockQueue& queue)
{
    std::vector<std::string> blocks;
    while (auto block = queue.take())
        blocks.push_back(*block);
    return blocks;
}

struct CuttingCase {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<std::string> blocks;
    std::string tail;
};

TEST(LineBlockQueue, CutsChunksIntoLineBlocks)
{
    const CuttingCase cases[] = {
        { "line and tail", { "A 1\r\nB 2" }, { "A 1\r" }, "B 2" },
        { "tail continued", { "A 1\r\nB 2", " 3\r\n" }, { "A 1\r", "B 2 3\r" }, "" },
        { "ends in LF", { "X\r\nY\r\n" }, { "X\r\nY\r" }, "" },
        { "chunk without LF waits in tail", { "AB", "C" }, {}, "ABC" },
        { "tail then LF", { "AB", "C\r\nD" }, { "ABC\r" }, "D" },
        { "lone LF queues empty block", { "\n" }, { "" }, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LineBlockQueue queue;
        for (const auto& chunk : c.chunks)
            queue.acceptChunk(chunk);
        EXPECT_EQ(queue.pendingTail(), c.tail);
        EXPECT_EQ(takeAll(queue), c.blocks);
    }
}

TEST(LineBlockQueue, FifteenChunksFillTheQueueAndTheSixteenthIsDropped)
{
    LineBlockQueue queue;
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(queue.acceptChunk("L" + std::to_string(i) + "\r\nT").queued, 1u);
    EXPECT_EQ(queue.pendingTail(), "T");
    EXPECT_EQ(queue.acceptChunk("L14\r\nT").queued, 1u);
    EXPECT_TRUE(queue.isFull());
    EXPECT_EQ(queue.pendingTail(), ""); // Cleared after the fifteenth.

    auto sixteenth = queue.acceptChunk("L15\r\nU");
    EXPECT_TRUE(sixteenth.dropped);
    EXPECT_EQ(sixteenth.queued, 0u);
    EXPECT_EQ(queue.pendingTail(), "");

    // Freeing the oldest slot lets the next chunk in at once, in order.
    EXPECT_EQ(queue.take(), "L0\r");
    EXPECT_EQ(queue.acceptChunk("L16\r\n").queued, 1u);
    auto rest = takeAll(queue);
    ASSERT_EQ(rest.size(), 15u);
    EXPECT_EQ(rest.front(), "TL1\r"); // The tail "T" continued.
    EXPECT_EQ(rest[13], "TL14\r");
    EXPECT_EQ(rest.back(), "L16\r");
    EXPECT_FALSE(queue.take());
}

TEST(LineBlockQueue, WrapsAroundWhileTheConsumerKeepsUp)
{
    LineBlockQueue queue;
    for (int i = 0; i < 40; ++i) {
        queue.acceptChunk("M" + std::to_string(i) + "\n");
        ASSERT_EQ(queue.take(), "M" + std::to_string(i));
    }
    EXPECT_EQ(queue.queuedCount(), 0u);
}

TEST(LineBlockQueue, LongDataStaysWithinBlockAndTailSizes)
{
    LineBlockQueue queue;
    // A full tail plus a full receive of short lines: more than one block.
    queue.acceptChunk(std::string(1000, 't'));
    std::string chunk;
    while (chunk.size() < 1000)
        chunk += "line\r\n";
    chunk.resize(kReceiveBytes);
    queue.acceptChunk(chunk);
    std::string joined;
    for (const auto& block : takeAll(queue)) {
        EXPECT_LE(block.size(), kBlockBytes - 1);
        joined += block + "\n";
    }
    // Nothing was lost: blocks and tail put back together give the input.
    std::string input = std::string(1000, 't') + chunk;
    EXPECT_EQ(joined + queue.pendingTail(), input);
}

TEST(LineBlockQueue, OverlongLineWithoutLfSpillsIntoBlocks)
{
    LineBlockQueue queue;
    queue.acceptChunk(std::string(kReceiveBytes, 'a'));
    queue.acceptChunk(std::string(kReceiveBytes, 'b'));
    EXPECT_EQ(queue.pendingTail().size(), kTailBytes - 1);
    std::string spilled;
    for (const auto& block : takeAll(queue)) {
        EXPECT_LE(block.size(), kBlockBytes - 1);
        spilled += block;
    }
    EXPECT_EQ(spilled + queue.pendingTail(), std::string(kReceiveBytes, 'a') + std::string(kReceiveBytes, 'b'));
}

TEST(LineBlockQueue, ClearResetsSlotsIndicesAndTail)
{
    LineBlockQueue queue;
    queue.acceptChunk("a\nb\nc");
    queue.acceptChunk("d\ne");
    ASSERT_TRUE(queue.take());
    queue.clear();
    EXPECT_EQ(queue.queuedCount(), 0u);
    EXPECT_EQ(queue.pendingTail(), "");
    queue.acceptChunk("z\n");
    EXPECT_EQ(queue.take(), "z");
}

} // namespace
} // namespace pocket::link
