#include "pocket/icq/contact_file.h"
#include "pocket/icq/icq_messenger.h"
#include "pocket/icq/icq_page.h"
#include "pocket/icq/testing/fake_link.h"
#include "pocket/icq/testing/fake_views.h"
#include "pocket/icq/testing/messenger_fixture.h"

#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/ink/testing/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace pocket::icq {
namespace {

using namespace std::string_literals;
using platform::Answer;
using namespace testing;

std::string le16(std::uint16_t v) { return { char(v & 0xFF), char(v >> 8) }; }
std::string le32(std::uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }
std::string tlv(std::uint16_t type, std::string value)
{
    return bigEndian16(type) + bigEndian16(static_cast<std::uint16_t>(value.size())) + value;
}
std::string byteText(std::string text) { return char(text.size()) + text; }

std::string onlineNotice(std::string number, std::uint32_t status)
{
    return byteText(number) + "\x00\x00\x00\x01"s + tlv(6, bigEndian32(status));
}

std::string channelFour(std::string sender, std::uint8_t type, std::string text)
{
    std::string inner = le32(0) + char(type) + '\0' + le16(static_cast<std::uint16_t>(text.size() + 1)) + text + '\0';
    return std::string(8, 'C') + "\x00\x04"s + byteText(sender) + "\x00\x00\x00\x00"s + tlv(5, inner);
}

std::string metaAnswer(std::uint16_t type, std::uint16_t sequence, std::string body)
{
    std::string fields = le32(123456) + le16(type) + bigEndian16(sequence) + body;
    return tlv(1, le16(static_cast<std::uint16_t>(fields.size())) + fields);
}

std::string lText(std::string text) { return le16(static_cast<std::uint16_t>(text.size() + 1)) + text + '\0'; }

// A sent 04,06: the number and the message text without its NUL.
std::pair<std::string, std::string> sentMessage(const SentFrame& frame)
{
    ByteReader reader(frame.snacData);
    reader.skip(10);
    auto number = *reader.lengthText8();
    auto tlvs = readTlvs(reader);
    ByteReader inner(findTlv(tlvs, 5)->value);
    inner.skip(6);
    auto length = *inner.u16le();
    return { number, std::string(*inner.raw(length - 1)) };
}

class IcqMessengerTest : public MessengerFixture { };

TEST_F(IcqMessengerTest, SignOnLoadsTheStoredContactsOffline)
{
    signOn({ "11111", "22222" });
    ASSERT_EQ(messenger.contacts().size(), 2u);
    EXPECT_EQ(tree.labels(TreeGroup::Offline), (std::vector<std::string> { "11111", "22222" }));
    EXPECT_TRUE(tree.placeholders[TreeGroup::Online]);
    EXPECT_FALSE(tree.placeholders[TreeGroup::Offline]);
    EXPECT_EQ(page.statusLine, "123456 (온라인)");
}

TEST_F(IcqMessengerTest, PresenceMovesContactsBetweenTheRootsAndUnknownNumbersJoinForTheSession)
{
    signOn({ "11111" });
    receive(3, 0x0B, onlineNotice("11111", 0x00020001)); // Low 16 bits: away.
    EXPECT_EQ(tree.labels(TreeGroup::Online), (std::vector<std::string> { "11111 (자리비움)" }));
    EXPECT_TRUE(tree.placeholders[TreeGroup::Offline]);
    receive(3, 0x0B, onlineNotice("99999", 0));
    EXPECT_EQ(messenger.contacts().size(), 2u);
    EXPECT_EQ(fileContent(), "11111/"); // Not written to the local file.
    receive(3, 0x0B, onlineNotice("1234567890", 0)); // Ten digits: ignored.
    EXPECT_EQ(messenger.contacts().size(), 2u);
    receive(3, 0x0C, byteText("11111"));
    EXPECT_EQ(tree.labels(TreeGroup::Offline), (std::vector<std::string> { "11111" }));
}

TEST_F(IcqMessengerTest, AddingSendsServerListAndBuddyThenInformationAndAFailedAnswerRemovesItOnTheUsersWord)
{
    signOn({});
    messenger.addFromDialog("1234");
    EXPECT_EQ(ui.lastText(), add_text::kWrongNumber);
    messenger.addFromDialog("1234567890");
    ASSERT_EQ(messenger.contacts().size(), 1u);
    EXPECT_EQ(fileContent(), "1234567890/");
    EXPECT_EQ(sent(0x13, 0x08).size(), 1u);
    EXPECT_EQ(sent(3, 0x04).at(0).snacData, "\x0A" "1234567890"s);
    const auto requests = sent(0x15, 0x02);
    ASSERT_EQ(requests.size(), 1u);
    // Chunk 14, own number, 2000, sequence 2 high byte first, 0x051F, the number.
    EXPECT_EQ(requests[0].snacData, tlv(1, le16(14) + le32(123456) + le16(2000) + "\x00\x02"s + le16(0x051F) + le32(1234567890)));

    messenger.addContact("1234567890");
    EXPECT_EQ(ui.lastText(), messenger_text::kAlreadyListed);
    messenger.addContact("12/34"); // A sender's "number" from the network.
    EXPECT_EQ(ui.lastText(), add_text::kWrongNumber);
    EXPECT_EQ(fileContent(), "1234567890/");

    ui.pushAnswer(Answer::Ok);
    receive(0x15, 0x03, metaAnswer(0x07DA, 2, le16(0x01AE) + "\x32"s));
    EXPECT_EQ(messenger.contacts().size(), 0u);
    EXPECT_EQ(ui.lastText(), "1234567890 - 존재하지 않는 사용자입니다\n삭제할까요?");
    EXPECT_TRUE(ui.calls().back().isQuestion);
    EXPECT_EQ(fileContent(), "");
    EXPECT_EQ(sent(0x13, 0x0A).size(), 1u);
}

TEST_F(IcqMessengerTest, InformationAnswersFillTheOwnDataAndTheContacts)
{
    signOn({ "11111" });
    receive(0x15, 0x03, metaAnswer(0x07DA, 2, le16(0x00C8) + "\x0A"s + lText("Me") + lText("F") + lText("L") + lText("m@x")));
    EXPECT_EQ(messenger.ownNick(), "Me");
    receive(0x15, 0x03,
        metaAnswer(0x07DA, 3, le16(0x019A) + "\x0A"s + "\x00\x00"s + le32(11111) + lText("Kim") + lText("Chul")
                + lText("Soo") + lText("kim@x") + "\x00"s));
    const auto info = messenger.contactInfo("11111");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->title, "ICQ - 11111");
    EXPECT_EQ(info->nickLine, "Nick : Kim");
    EXPECT_EQ(info->email, "kim@x");
    EXPECT_EQ(info->state, "오프라인");
    EXPECT_EQ(tree.labels(TreeGroup::Offline), (std::vector<std::string> { "Kim" }));
    messenger.emailContact("11111");
    EXPECT_EQ(mail.addresses, (std::vector<std::string> { "kim@x" }));
}

