#include "proto/upload_block.h"

#include <climits>
#include <gtest/gtest.h>

using namespace std::string_literals;

namespace proto {
namespace {

TEST(UploadBlock, AcknowledgementGoldenBytes)
{
    UploadAck ack = formatUploadAck(2048);
    std::string bytes(ack.data(), ack.size());
    ASSERT_EQ(bytes.size(), 1024u);
    EXPECT_EQ(bytes.substr(0, 22), "0xx0: 1001 0xx1: 2048\0"s);
    EXPECT_EQ(bytes.substr(22), std::string(1002, '\0'));
    EXPECT_EQ(parseUploadAck(bytes), 2048);
    EXPECT_EQ(parseUploadAck("0xx0: 1001 0xx1: x"), std::nullopt);
    EXPECT_EQ(parseUploadAck("hello"), std::nullopt);
}

TEST(UploadBlock, ClassifiesTable)
{
    struct Case {
        std::string block;
        UploadOutcome outcome;
    };
    const Case cases[] = {
        { "FILE_SEND_COMPLETE", UploadOutcome::Complete },
        { "FILE_SEND_CANCEL", UploadOutcome::Cancel },
        { "FILE_ERROR", UploadOutcome::Error },
        { "FILE_ERROR"s + std::string(10, '\0'), UploadOutcome::Error },
        { "FILE_SEND_COMPLETEx", UploadOutcome::Data },
        { "FILE_SEND_COMPLET", UploadOutcome::Data },
        { "FILE_ERROR\0tail"s, UploadOutcome::Data },
        { std::string(1024, '\0'), UploadOutcome::Data },
        { "abc", UploadOutcome::Data },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        EXPECT_EQ(classifyUploadBlock(c.block), c.outcome);
    }
}

TEST(UploadBlock, RecordKeepsCountAndBytes)
{
    UploadBlock block = makeUploadBlock(std::string(1500, 'q'));
    EXPECT_EQ(block.count, 1024);
    EXPECT_EQ(block.outcome, UploadOutcome::Data);
    EXPECT_EQ(static_cast<int>(UploadOutcome::Complete), 1004);
}

TEST(UploadAnnouncement, ReadsSizeAndNameAndIgnoresTheRest)
{
    auto plain = parseUploadAnnouncement("2500\nphoto.jpg\nowner");
    EXPECT_EQ(plain.size, 2500);
    EXPECT_EQ(plain.name, "photo.jpg");
    EXPECT_EQ(parseUploadAnnouncement("12abc\nx").size, 12);
    EXPECT_EQ(parseUploadAnnouncement("99999999999\nx").size, INT32_MAX);
    EXPECT_EQ(parseUploadAnnouncement("-5\nx").size, -5);
    auto bare = parseUploadAnnouncement("10");
    EXPECT_EQ(bare.size, 10);
    EXPECT_EQ(bare.name, "");
    EXPECT_EQ(parseUploadAnnouncement("").size, 0);
}

} // namespace
} // namespace proto
