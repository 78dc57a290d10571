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
