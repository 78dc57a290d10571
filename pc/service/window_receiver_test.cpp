#include "pc/service/window_receiver.h"

#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace pc::service {
namespace {

using proto::FrameType;

std::string dataFrame(std::string_view bytes)
{
    return proto::frameHead(FrameType::Data, bytes.size()) + std::string(bytes);
}

class WindowReceiverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(m_fd, 0);
    }
    void TearDown() override { ::close(m_fd); }
    void hold(const std::string& content) { ASSERT_EQ(::pwrite(m_fd, content.data(), content.size(), 0), static_cast<ssize_t>(content.size())); }
    std::string file()
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    platform::TempFolder m_temp { "window_receiver_test" };
    std::filesystem::path m_path = m_temp.path() / "up.bin";
    int m_fd = -1;
    WindowReceiver m_receiver;
};

TEST_F(WindowReceiverTest, SplitOrJoinedFramesWriteTheFileAndAckOncePerRead)
{
    const std::string stream = proto::numberFrame(FrameType::Start, 0) + dataFrame("hello ") + dataFrame("world")
        + proto::frameHead(FrameType::End, 0);
    // All at once: one acknowledgement of the whole, and the end.
    m_receiver.begin(m_fd, 0, 11);
    auto joined = m_receiver.onBytes(stream);
    EXPECT_EQ(joined.step, WindowReceiver::Step::Complete);
    EXPECT_EQ(joined.acks, proto::numberFrame(FrameType::Ack, 11));
    EXPECT_EQ(file(), "hello world");

    // A byte at a time: an acknowledgement whenever a read completed data.
    ASSERT_EQ(::ftruncate(m_fd, 0), 0);
    m_receiver.begin(m_fd, 0, 11);
    std::vector<std::uint64_t> totals;
    WindowReceiver::Result last;
    for (char c : stream) {
        last = m_receiver.onBytes(std::string_view(&c, 1));
        if (!last.acks.empty())
            totals.push_back(proto::frameNumber({ FrameType::Ack, std::string_view(last.acks).substr(5) }).value());
    }
    EXPECT_EQ(last.step, WindowReceiver::Step::Complete);
    EXPECT_EQ(totals, (std::vector<std::uint64_t> { 6, 11 }));
    EXPECT_EQ(file(), "hello world");
}

TEST_F(WindowReceiverTest, ContinuesFromWhatItHeldOrCutsItBack)
{
    hold("hello wXXXX");
    m_receiver.begin(m_fd, 7, 11);
    auto resumed = m_receiver.onBytes(proto::numberFrame(FrameType::Start, 7) + dataFrame("orld") + proto::frameHead(FrameType::End, 0));
    EXPECT_EQ(resumed.step, WindowReceiver::Step::Complete);
    EXPECT_EQ(file(), "hello world");

    // The handheld found another beginning: it starts from zero.
    m_receiver.begin(m_fd, 11, 3);
    EXPECT_EQ(m_receiver.onBytes(proto::numberFrame(FrameType::Start, 0) + dataFrame("new")).step, WindowReceiver::Step::Continue);
    EXPECT_EQ(file(), "new");
}

TEST_F(WindowReceiverTest, BrokenRulesCloseAndKeepWhatWasWritten)
{
    struct Case {
        const char* name;
        std::uint64_t held;
        std::uint64_t announced;
        std::string stream;
        std::string kept;
    };
    const std::string start = proto::numberFrame(FrameType::Start, 0);
    const std::string full(proto::kMaxDataBytes, 'w');
    std::string overflow = start;
    for (std::uint64_t sent = 0; sent <= proto::kWindowBytes; sent += full.size())
        overflow += dataFrame(full);
    const Case cases[] = {
        { "start beyond what is held", 2, 10, proto::numberFrame(FrameType::Start, 3), "ab" },
        { "data before the start", 0, 10, dataFrame("abc"), "ab" },
        { "data beyond the announced size", 0, 4, start + dataFrame("abc") + dataFrame("de"), "abc" },
        { "end before the last byte", 0, 10, start + dataFrame("abc") + proto::frameHead(FrameType::End, 0), "abc" },
        { "a second start", 0, 10, start + dataFrame("abc") + start, "abc" },
        { "an acknowledgement", 0, 10, start + proto::numberFrame(FrameType::Ack, 1), "" },
        { "an unknown frame", 0, 10, start + std::string("Z\0\0\0\0", 5), "" },
        { "more than the window without an acknowledgement", 0, 1 << 30, overflow,
            std::string(proto::kWindowBytes, 'w') },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(::ftruncate(m_fd, 0), 0);
        hold("ab");
        m_receiver.begin(m_fd, c.held, c.announced);
        auto result = m_receiver.onBytes(c.stream);
        EXPECT_EQ(result.step, WindowReceiver::Step::Broken);
        EXPECT_FALSE(m_receiver.fault().empty());
        EXPECT_TRUE(result.acks.empty());
        std::string kept = file();
        EXPECT_EQ(kept.size(), c.kept.size());
        EXPECT_TRUE(kept == c.kept);
    }
}

} // namespace
} // namespace pc::service
