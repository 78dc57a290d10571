#include "pocket/mypc/mypc_upload_sender.h"

#include "proto/upload_block.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace pocket::mypc {
namespace {

std::string ack(std::int32_t total)
{
    auto block = proto::formatUploadAck(total);
    return std::string(block.data(), block.size());
}

class UploadSenderTest : public ::testing::Test {
protected:
    ~UploadSenderTest() override { std::filesystem::remove(m_file); }
    void write(const std::string& content) { std::ofstream(m_file, std::ios::binary) << content; }

    std::filesystem::path m_file = std::filesystem::temp_directory_path() / ("mypc-sender-" + std::to_string(::getpid()));
    UploadSender m_sender;
};

TEST_F(UploadSenderTest, SendsBlocksOfAtMost1024ThenTheMarker)
{
    std::string content(2500, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7);
    write(content);
    ASSERT_TRUE(m_sender.open(m_file));
    EXPECT_EQ(m_sender.size(), 2500);
    std::string joined;
    std::vector<std::size_t> sizes;
    std::vector<int> percents;
    for (int i = 0; i < 3; ++i) {
        auto block = m_sender.nextBlock();
        ASSERT_TRUE(block);
        sizes.push_back(block->size());
        joined += *block;
        percents.push_back(m_sender.percent());
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t> { 1024, 1024, 452 }));
    EXPECT_EQ(percents, (std::vector<int> { 40, 81, 100 }));
    EXPECT_EQ(joined, content);
    EXPECT_FALSE(m_sender.isComplete());
    EXPECT_EQ(m_sender.nextBlock(), std::optional<std::string>("FILE_SEND_COMPLETE"));
    EXPECT_TRUE(m_sender.isComplete());
    EXPECT_FALSE(m_sender.isOpen());
    EXPECT_FALSE(m_sender.nextBlock());
}

TEST_F(UploadSenderTest, EmptyFileSendsOnlyTheMarker)
{
    write("");
    ASSERT_TRUE(m_sender.open(m_file));
    EXPECT_EQ(m_sender.percent(), 100);
    EXPECT_EQ(m_sender.nextBlock(), std::optional<std::string>("FILE_SEND_COMPLETE"));
}

TEST_F(UploadSenderTest, MissingFilesAndFoldersDoNotOpen)
{
    EXPECT_FALSE(m_sender.open(m_file));
    EXPECT_FALSE(m_sender.open(std::filesystem::temp_directory_path()));
}

TEST_F(UploadSenderTest, WaitsForAWholeAcknowledgementCoveringWhatWasSent)
{
    write(std::string(3000, 'a'));
    ASSERT_TRUE(m_sender.open(m_file));
    ASSERT_TRUE(m_sender.nextBlock());
    std::string first = ack(1024);
    // Cut into three receives: only the last completes it.
    EXPECT_FALSE(m_sender.onReceived(first.substr(0, 10)));
    EXPECT_FALSE(m_sender.onReceived(first.substr(10, 500)));
    EXPECT_TRUE(m_sender.onReceived(first.substr(510)));

    ASSERT_TRUE(m_sender.nextBlock());
    // The PC read the block in two pieces and acknowledged each: the first
    // acknowledgement does not cover the block yet.
    EXPECT_FALSE(m_sender.onReceived(ack(1500)));
    EXPECT_TRUE(m_sender.onReceived(ack(2048)));

    ASSERT_TRUE(m_sender.nextBlock());
    // Both in one receive.
    EXPECT_TRUE(m_sender.onReceived(ack(2500) + ack(3000)));
}

TEST_F(UploadSenderTest, AnyOtherWholeReplyCountsAsAnAcknowledgement)
{
    write("abc");
    ASSERT_TRUE(m_sender.open(m_file));
    ASSERT_TRUE(m_sender.nextBlock());
    EXPECT_TRUE(m_sender.onReceived(std::string(1024, 'z')));
}

} // namespace
} // namespace pocket::mypc
