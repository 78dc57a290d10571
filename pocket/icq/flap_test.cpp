#include "pocket/icq/flap.h"
#include "pocket/icq/flap_splitter.h"

#include <gtest/gtest.h>

namespace pocket::icq {
namespace {

using namespace std::string_literals;

TEST(FlapWriter, LaysOutHeaderFieldsAndTlvsInWireOrder)
{
    FlapWriter frame(kChannelSnac, 0x1234);
    frame.byte(0xAB).u16(0x0102).u32(0x03040506).u16le(0x0708).u32le(0x090A0B0C).tlv(0x0F, "en");
    EXPECT_EQ(frame.finish(),
        "\x2A\x02\x12\x34\x00\x13"
        "\xAB\x01\x02\x03\x04\x05\x06\x08\x07\x0C\x0B\x0A\x09\x00\x0F\x00\x02"
        "en"s);
}

TEST(FlapWriter, SeveralFramesInOneBufferEachCarryTheirOwnLength)
{
    FlapWriter frames(kChannelSnac, 1);
    frames.snac(0x01, 0x11).u32(0);
    frames.nextFrame(kChannelSignOn, 2).u32(1);
    const auto buffer = frames.finish();
    ASSERT_EQ(buffer.size(), 6 + 14 + 6 + 4u);
    EXPECT_EQ(buffer.substr(0, 6), "\x2A\x02\x00\x01\x00\x0E"s);
    EXPECT_EQ(buffer.substr(6, 10), "\x00\x01\x00\x11\x00\x00\x00\x00\x00\x11"s); // Request id = subtype.
    EXPECT_EQ(buffer.substr(20, 6), "\x2A\x01\x00\x02\x00\x04"s);
}

TEST(ByteReader, ReadsBothByteOrdersAndFailsPastTheEndForGood)
{
    const auto bytes = "\x01\x02\x03\x04\x05\x06"s;
    ByteReader reader(bytes);
    EXPECT_EQ(reader.u16(), 0x0102);
    EXPECT_EQ(reader.u16le(), 0x0403);
    EXPECT_FALSE(reader.u32());
    EXPECT_TRUE(reader.failed());
    // A failed reader stays failed, even for reads that would fit.
    EXPECT_FALSE(reader.byte());
}

TEST(ByteReader, TlvWithLengthBeyondTheBlockIsRefused)
{
    const auto shortValue = "\x00\x05\x00\x10short"s;
    ByteReader reader(shortValue);
    EXPECT_FALSE(reader.tlv());
    const auto block = "\x00\x01\x00\x01X\x00\x02\x00\x09cut"s;
    ByteReader list(block);
    auto tlvs = readTlvs(list);
    ASSERT_EQ(tlvs.size(), 1u);
    EXPECT_EQ(tlvs[0].value, "X");
}

// Feeds a stream as a link would: at most bytesWanted() at a time, split
// further into pieces of `piece` bytes, collecting frames and refusals.
std::vector<std::string> split(std::string_view stream, std::size_t piece)
{
    FlapSplitter splitter;
    std::vector<std::string> out;
    std::size_t offset = 0;
    while (offset < stream.size()) {
        const auto take = std::min({ piece, splitter.bytesWanted(), stream.size() - offset });
        splitter.feed(stream.substr(offset, take));
        offset += take;
        while (auto next = splitter.next()) {
            if (*next)
                out.push_back(std::to_string((*next)->channel) + ":" + (*next)->data);
            else
                out.push_back(next->error() == FrameError::BadStart ? "bad start" : "too large");
        }
    }
    return out;
}

TEST(FlapSplitter, CutsFramesTheSameWayHoweverTheStreamArrives)
{
    const std::string big(FlapSplitter::kMaxFrameData + 1, 'x');
    struct Case {
        std::string name;
        std::string stream;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { "two frames", "\x2A\x01\x00\x01\x00\x04\x00\x00\x00\x01\x2A\x05\x00\x02\x00\x00"s,
            { "1:\x00\x00\x00\x01"s, "5:" } },
        { "bad start drops the header only", "\x2B\x01\x00\x01\x00\x00\x2A\x02\x00\x02\x00\x01Z"s,
            { "bad start", "2:Z" } },
        { "oversized frame is skipped", "\x2A\x02\x00\x01\x20\x01"s + big + "\x2A\x04\x00\x02\x00\x01Q"s,
            { "too large", "4:Q" } },
        { "largest allowed frame", "\x2A\x02\x00\x01\x20\x00"s + big.substr(1), { "2:" + big.substr(1) } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::size_t piece : { std::size_t(1), std::size_t(3), std::size_t(7), c.stream.size() })
            EXPECT_EQ(split(c.stream, piece), c.expected) << "pieces of " << piece;
    }
}

TEST(FlapSplitter, AsksOnlyForTheRestOfTheCurrentFrame)
{
    FlapSplitter splitter;
    EXPECT_EQ(splitter.bytesWanted(), 6u);
    splitter.feed("\x2A\x02\x00\x01"s);
    EXPECT_EQ(splitter.bytesWanted(), 2u);
    splitter.feed("\x00\x0A"s);
    EXPECT_EQ(splitter.bytesWanted(), 10u);
    EXPECT_FALSE(splitter.next());
}

} // namespace
} // namespace pocket::icq
