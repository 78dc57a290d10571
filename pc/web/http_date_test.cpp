#include "pc/web/http_date.h"

#include <gtest/gtest.h>

namespace pc::web {
namespace {

HttpTime at(int year, int month, int dayOfWeek, int day, int hour, int minute, int second)
{
    HttpTime time;
    time.year = static_cast<std::uint16_t>(year);
    time.month = static_cast<std::uint16_t>(month);
    time.dayOfWeek = static_cast<std::uint16_t>(dayOfWeek);
    time.day = static_cast<std::uint16_t>(day);
    time.hour = static_cast<std::uint16_t>(hour);
    time.minute = static_cast<std::uint16_t>(minute);
    time.second = static_cast<std::uint16_t>(second);
    return time;
}

TEST(HttpDate, ParsesTheThreeForms)
{
    struct Case {
        std::string_view text;
        std::optional<HttpTime> expected;
    };
    const Case cases[] = {
        { "Sun, 06 Nov 1994 08:49:37 GMT", at(1994, 11, 0, 6, 8, 49, 37) },
        { "Sun Nov  6 08:49:37 1994", at(1994, 11, 0, 6, 8, 49, 37) },
        { "Sunday, 06-Nov-94 08:49:37 GMT", at(1994, 11, 0, 6, 8, 49, 37) },
        { "Saturday, 03-Feb-07 23:00:01 GMT", at(2007, 2, 6, 3, 23, 0, 1) },
        { "Wed, 02 Jan 2002 10:00:00 GMT", at(2002, 1, 3, 2, 10, 0, 0) },
        { "Wednesday, 02 Jan 2002 10:00:00 GMT", at(2002, 1, 3, 2, 10, 0, 0) }, // Third form, four-digit year.
        { "Sun, 06 Nix 1994 08:49:37 GMT", std::nullopt }, // Unknown month.
        { "Xyz, 06 Nov 1994 08:49:37 GMT", std::nullopt }, // Unknown day.
        { "Sun, 06 Nov 1994 08:49", std::nullopt }, // Missing tokens.
        { "Sun,", std::nullopt }, // Shorter than 6.
        { "", std::nullopt },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto parsed = parseHttpDate(c.text);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value());
        if (parsed) {
            EXPECT_EQ(*parsed, *c.expected);
        }
    }
}

TEST(HttpDate, FormatsInUtc)
{
    // 2 January 2002 10:00:00 UTC, a Wednesday.
    EXPECT_EQ(formatHttpDate(1009965600), "Wed, 02 Jan 2002 10:00:00 GMT");
    EXPECT_EQ(formatHttpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
    auto back = parseHttpDate(formatHttpDate(1009965600));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, at(2002, 1, 3, 2, 10, 0, 0));
}

} // namespace
} // namespace pc::web
