#include "pocket/icq/sign_on.h"
#include "pocket/icq/testing/fake_link.h"

#include <gtest/gtest.h>

namespace pocket::icq {
namespace {

using namespace std::string_literals;
using testing::framesOf;

TEST(SignOn, RoastsThePasswordWithTheTableAndCutsItAtTwentyBytes)
{
    EXPECT_EQ(roastPassword("abc"), "\x92\x44\xE2"s);
    // The table repeats after sixteen bytes.
    const auto roasted = roastPassword(std::string(17, 'a'));
    EXPECT_EQ(roasted[16], roasted[0]);
    EXPECT_EQ(roastPassword(std::string(40, 'a')).size(), kMaxPasswordBytes);
}

TEST(SignOn, LoginFrameCarriesTheClientIdentificationInOrder)
{
    const auto frames = framesOf(buildLoginFrame(0x8001, 123456789, "secret"));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].channel, kChannelSignOn);
    EXPECT_EQ(frames[0].sequence, 0x8001);
    EXPECT_EQ(frames[0].data.size(), 116u + 9 + 6);
    ByteReader reader(frames[0].data);
    EXPECT_EQ(reader.u32(), 1u);
    const auto tlvs = readTlvs(reader);
    const std::vector<std::pair<std::uint16_t, std::string>> expected {
        { 1, "123456789" }, { 2, roastPassword("secret") }, { 3, std::string(kClientIdText) },
        { 0x16, "\x01\x0A"s }, { 0x17, "\x00\x05"s }, { 0x18, "\x00\x05"s }, { 0x19, "\x00\x01"s },
        { 0x1A, "\x0E\x23"s }, { 0x14, "\x00\x00\x00\x55"s }, { 0x0F, "en" }, { 0x0E, "us" } };
    ASSERT_EQ(tlvs.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(tlvs[i].type, expected[i].first) << i;
        EXPECT_EQ(tlvs[i].value, expected[i].second) << i;
    }
}

std::string tlv(std::uint16_t type, std::string value)
{
    return bigEndian16(type) + bigEndian16(static_cast<std::uint16_t>(value.size())) + value;
}

