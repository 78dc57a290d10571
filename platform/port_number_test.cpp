#include "platform/port_number.h"

#include <gtest/gtest.h>

#include <utility>

namespace platform {
namespace {

TEST(PortNumber, TakesOneToFullRangeAndNothingElse)
{
    const std::pair<const char*, std::optional<std::uint16_t>> cases[] = {
        { "1", 1 },
        { "110", 110 },
        { "65535", 65535 },
        { "00110", 110 },
        { "0", std::nullopt },
        { "65536", std::nullopt },
        { "000110", std::nullopt }, // Six characters, whatever their value.
        { "", std::nullopt },
        { " 110", std::nullopt },
        { "110 ", std::nullopt },
        { "+110", std::nullopt },
        { "-1", std::nullopt },
        { "11x", std::nullopt },
        { "99999999999", std::nullopt },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parsePortNumber(text), expected) << '"' << text << '"';
}

} // namespace
} // namespace platform
