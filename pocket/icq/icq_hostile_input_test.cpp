#include "pocket/icq/flap_splitter.h"
#include "pocket/icq/icq_snacs.h"
#include "pocket/icq/sign_on.h"
#include "pocket/icq/testing/messenger_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace pocket::icq {
namespace {

    using namespace std::string_literals;

    std::string le16(std::uint16_t v) { return { char(v & 0xFF), char(v >> 8) }; }
    std::string le32(std::uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }
    std::string tlv(std::uint16_t type, const std::string& value)
    {
        return bigEndian16(type) + bigEndian16(static_cast<std::uint16_t>(value.size())) + value;
    }
    std::string byteText(const std::string& text) { return char(text.size()) + text; }

    // Well-formed payloads of the SNACs the messenger reads, so that a
    // mutation of them reaches past the first length check.
    std::string samplePayload(std::mt19937& random, std::uint16_t family, std::uint16_t subtype)
    {
        const std::string number = std::to_string(10000 + random() % 3);
        if (family == 3)
            return byteText(number) + "\x00\x00\x00\x01"s + tlv(6, bigEndian32(random() % 3));
        if (family == 4 && subtype == 7) {
            std::string text = "hello";
            std::string inner = le32(0) + char(random() % 0x1C) + '\0' + le16(std::uint16_t(text.size() + 1)) + text
                + '\0';
            return std::string(8, 'C') + "\x00\x04"s + byteText(number) + "\x00\x00\x00\x00"s + tlv(5, inner);
        }
        if (family == 0x15) {
            std::string body = le16(0x7DA) + le16(std::uint16_t(random() % 0x200)) + '\x0A'
                + le16(6) + "Nick\0\0"s + le16(1) + "\0"s + le16(1) + "\0"s + le16(1) + "\0"s;
            std::string fields = le32(123456) + le16(random() % 2 ? 0x7DA : 0x41) + bigEndian16(random() % 8) + body;
            return tlv(1, le16(std::uint16_t(fields.size())) + fields);
        }
        return {};
    }

    // Flips, cuts or extends a payload at random places.
    std::string mutate(std::mt19937& random, std::string bytes)
    {
        switch (random() % 4) {
        case 0:
            if (!bytes.empty())
                bytes.resize(random() % bytes.size());
            break;
        case 1:
            for (int i = 0; i < 3 && !bytes.empty(); ++i)
                bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
            break;
        case 2:
            for (int i = static_cast<int>(random() % 40); i > 0; --i)
                bytes += static_cast<char>(random() % 256);
            break;
        default:
            break;
        }
        return bytes;
    }

    class IcqHostileInput : public testing::MessengerFixture { };

    TEST_F(IcqHostileInput, RandomAndDamagedSnacsKeepTheMessengerWithinItsLimits)
    {
        static const std::pair<std::uint16_t, std::uint16_t> kSnacs[] = { { 1, 0x0F }, { 1, 0x03 }, { 1, 0x07 },
            { 1, 0x18 }, { 3, 0x0B }, { 3, 0x0C }, { 4, 0x07 }, { 4, 0x0C }, { 4, 0x01 }, { 0x15, 0x03 },
            { 0x13, 0x06 }, { 0x13, 0x0E }, { 9, 0x03 } };
        std::mt19937 random(20261207);
        signOn({ "10000", "10001" });
        int mostWindows = 0;
        std::size_t mostContacts = 0;
        for (int round = 0; round < 20000; ++round) {
            const auto& [family, subtype] = kSnacs[random() % std::size(kSnacs)];
            std::string payload = random() % 5 == 0 ? std::string(random() % 64, char(random() % 256))
                                                    : mutate(random, samplePayload(random, family, subtype));
            if (!session.isOpen())
                signOn({ "10000", "10001" });
            receive(family, subtype, payload);
            loop.processPending();
            link.sent.clear();
            ASSERT_LE(messenger.contacts().size(), ContactList::kMaxContacts);
            ASSERT_LE(messenger.windows().count(), MessageWindows::kMaxWindows);
            mostWindows = std::max(mostWindows, messenger.windows().count());
            mostContacts = std::max(mostContacts, messenger.contacts().size());
        }
        // The damaged input still reached the handlers: messages opened
        // windows and unknown numbers joined the list.
        EXPECT_GT(mostWindows, 0);
        EXPECT_GT(mostContacts, 2u);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path())) {
            auto relative = std::filesystem::relative(entry.path(), folder.path()).string();
            ASSERT_EQ(relative.find(".."), std::string::npos) << relative;
        }
    }

    TEST_F(IcqHostileInput, RandomFramesDuringSignOnEndInAStateOrAMessage)
    {
        std::mt19937 random(7);
        for (int round = 0; round < 3000; ++round) {
            session.connect("123456", "pw");
            for (int step = 0; step < 4 && session.isOpen(); ++step) {
                std::string data = random() % 2 ? tlv(1, "123456") + tlv(5, "10.0.0.9:5191") + tlv(6, "C") : ""s;
                link.queueFrame(static_cast<std::uint8_t>(1 + random() % 5), mutate(random, data));
                session.onReadable();
            }
            session.reset();
        }
        SUCCEED();
    }

    TEST(IcqHostileBytes, SplitterAndReadersTakeAnyByteStreamInAnyPieces)
    {
        std::mt19937 random(99);
        for (int round = 0; round < 2000; ++round) {
            FlapSplitter splitter;
            std::string stream;
            for (int frame = 0; frame < 8; ++frame) {
                std::string data(random() % 300, '\0');
                for (auto& byte : data)
                    byte = static_cast<char>(random() % 256);
                std::string header = "\x2A"s + char(random() % 6) + bigEndian16(std::uint16_t(random()))
                    + bigEndian16(static_cast<std::uint16_t>(random() % 4 == 0 ? random() : data.size()));
                stream += mutate(random, header + data);
            }
            std::size_t fed = 0;
            while (fed < stream.size()) {
                std::size_t piece = std::min<std::size_t>(stream.size() - fed, 1 + random() % 64);
                splitter.feed(std::string_view(stream).substr(fed, piece));
                fed += piece;
                while (auto next = splitter.next()) {
                    ASSERT_GE(splitter.bytesWanted(), 1u);
                    if (!*next)
                        continue;
                    const std::string& data = (*next)->data;
                    ASSERT_LE(data.size(), FlapSplitter::kMaxFrameData);
                    (void)readOnlineNotice(data);
                    (void)readOfflineNotice(data);
                    (void)readIncomingMessage(data);
                    (void)readMetaAnswer(data);
                    (void)readOfflineMessage(data);
                    (void)readSignOff(data);
                    (void)readOwnInfo(data);
                    (void)messageText(data);
                }
            }
        }
    }

} // namespace
} // namespace pocket::icq
