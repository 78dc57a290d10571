#include "pocket/icq/icq_snacs.h"
#include "pocket/icq/testing/fake_link.h"

#include <gtest/gtest.h>

namespace pocket::icq {
namespace {

using namespace std::string_literals;
using testing::framesOf;

std::string tlv(std::uint16_t type, std::string value)
{
    return bigEndian16(type) + bigEndian16(static_cast<std::uint16_t>(value.size())) + value;
}

TEST(IcqSnacs, TextMessageCarriesAnyBytesWithTheirLength)
{
    FlapSequence sequence;
    const std::string text("\x07\x07" "1\x00\x0A\x0D"s);
    const auto frames = framesOf(buildTextMessage(sequence, 0x01020304, "22222", text));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].snac.requestId, 0u);
    const std::string inner = "\x04\x03\x02\x01\x01\x00\x07\x00"s + text + '\0';
    EXPECT_EQ(frames[0].snacData, std::string(8, '\0') + "\x00\x04\x05" "22222"s + tlv(5, inner) + tlv(6, ""));

    // What the receiving side reads back from the same bytes.
    const std::string incoming = std::string(8, 'K') + "\x00\x04\x05" "11111" "\x00\x00\x00\x00"s + tlv(5, inner);
    auto message = readIncomingMessage(incoming);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->sender, "11111");
    EXPECT_EQ(message->type, 1);
    EXPECT_EQ(message->body, text + '\0');
    EXPECT_EQ(messageText(message->body), "\x07\x07" "1"s);
}

TEST(IcqSnacs, ReadsChannelOneTextFragment)
{
    const std::string fragments = "\x05\x01\x00\x01\x01"s + "\x01\x01\x00\x07\x00\x00\x00\x00" "hey"s;
    const std::string incoming = std::string(8, 'K') + "\x00\x01\x03" "999" "\x00\x00\x00\x01"s + tlv(1, "xx")
        + tlv(2, fragments);
    auto message = readIncomingMessage(incoming);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->channel, 1);
    EXPECT_EQ(message->body, "hey");
}

TEST(IcqSnacs, ReadsChannelTwoMessagesAndAcknowledgesThemInTheClientsLayout)
{
    std::string extension = "\x1B\x00"s + "\x08\x00"s + std::string(16, '\0') + "\x00\x00"s + "\x03\x00\x00\x00"s
        + '\0' + "\x34\x12"s; // Sequence 0x1234.
    extension += "\x0E\x00"s + "\x34\x12"s + std::string(12, '\0');
    extension += "\x01\x00"s + "\x00\x00\x00\x00"s + "\x03\x00" "hi\0"s;
    const std::string rendezvous = "\x00\x00"s + std::string(8, 'K') + std::string(16, 'G') + tlv(0x2711, extension);
    const std::string incoming = std::string(8, 'K') + "\x00\x02\x03" "777" "\x00\x00\x00\x00"s + tlv(5, rendezvous);
    auto message = readIncomingMessage(incoming);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->type, 1);
    EXPECT_EQ(message->sequence, 0x1234);
    EXPECT_EQ(message->body, "hi");

    FlapSequence sequence;
    const auto ack = framesOf(buildMessageAck(sequence, message->cookie, "777", message->sequence, 1, 0));
    const std::string& data = ack.at(0).snacData;
    EXPECT_EQ(data.substr(0, 16), std::string(8, 'K') + "\x00\x02\x03" "777" "\x00\x03"s);
    EXPECT_EQ(data.substr(16, 2), "\x1B\x00"s);
    EXPECT_EQ(data.size(), 16u + 2 + 27 + 2 + 14 + 2 + 4 + 3 + 8);
    EXPECT_EQ(data.substr(data.size() - 8), "\x00\x00\x00\x00\xFF\xFF\xFF\x00"s);
}

TEST(IcqSnacs, ReadsThePluginNameAndTextOfAPluginMessage)
{
    std::string extension = "\x1B\x00"s + std::string(25, '\0') + "\x05\x00"s + "\x0E\x00"s + std::string(14, '\0');
    extension += "\x1A\x00"s + std::string(4, '\0') + "\x01\x00\x00"s;
    const std::string name = "Web Page Address (URL)";
    extension += "\x2A\x00"s + std::string(16, 'P') + "\x08\x00"s + "\x16\x00\x00\x00"s + name;
    extension += std::string(15, '\0') + "\x10\x00\x00\x00"s + "\x0C\x00\x00\x00"s + "site\xFEhttp://"s;
    const std::string rendezvous = "\x00\x00"s + std::string(24, 'K') + tlv(0x2711, extension);
    const std::string incoming = std::string(8, 'K') + "\x00\x02\x01" "7" "\x00\x00\x00\x00"s + tlv(5, rendezvous);
    auto message = readIncomingMessage(incoming);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->type, kPluginMessageType);
    EXPECT_EQ(message->pluginName, name);
    EXPECT_EQ(message->body, "site\xFEhttp://");
}

TEST(IcqSnacs, RefusesTruncatedMessagesAndNotices)
{
    const std::string incoming = std::string(8, 'K') + "\x00\x04\x05" "11111" "\x00\x00\x00\x00"s
        + tlv(5, "\x01\x02\x03"s);
    const std::string cases[] = { "", std::string(8, 'K'), incoming, std::string(8, 'K') + "\x00\x04\x09" "1"s };
    for (const auto& data : cases) {
        EXPECT_FALSE(readIncomingMessage(data));
        EXPECT_FALSE(readOnlineNotice(data.substr(0, 3)));
    }
    EXPECT_FALSE(readMetaAnswer(tlv(1, "\x08\x00"s)));
}

TEST(IcqSnacs, ReadsOnlineNoticeFields)
{
    const std::string direct = "\xC0\xA8\x00\x02"s + "\x00\x00\x13\x88"s + "\x04"s + "\x00\x08"s + "\xAA\xBB\xCC\xDD"s;
    const std::string data = "\x05" "12345" "\x00\x00\x00\x03"s + tlv(6, "\x00\x01\x00\x12"s)
        + tlv(0x0A, "\x01\x02\x03\x04"s) + tlv(0x0C, direct);
    auto notice = readOnlineNotice(data);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->status, 0x12);
    EXPECT_EQ(notice->externalIp, 0x01020304u);
    EXPECT_EQ(notice->internalIp, 0xC0A80002u);
    EXPECT_EQ(notice->port, 5000u);
    EXPECT_EQ(notice->connectionType, 4);
    EXPECT_EQ(notice->protocolVersion, 8);
    EXPECT_EQ(notice->cookie, 0xAABBCCDDu);
}

TEST(IcqSnacs, DeleteOfflineMessagesRequest)
{
    FlapSequence sequence;
    const auto frames = framesOf(buildDeleteOfflineMessages(sequence, 0x01020304));
    EXPECT_EQ(frames.at(0).snacData, tlv(1, "\x08\x00\x04\x03\x02\x01\x3E\x00\x11\x00"s));
}

} // namespace
} // namespace pocket::icq
