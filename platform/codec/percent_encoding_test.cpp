#include "platform/codec/percent_encoding.h"

#include <gtest/gtest.h>

namespace platform::codec {
namespace {

TEST(PercentEncodingTest, DecodesEscapesOnceAndKeepsTheRest)
{
    const std::pair<std::string_view, std::string> cases[] = {
        { "a%20b", "a b" },
        { "%e2%82%AC", "\xe2\x82\xac" },
        { "%2541", "%41" }, // Once only.
        { "100%", "100%" },
        { "%4", "%4" },
        { "%G1%1G", "%G1%1G" },
        { "a+b", "a+b" },
        { "%00", std::string(1, '\0') },
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(percentDecode(in), out) << in;
}

TEST(PercentEncodingTest, EncodesAllButUnreservedAndKeptCharacters)
{
    EXPECT_EQ(percentEncode("aZ09-._~"), "aZ09-._~");
    EXPECT_EQ(percentEncode("a b\t/%"), "a%20b%09%2F%25");
    EXPECT_EQ(percentEncode("/home/a b", "/"), "/home/a%20b");
    EXPECT_EQ(percentEncode("슬"), "%EC%8A%AC");
    EXPECT_EQ(percentEncode(std::string_view("\0", 1), std::string_view("\0", 1)), "%00");
    // Every byte comes back.
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all.push_back(static_cast<char>(byte));
    EXPECT_EQ(percentDecode(percentEncode(all)), all);
}

TEST(PercentEncodingTest, HexDigitValues)
{
    EXPECT_EQ(hexDigitValue('0'), 0);
    EXPECT_EQ(hexDigitValue('9'), 9);
    EXPECT_EQ(hexDigitValue('a'), 10);
    EXPECT_EQ(hexDigitValue('F'), 15);
    for (char c : { 'g', 'G', '/', ':', '@', '`', ' ', '\xC1' })
        EXPECT_EQ(hexDigitValue(c), -1) << int(c);
}

} // namespace
} // namespace platform::codec