TEST(SignOn, ReadsEverySignOffFrame)
{
    const std::string uin = tlv(1, "123456");
    struct Case {
        std::string name;
        std::string data;
        std::string text; // Empty for a redirect.
        platform::Icon icon = platform::Icon::Warning;
    };
    const Case cases[] = {
        { "bad password", uin + tlv(8, "\x00\x05"s), std::string(sign_on_text::kRejected), platform::Icon::Information },
        { "rate limit", uin + tlv(8, "\x00\x18"s), std::string(sign_on_text::kRateLimit) },
        { "high byte ignored", uin + tlv(8, "\x01\x18"s), std::string(sign_on_text::kRateLimit) },
        { "other error", uin + tlv(8, "\x00\x01"s), std::string(sign_on_text::kUnknownSignOn) },
        { "other location", uin + tlv(9, "\x00\x01"s), std::string(sign_on_text::kOtherLocation) },
        { "other reason", uin + tlv(9, "\x00\x02"s), std::string(sign_on_text::kUnknownRuntime) },
        { "third bad password", uin + tlv(4, "http://x") + tlv(8, "\x00\x05"s),
            std::string(sign_on_text::kRejectedShort) },
        { "third rate limit", uin + tlv(4, "u") + tlv(8, "\x00\x18"s), std::string(sign_on_text::kRateLimit) },
        // The codes of servers in the wild.
        { "bad password 4", uin + tlv(8, "\x00\x04"s), std::string(sign_on_text::kRejected),
            platform::Icon::Information },
        { "third bad password 4", uin + tlv(4, "u") + tlv(8, "\x00\x04"s), std::string(sign_on_text::kRejectedShort) },
        { "rate limit 1D", uin + tlv(4, "u") + tlv(8, "\x00\x1D"s), std::string(sign_on_text::kRateLimit) },
        { "client too old", uin + tlv(4, "u") + tlv(8, "\x00\x1C"s), std::string(sign_on_text::kClientTooOld) },
        { "third other error", uin + tlv(4, "u") + tlv(8, "\x00\x03"s), std::string(sign_on_text::kUnknownSignOn) },
        { "no cookie", uin + tlv(5, "10.0.0.1:5190"), std::string(sign_on_text::kInvalidData) },
        { "empty cookie", uin + tlv(5, "10.0.0.1:5190") + tlv(6, ""), std::string(sign_on_text::kInvalidData) },
        { "only the uin", uin, std::string(sign_on_text::kInvalidData) },
        { "truncated", uin + "\x00\x05\x00\x40"s, std::string(sign_on_text::kInvalidData) },
        { "redirect", uin + tlv(5, "10.0.0.1:5191") + tlv(6, "COOKIE"), "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = readSignOff(c.data);
        if (c.text.empty()) {
            ASSERT_TRUE(std::holds_alternative<SignOnRedirect>(outcome));
            continue;
        }
        if (c.text == sign_on_text::kInvalidData) {
            EXPECT_TRUE(std::holds_alternative<SignOnInvalid>(outcome));
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<SignOnRefused>(outcome));
        EXPECT_EQ(std::get<SignOnRefused>(outcome).text, c.text);
        EXPECT_EQ(std::get<SignOnRefused>(outcome).icon, c.icon);
    }
}

TEST(SignOn, RedirectCutsTheHostAtTwentyCharactersAndReadsThePort)
{
    const auto outcome = readSignOff(tlv(1, "1") + tlv(5, "a-very-long-host-name.example:6000") + tlv(6, "CK"));
    const auto& redirect = std::get<SignOnRedirect>(outcome);
    EXPECT_EQ(redirect.host, "a-very-long-host-nam");
    EXPECT_EQ(redirect.port, 6000);
    EXPECT_EQ(redirect.cookie, "CK");
    const auto noPort = std::get<SignOnRedirect>(readSignOff(tlv(1, "1") + tlv(5, "10.1.2.3") + tlv(6, "C")));
    EXPECT_EQ(noPort.port, kIcqPort);
}

TEST(SignOn, ClientReadyCarriesEightFamiliesWithToolIdsThenTheOfflineRequest)
{
    FlapSequence sequence;
    sequence.reset(100);
    const auto frames = framesOf(buildClientReady(sequence, 0x01020304));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].snac.subtype, 0x11);
    EXPECT_EQ(frames[1].snac.subtype, 0x02);
    ASSERT_EQ(frames[1].snacData.size(), 64u);
    EXPECT_EQ(frames[1].snacData.substr(0, 8), "\x00\x01\x00\x03\x01\x10\x02\x8A"s);
    EXPECT_EQ(frames[1].snacData.substr(56, 8), "\x00\x0A\x00\x01\x01\x10\x02\x8A"s);
    EXPECT_EQ(frames[2].snac.family, 0x15);
    EXPECT_EQ(frames[2].snac.requestId, 0x00020001u);
    EXPECT_EQ(frames[2].snacData, "\x00\x01\x00\x0A\x08\x00\x04\x03\x02\x01\x3C\x00\x02\x00"s);
    EXPECT_EQ(frames[0].sequence, 101);
    EXPECT_EQ(frames[2].sequence, 103);
}

TEST(SignOn, StatusAtSignOnCarriesTheDirectConnectionBlock)
{
    FlapSequence sequence;
    const auto frames = framesOf(buildSignOnStatus(sequence, 0xC0A80102, 0xAABBCCDD));
    ByteReader reader(frames.at(0).snacData);
    const auto tlvs = readTlvs(reader);
    ASSERT_EQ(tlvs.size(), 3u);
    EXPECT_EQ(tlvs[0].value, "\x00\x00\x00\x00"s);
    EXPECT_EQ(tlvs[1].type, 8);
    ASSERT_EQ(tlvs[2].value.size(), 37u);
    EXPECT_EQ(tlvs[2].value.substr(0, 15), "\xC0\xA8\x01\x02\x00\x00\x00\x00\x04\x00\x08\xAA\xBB\xCC\xDD"s);
    EXPECT_EQ(tlvs[2].value.substr(23, 14), "\xFF\xFF\xFF\xFF\x3B\x72\x48\xED\x3B\x72\x48\xED\x00\x00"s);
}

} // namespace
} // namespace pocket::icq
