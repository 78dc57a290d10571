#include "proto/upload_frames.h"

#include <gtest/gtest.h>

namespace proto {
namespace {

using namespace std::string_literals;

TEST(UploadFrames, HeadsAndNumbersHaveFixedBytes)
{
    EXPECT_EQ(frameHead(FrameType::Data, 65536), "D\0\1\0\0"s);
    EXPECT_EQ(frameHead(FrameType::End, 0), "E\0\0\0\0"s);
    EXPECT_EQ(numberFrame(FrameType::Ack, 0x0102030405060708ull), "A\0\0\0\x08\x01\x02\x03\x04\x05\x06\x07\x08"s);
    EXPECT_EQ(numberFrame(FrameType::Start, 1024), "S\0\0\0\x08\0\0\0\0\0\0\x04\0"s);
}

TEST(UploadFrames, ReaderCutsWholeFramesFromSplitAndJoinedBytes)
{
    const std::string stream = numberFrame(FrameType::Start, 7) + frameHead(FrameType::Data, 3) + "abc"
        + frameHead(FrameType::End, 0);
    // Every way of cutting the stream in two gives the same three frames.
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        FrameReader reader;
        std::vector<std::string> seen;
        Frame frame;
        reader.feed(stream.substr(0, cut));
        while (reader.next(frame) == FrameReader::Status::Frame)
            seen.push_back(static_cast<char>(frame.type) + std::string(frame.payload));
        reader.feed(stream.substr(cut));
        FrameReader::Status status;
        while ((status = reader.next(frame)) == FrameReader::Status::Frame)
            seen.push_back(static_cast<char>(frame.type) + std::string(frame.payload));
        EXPECT_EQ(status, FrameReader::Status::NeedMore);
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_EQ(seen[0], "S\0\0\0\0\0\0\0\x07"s);
        EXPECT_EQ(seen[1], "Dabc");
        EXPECT_EQ(seen[2], "E");
        EXPECT_EQ(reader.buffered(), 0u);
    }
}

TEST(UploadFrames, FeedingFramesAtOnceMatchesFeedAndNextForEveryCut)
{
    const std::string stream = numberFrame(FrameType::Start, 7) + frameHead(FrameType::Data, 3) + "abc"
        + frameHead(FrameType::Data, 60000) + std::string(60000, 'x') + frameHead(FrameType::End, 0);
    // The stream in three receives, cut everywhere around the frames' edges.
    for (std::size_t first = 0; first <= 30; ++first) {
        for (std::size_t second : { first, first + 1, first + 5, first + 40000, stream.size() - 3, stream.size() }) {
            if (second < first || second > stream.size())
                continue;
            SCOPED_TRACE(std::to_string(first) + "/" + std::to_string(second));
            FrameReader reader;
            std::vector<std::string> seen;
            auto keep = [&](const Frame& frame) {
                seen.push_back(static_cast<char>(frame.type) + std::string(frame.payload));
                return true;
            };
            for (auto piece : { stream.substr(0, first), stream.substr(first, second - first), stream.substr(second) })
                ASSERT_EQ(reader.feedFrames(piece, keep), FrameReader::Status::NeedMore);
            ASSERT_EQ(seen.size(), 4u);
            EXPECT_EQ(seen[1], "Dabc");
            EXPECT_EQ(seen[2], "D" + std::string(60000, 'x'));
            EXPECT_EQ(seen[3], "E");
            EXPECT_EQ(reader.buffered(), 0u);
        }
    }
}

TEST(UploadFrames, FeedingFramesStopsWhereToldAndKeepsTheRest)
{
    const std::string stream = frameHead(FrameType::Data, 2) + "ab" + frameHead(FrameType::Data, 2) + "cd"
        + frameHead(FrameType::Data, 2) + "e";
    FrameReader reader;
    std::string got;
    auto firstOnly = [&](const Frame& frame) {
        got += frame.payload;
        return false;
    };
    EXPECT_EQ(reader.feedFrames(stream, firstOnly), FrameReader::Status::Frame);
    EXPECT_EQ(got, "ab");
    // What was not taken is still there, read the other way.
    reader.feed("f");
    Frame frame;
    ASSERT_EQ(reader.next(frame), FrameReader::Status::Frame);
    EXPECT_EQ(frame.payload, "cd");
    ASSERT_EQ(reader.next(frame), FrameReader::Status::Frame);
    EXPECT_EQ(frame.payload, "ef");
    // A head no frame has is refused whether it is whole or completed later.
    FrameReader split;
    EXPECT_EQ(split.feedFrames(std::string("X\0", 2), [](const Frame&) { return true; }), FrameReader::Status::NeedMore);
    EXPECT_EQ(split.feedFrames(std::string("\0\0\0", 3), [](const Frame&) { return true; }), FrameReader::Status::Bad);
}

TEST(UploadFrames, ReaderRefusesWhatNoFrameCanBe)
{
    for (const std::string& bad : { frameHead(FrameType::Data, kMaxDataBytes + 1), frameHead(FrameType::Data, 0),
             "X\0\0\0\0"s, frameHead(FrameType::End, 1), frameHead(FrameType::Start, 4) }) {
        FrameReader reader;
        reader.feed(bad);
        Frame frame;
        EXPECT_EQ(reader.next(frame), FrameReader::Status::Bad);
    }
}

TEST(UploadFrames, HeldAnswerAndWindowLine)
{
    const std::string hex(64, 'a');
    EXPECT_EQ(formatHeldAnswer(1234, hex), "1234 " + hex);
    auto held = parseHeldAnswer("1234 " + hex);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->held, 1234u);
    EXPECT_EQ(held->sha256Hex, hex);
    for (const std::string& bad : { std::string(), std::string("1234"), " " + hex, "12x " + hex, "1 " + hex.substr(1), "1 " + std::string(64, 'G') })
        EXPECT_FALSE(parseHeldAnswer(bad)) << bad;

    EXPECT_TRUE(announcesWindow("5\nhello.txt\nowner\nwindow"));
    EXPECT_TRUE(announcesWindow("5\nhello.txt\n\nwindow\n"));
    EXPECT_FALSE(announcesWindow("5\nhello.txt\nowner"));
    EXPECT_FALSE(announcesWindow("5\nhello.txt\nowner\nwindows"));
    EXPECT_FALSE(announcesWindow("5\nwindow"));
}

} // namespace
} // namespace proto
