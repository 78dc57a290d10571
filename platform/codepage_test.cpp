#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

// "안녕하세요" in CP949 (EUC-KR bytes).
const std::string kHelloCp949 = "\xbe\xc8\xb3\xe7\xc7\xcf\xbc\xbc\xbf\xe4";
const std::string kHelloUtf8 = "안녕하세요";

TEST(CodePage, ConvertsKoreanBothWays)
{
    EXPECT_EQ(fromUtf8(kHelloUtf8, "CP949"), kHelloCp949);
    EXPECT_EQ(toUtf8(kHelloCp949, "CP949"), kHelloUtf8);
    // A CP949 extension syllable outside EUC-KR.
    EXPECT_EQ(toUtf8(fromUtf8("똠방각하", "CP949"), "CP949"), "똠방각하");
    EXPECT_EQ(fromUtf8("mixed 한글 text", "cp949"), "mixed \xc7\xd1\xb1\xdb text");
}

TEST(CodePage, Utf8CodePageAndUnknownOnesLeaveTextAlone)
{
    EXPECT_EQ(fromUtf8(kHelloUtf8, "UTF-8"), kHelloUtf8);
    EXPECT_EQ(toUtf8("\xff raw", "utf8"), "\xff raw");
    EXPECT_EQ(toUtf8(kHelloCp949, "no-such-code-page"), kHelloCp949);
}

TEST(CodePage, UnconvertibleTextIsReplacedNotDropped)
{
    // An emoji has no CP949 form; the rest still converts.
    EXPECT_EQ(fromUtf8("a\xf0\x9f\x98\x80" "b", "CP949"), "a?b");
    // A lone lead byte at the end of CP949 text.
    EXPECT_EQ(toUtf8("\xbe\xc8\xb3", "CP949"), "안\xef\xbf\xbd");
}

TEST(CodePage, MailCharsetLabelsAndAliases)
{
    struct Case {
        const char* label;
        std::string expected;
    };
    const Case cases[] = {
        { "ks_c_5601-1987", kHelloUtf8 },
        { "KS_C_5601-1987", kHelloUtf8 },
        { "euc-kr", kHelloUtf8 },
        { "\"EUC-KR\"", kHelloUtf8 },
        { "ks_c_5601", kHelloUtf8 },
        { "x-windows-949", kHelloUtf8 },
        { "", kHelloCp949 },
        { "x-unknown-charset", kHelloCp949 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(charsetToUtf8(kHelloCp949, c.label), c.expected);
    }
    // ISO-2022-KR: the designator, then SO ... SI around the Korean bytes.
    std::string iso2022 = "\x1b$)C\x0e\x3e\x48\x33\x67\x0f";
    EXPECT_EQ(charsetToUtf8(iso2022, "iso-2022-kr"), "안녕");
    EXPECT_EQ(charsetToUtf8("caf\xe9", "iso-8859-1"), "café");
}

TEST(CodePage, MailTextGoesIntoTheProgramsCodePage)
{
    EXPECT_EQ(charsetToCodePage(kHelloCp949, "euc-kr", "CP949"), kHelloCp949);
    EXPECT_EQ(charsetToCodePage(kHelloUtf8, "utf-8", "CP949"), kHelloCp949);
    EXPECT_EQ(charsetToCodePage(kHelloCp949, "ks_c_5601-1987", "UTF-8"), kHelloUtf8);
    EXPECT_EQ(charsetToCodePage("as is", "", "CP949"), "as is");
}

TEST(Utf8, CountsAndCutsWithoutSplittingCharacters)
{
    EXPECT_EQ(countCodePoints("a한b"), 3u);
    EXPECT_EQ(countCodePoints("\xff\xfe"), 2u); // Damaged bytes count one each.
    EXPECT_EQ(cutCodePoints("a한b", 2), "a한");
    EXPECT_EQ(cutCodePoints("ab", 5), "ab");
    struct Case {
        std::size_t limit;
        std::string_view expected;
    };
    for (auto c : { Case { 0, "" }, Case { 1, "a" }, Case { 2, "a" }, Case { 3, "a" }, Case { 4, "a한" }, Case { 5, "a한b" } }) {
        SCOPED_TRACE(c.limit);
        EXPECT_EQ(cutBytes("a한b", c.limit), c.expected);
    }
    EXPECT_EQ(cutBytes("a\xed\x95", 3), "a\xed\x95"); // A truncated sequence is bytes, cut anywhere.
    EXPECT_TRUE(isValidUtf8(kHelloUtf8));
    EXPECT_FALSE(isValidUtf8(kHelloCp949));
    EXPECT_FALSE(isValidUtf8("\xed\xa0\x80")); // A surrogate.
    EXPECT_FALSE(isValidUtf8("\xc0\xaf")); // An overlong slash.
}

TEST(CutAnsi, NeverSplitsACharacterOfItsCodePage)
{
    std::string utf8 = std::string(899, 'a') + "한"; // 902 bytes.
    EXPECT_EQ(cutAnsi(utf8, 900, "UTF-8").size(), 899u);
    EXPECT_EQ(cutAnsi(utf8, 902, "UTF-8").size(), 902u);
    std::string cp949 = std::string(899, 'a') + "\xc7\xd1";
    EXPECT_EQ(cutAnsi(cp949, 900, "CP949").size(), 899u);
    EXPECT_EQ(cutAnsi(cp949, 901, "cp949").size(), 901u);
    // A trail byte in the ASCII range ("\x81\x41") still belongs to its lead.
    EXPECT_EQ(cutAnsi("\x81\x41\x81\x41", 3, "CP949"), "\x81\x41");
    EXPECT_EQ(cutAnsi("abc", 2, "ISO-8859-1"), "ab");
}

TEST(CodePage, KnowsWhichNamesIconvConverts)
{
    EXPECT_TRUE(isKnownCodePage("UTF-8"));
    EXPECT_TRUE(isKnownCodePage("CP949"));
    EXPECT_TRUE(isKnownCodePage("euc-kr"));
    EXPECT_FALSE(isKnownCodePage(""));
    EXPECT_FALSE(isKnownCodePage("no-such-page"));
}

TEST(CodePage, EncodedSizeCountsTheBytesInTheCodePage)
{
    EXPECT_EQ(encodedSize("a한글", "UTF-8"), 7u);
    EXPECT_EQ(encodedSize("a한글", ""), 7u);
    EXPECT_EQ(encodedSize("a한글", "CP949"), 5u);
}

} // namespace
} // namespace platform
