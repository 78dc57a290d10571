#include "pocket/mypc/window_sender.h"

#include "platform/temp_folder.h"
#include "platform/tls/file_digest.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace pocket::mypc {
namespace {

using proto::FrameType;

std::string ack(std::uint64_t total)
{
    return proto::numberFrame(FrameType::Ack, total);
}

// The data bytes and the frame types of a run of frames.
struct Unframed {
    std::string data;
    std::string types;
};
Unframed unframe(std::string_view frames)
{
    proto::FrameReader reader;
    reader.feed(frames);
    Unframed out;
    proto::Frame frame;
    while (reader.next(frame) == proto::FrameReader::Status::Frame) {
        out.types += static_cast<char>(frame.type);
        if (frame.type == FrameType::Data)
            out.data += frame.payload;
    }
    return out;
}

class WindowSenderTest : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& content)
    {
        auto path = m_temp.path() / "file.bin";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        return path;
    }
    std::string digestOf(const std::string& content, std::size_t bytes)
    {
        auto path = m_temp.path() / "digest.bin";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        auto digest = platform::sha256OfPrefix(fd, bytes);
        ::close(fd);
        return digest.value_or("");
    }
    std::string content(std::size_t size)
    {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 31 + i / 4096);
        return bytes;
    }

    platform::TempFolder m_temp { "window_sender_test" };
    WindowSender m_sender;
};

TEST_F(WindowSenderTest, StartsWhereThePcsPartIsThisFilesBeginning)
{
    const std::string file = content(300000);
    ASSERT_TRUE(m_sender.open(write(file)));
    EXPECT_EQ(m_sender.start({ 100000, digestOf(file, 100000) }), proto::numberFrame(FrameType::Start, 100000));
    auto rest = unframe(m_sender.nextFrames().value());
    EXPECT_EQ(rest.data, file.substr(100000));
    EXPECT_EQ(rest.types.back(), 'E');

    // Another file's part, or a part longer than this file: from zero.
    std::string other = file;
    other[5] ^= 1;
    for (const proto::HeldAnswer& held : { proto::HeldAnswer { 100000, digestOf(other, 100000) },
             proto::HeldAnswer { 300001, digestOf(file + "x", 300001) } }) {
        ASSERT_TRUE(m_sender.open(write(file)));
        EXPECT_EQ(m_sender.start(held), proto::numberFrame(FrameType::Start, 0));
        EXPECT_EQ(m_sender.offset(), 0u);
    }
    // Nothing held, or more than the file: nothing to compare; and no start
    // is made past the file's end.
    ASSERT_TRUE(m_sender.open(write(file)));
    EXPECT_FALSE(m_sender.mayContinue({ 0, digestOf(file, 0) }));
    EXPECT_FALSE(m_sender.mayContinue({ 300001, "" }));
    EXPECT_TRUE(m_sender.mayContinue({ 300000, "" }));
    EXPECT_FALSE(m_sender.startAt(300001));
    EXPECT_EQ(m_sender.startAt(300000), proto::numberFrame(FrameType::Start, 300000));
}

TEST_F(WindowSenderTest, KeepsAtMostTheWindowUnacknowledgedWhateverTheAcksLookLike)
{
    const std::string file = content(3 * proto::kWindowBytes + 1234);
    ASSERT_TRUE(m_sender.open(write(file)));
    ASSERT_TRUE(m_sender.start({ 0, digestOf(file, 0) }));
    std::string sent = unframe(m_sender.nextFrames().value()).data;
    EXPECT_EQ(sent.size(), proto::kWindowBytes);
    EXPECT_TRUE(m_sender.nextFrames().value().empty()); // The window is full.

    // An acknowledgement split into single bytes opens the window by what it covers.
    const std::string first = ack(3 * proto::kMaxDataBytes);
    for (std::size_t i = 0; i + 1 < first.size(); ++i)
        ASSERT_TRUE(m_sender.onReceived(first.substr(i, 1)));
    EXPECT_TRUE(m_sender.nextFrames().value().empty());
    ASSERT_TRUE(m_sender.onReceived(first.substr(first.size() - 1)));
    std::string more = unframe(m_sender.nextFrames().value()).data;
    EXPECT_EQ(more.size(), 3 * proto::kMaxDataBytes);
    sent += more;

    // Two coalesced in one receive count as the later one.
    while (!m_sender.endSent()) {
        ASSERT_TRUE(m_sender.onReceived(ack(m_sender.sent() - proto::kMaxDataBytes) + ack(m_sender.sent())));
        auto frames = unframe(m_sender.nextFrames().value());
        EXPECT_LE(frames.data.size(), proto::kWindowBytes);
        sent += frames.data;
    }
    EXPECT_EQ(sent, file);
    EXPECT_EQ(m_sender.percent(), 100);
}

TEST_F(WindowSenderTest, AnEmptyFileIsAStartAndAnEnd)
{
    ASSERT_TRUE(m_sender.open(write("")));
    ASSERT_TRUE(m_sender.start({ 0, digestOf("", 0) }));
    EXPECT_EQ(m_sender.nextFrames(), proto::frameHead(FrameType::End, 0));
    EXPECT_TRUE(m_sender.endSent());
}

TEST_F(WindowSenderTest, AnythingButAcknowledgementsOfWhatWasSentIsRefused)
{
    const std::string file = content(200000);
    for (const std::string& bad : { ack(200001), proto::numberFrame(FrameType::Start, 0),
             std::string("Q\0\0\0\0", 5), ack(70000) + ack(69999) }) {
        ASSERT_TRUE(m_sender.open(write(file)));
        ASSERT_TRUE(m_sender.start({ 0, digestOf(file, 0) }));
        ASSERT_TRUE(m_sender.nextFrames());
        EXPECT_FALSE(m_sender.onReceived(bad));
    }
}

} // namespace
} // namespace pocket::mypc
