// The TXT record of the PC's DNS-SD announcement, against fixed strings.

#include "proto/pc_announcement.h"

#include <gtest/gtest.h>

namespace proto {
namespace {

const std::string kFingerprint
    = "3F:A2:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:01:23:45:67:89:AB:CD:EF:10:32:54:76:98:9C";

TEST(PcAnnouncement, WritesNameAndFingerprintAndCutsALongNameAtACharacter)
{
    EXPECT_EQ(pcTxtRecord({ "서재 PC", kFingerprint }),
        (std::vector<std::string> { "name=서재 PC", "fp=" + kFingerprint }));
    EXPECT_EQ(pcTxtRecord({ "pc", "" }), std::vector<std::string> { "name=pc" });
    // 84 three-byte characters are 252 bytes; with "name=" only 83 fit.
    std::string longName;
    for (int i = 0; i < 84; ++i)
        longName += "가";
    auto strings = pcTxtRecord({ longName, "" });
    EXPECT_EQ(strings[0].size(), 5u + 83 * 3);
    EXPECT_LE(strings[0].size(), kTxtStringBytes);
}

TEST(PcAnnouncement, ReadsKeysWithoutCaseAndTheFirstOfEach)
{
    auto read = parsePcTxtRecord({ "NAME=study", "Fp=" + kFingerprint, "name=second", "fp=junk", "txtvers=1" });
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, (PcAnnouncement { "study", kFingerprint }));
    // Lower-case hex reads as the upper-case form the pins keep.
    std::string lower = kFingerprint;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(parsePcTxtRecord({ "fp=" + lower })->fingerprint, kFingerprint);
    // A value may hold "=" and be empty.
    EXPECT_EQ(parsePcTxtRecord({ "name=a=b" })->name, "a=b");
    EXPECT_EQ(*parsePcTxtRecord({ "name=" }), (PcAnnouncement { "", "" }));
}

TEST(PcAnnouncement, DropsWhatIsNotAFingerprintAndRecordsOfOtherServices)
{
    for (std::string bad : std::vector<std::string> { "fp=3F:A2", "fp=" + kFingerprint + ":00", "fp=" + std::string(95, ':'),
             "fp=" + kFingerprint.substr(0, 94) + "G" }) {
        auto read = parsePcTxtRecord({ "name=pc", bad });
        ASSERT_TRUE(read) << bad;
        EXPECT_EQ(read->fingerprint, "") << bad;
    }
    EXPECT_FALSE(parsePcTxtRecord({}));
    EXPECT_FALSE(parsePcTxtRecord({ "path=/", "=name", "name" }));
}

} // namespace
} // namespace proto