TEST_F(IcqMessengerTest, ALookupSayingOnlineShowsAContactWithoutPresenceOnline)
{
    signOn({ "11111", "22222" });
    auto found = [](std::uint32_t number, std::uint16_t state) {
        return le16(0x01AE) + "\x0A"s + "\x00\x00"s + le32(number) + lText("N") + lText("") + lText("")
            + lText("") + "\x00"s + le16(state);
    };
    receive(3, 0x0C, byteText("22222")); // Known to be offline.
    receive(0x15, 0x03, metaAnswer(0x07DA, 2, found(11111, 1)));
    receive(0x15, 0x03, metaAnswer(0x07DA, 3, found(22222, 1)));
    EXPECT_EQ(tree.labels(TreeGroup::Online), (std::vector<std::string> { "N (온라인)" }));
    EXPECT_EQ(tree.labels(TreeGroup::Offline), (std::vector<std::string> { "N" }));
    EXPECT_EQ(messenger.contacts().find("22222")->status, kStatusOffline);
}

TEST_F(IcqMessengerTest, InformationWithATextCutShortIsIgnored)
{
    signOn({ "11111" });
    // The nick claims 200 bytes; the three texts behind it still read.
    receive(0x15, 0x03,
        metaAnswer(0x07DA, 2, le16(0x00C8) + "\x0A"s + le16(200) + lText("F") + lText("L") + lText("m@x")));
    EXPECT_EQ(messenger.ownNick(), "");
    receive(0x15, 0x03,
        metaAnswer(0x07DA, 3, le16(0x019A) + "\x0A"s + "\x00\x00"s + le32(11111) + le16(200) + lText("Chul")
                + lText("Soo") + lText("kim@x") + "\x00"s));
    const auto info = messenger.contactInfo("11111");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->email, "");
}

TEST_F(IcqMessengerTest, ReceivedMessagesOpenOneWindowPerSender)
{
    signOn({ "11111" });
    receive(4, 0x07, channelFour("11111", 1, "hello"));
    receive(4, 0x07, channelFour("11111", 4, "a page\xFEhttp://x"));
    receive(4, 0x07, channelFour("55555", 1, "who?"));
    receive(4, 0x07, channelFour("55555", 26, "dropped"));
    receive(4, 0x07, channelFour("55555", 9, "odd"));
    ASSERT_EQ(windowHost.windows.size(), 2u);
    EXPECT_EQ(windowHost.windows[0]->title, "ICQ - 11111 (오프라인)");
    EXPECT_EQ(windowHost.windows[0]->log, "\r\n11111 : hello\r\n11111 : a page");
    EXPECT_EQ(windowHost.windows[1]->title, "ICQ - 55555 (Unknown Online User)");
    EXPECT_EQ(windowHost.windows[1]->log, "\r\n55555 : who?");
    EXPECT_EQ(ui.lastText(), "Unprocessed message type 9");
}

