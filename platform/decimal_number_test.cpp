#include "platform/decimal_number.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace platform {
namespace {

    TEST(DecimalNumber, TheWholeTextOrNothing)
    {
        EXPECT_EQ(parseDecimal<int>("42"), 42);
        EXPECT_EQ(parseDecimal<int>("-7"), -7);
        EXPECT_EQ(parseDecimal<std::uint64_t>("18446744073709551615"), UINT64_MAX);
        for (const char* bad : { "", " 1", "1 ", "+1", "1x", "0x10", "1.5" })
            EXPECT_FALSE(parseDecimal<int>(bad)) << '"' << bad << '"';
        // No sign for unsigned types, and nothing past the type's range.
        EXPECT_FALSE(parseDecimal<std::uint32_t>("-1"));
        EXPECT_FALSE(parseDecimal<std::uint16_t>("65536"));
        EXPECT_FALSE(parseDecimal<std::int32_t>("2147483648"));
        EXPECT_FALSE(parseDecimal<std::uint64_t>("18446744073709551616"));
    }

    TEST(DecimalNumber, LeadingDigitsAsAtoiReadsThem)
    {
        EXPECT_EQ(leadingDecimal<int>("12abc"), 12);
        EXPECT_EQ(leadingDecimal<int>("-3 x"), -3);
        EXPECT_EQ(leadingDecimal<int>("abc"), 0);
        EXPECT_EQ(leadingDecimal<int>(""), 0);
        EXPECT_EQ(leadingDecimal<std::uint16_t>("70000"), 0); // Overflow reads as none.
    }

} // namespace
} // namespace platform