TEST_F(IcqMessengerTest, SendingFromAWindowLogsAndWarnsForOfflineContacts)
{
    signOn({ "11111" });
    messenger.openMessageWindow("11111");
    messenger.onWindowSend(0, "");
    EXPECT_EQ(windowHost.windows[0]->focuses, 1);
    messenger.onWindowSend(0, "hi there");
    EXPECT_EQ(windowHost.windows[0]->log, "\r\n123456 : hi there"s + std::string(messenger_text::kOfflineNotice));
    const auto messages = sent(4, 0x06);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(sentMessage(messages[0]), std::make_pair("11111"s, "hi there"s));
    EXPECT_EQ(windowHost.windows[0]->inputClears, 1);

    messenger.openMessageWindow("77777");
    messenger.onWindowSend(1, "x");
    EXPECT_NE(windowHost.windows[1]->log.find(messenger_text::kCannotFindUser), std::string::npos);
    EXPECT_EQ(sent(4, 0x06).size(), 1u);
    ui.pushAnswer(Answer::Ok);
    messenger.onWindowAdd(1);
    EXPECT_TRUE(messenger.contacts().find("77777"));
    EXPECT_EQ(windowHost.windows[1]->title, "ICQ - 77777 (오프라인)");
}

TEST_F(IcqMessengerTest, BroadcastSendsOneMessagePerCheckedContact)
{
    signOn({ "11111", "22222", "33333" });
    messenger.broadcast({}, "x");
    EXPECT_EQ(ui.lastText(), messenger_text::kChooseRecipients);
    messenger.broadcast({ "11111" }, "");
    EXPECT_EQ(ui.lastText(), messenger_text::kEnterMessage);
    messenger.broadcast({ "11111", "22222", "33333" }, "notice");
    const auto messages = sent(4, 0x06);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(sentMessage(messages[2]), std::make_pair("33333"s, "notice"s));
}

TEST_F(IcqMessengerTest, DeletingAsksRewritesTheFileAndTellsTheServer)
{
    signOn({ "11111", "22222" });
    ui.pushAnswer(Answer::Cancel);
    messenger.deleteContact("11111");
    EXPECT_EQ(messenger.contacts().size(), 2u);
    ui.pushAnswer(Answer::Ok);
    messenger.deleteContact("11111");
    EXPECT_EQ(ui.calls().back().text, "11111님을 친구목록에서 삭제하시겠습니까?");
    EXPECT_EQ(fileContent(), "22222/");
    EXPECT_EQ(sent(0x13, 0x0A).at(0).snacData, "\x00\x05" "11111" "\x00\x00\x12\x34\x00\x00\x00\x00"s);
}

TEST_F(IcqMessengerTest, EndOfOfflineMessagesDeletesThemAndAsksForEveryonesInformation)
{
    signOn({ "11111", "22222" });
    receive(0x15, 0x03, metaAnswer(0x0041, 2, le32(11111) + "\xD4\x07\x01\x02\x03\x04"s + "\x01\x00"s + lText("later")));
    EXPECT_EQ(windowHost.windows.at(0)->log, "\r\n11111 : later");
    receive(0x15, 0x03, metaAnswer(0x0042, 2, ""));
    EXPECT_EQ(sent(0x15, 0x02).size(), 2u); // Delete, then the own information.
    clock.advance(std::chrono::milliseconds(2000));
    EXPECT_EQ(sent(0x15, 0x02).size(), 4u);
}

TEST_F(IcqMessengerTest, StatusCommandsMenuAndReset)
{
    signOn({ "11111" });
    settings::PdaSettings settings;
    IcqPage commands(messenger, settings);
    EXPECT_FALSE(commands.onCommand(command::kAddContact, "")); // A dialog of the page's own.
    EXPECT_TRUE(commands.onCommand(command::kStatusOccupied, ""));
    EXPECT_EQ(sent(1, 0x1E).at(0).snacData, tlv(6, bigEndian32(16)));
    EXPECT_EQ(page.statusLine, "123456 (다른 용무 중)");
    EXPECT_EQ(page.bitmap, 115);
    EXPECT_EQ(messenger.menuState().checkedStatusCommand, command::kStatusOccupied);
    EXPECT_FALSE(messenger.menuState().connect);

    ui.pushAnswer(Answer::Ok);
    EXPECT_TRUE(commands.onCommand(command::kLogout, ""));
    EXPECT_EQ(messenger.contacts().size(), 0u);
    EXPECT_TRUE(tree.items.empty());
    EXPECT_EQ(page.statusLine, "123456 (오프라인)");
    EXPECT_TRUE(messenger.menuState().connect);
    EXPECT_FALSE(messenger.menuState().statusMenu);

    // Connecting without an account asks for one in the settings.
    commands.onCommand(command::kConnect, "");
    EXPECT_EQ(ui.lastText(), session_text::kEnterAccount);
}

} // namespace
} // namespace pocket::icq
