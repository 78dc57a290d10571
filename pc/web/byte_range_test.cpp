#include "pc/web/byte_range.h"

#include <gtest/gtest.h>

namespace pc::web {
namespace {

using Kind = ByteRange::Kind;

struct Case {
    std::string_view name;
    std::string_view value;
    std::uint64_t size;
    ByteRange expected;
};

const Case kCases[] = {
    { "from to", "bytes=0-99", 1000, { Kind::Partial, 0, 99 } },
    { "open end", "bytes=500-", 1000, { Kind::Partial, 500, 999 } },
    { "last byte", "bytes=999-", 1000, { Kind::Partial, 999, 999 } },
    { "suffix", "bytes=-100", 1000, { Kind::Partial, 900, 999 } },
    { "suffix longer than the file", "bytes=-5000", 1000, { Kind::Partial, 0, 999 } },
    { "end past the file is cut", "bytes=10-5000", 1000, { Kind::Partial, 10, 999 } },
    { "spaces and case", " Bytes = 1 - 2 ", 1000, { Kind::Partial, 1, 2 } },
    { "start at the end", "bytes=1000-", 1000, { Kind::Unsatisfiable, 0, 0 } },
    { "start beyond the end", "bytes=2000-3000", 1000, { Kind::Unsatisfiable, 0, 0 } },
    { "zero suffix", "bytes=-0", 1000, { Kind::Unsatisfiable, 0, 0 } },
    { "empty file", "bytes=0-", 0, { Kind::Unsatisfiable, 0, 0 } },
    { "last before first", "bytes=500-100", 1000, {} },
    { "other unit", "items=0-1", 1000, {} },
    { "no equals", "bytes 0-1", 1000, {} },
    { "no dash", "bytes=5", 1000, {} },
    { "letters", "bytes=a-b", 1000, {} },
    { "negative", "bytes=--5", 1000, {} },
    { "two ranges", "bytes=0-1,5-6", 1000, {} },
    { "overlapping ranges", "bytes=0-500,400-", 1000, {} },
    { "only dash", "bytes=-", 1000, {} },
    { "empty", "", 1000, {} },
    { "digits at the limit", "bytes=0000000000000000001-", 1000, { Kind::Partial, 1, 999 } },
    { "digits over the limit", "bytes=00000000000000000001-", 1000, {} },
    { "overflowing number", "bytes=99999999999999999999-", 1000, {} },
};

TEST(ByteRange, ParsesTable)
{
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseByteRange(c.value, c.size), c.expected);
    }
}

TEST(ByteRange, ContentRangeValues)
{
    EXPECT_EQ(contentRangeValue({ Kind::Partial, 0, 99 }, 1234), "bytes 0-99/1234");
    EXPECT_EQ(contentRangeValue({ Kind::Unsatisfiable, 0, 0 }, 1234), "bytes */1234");
    EXPECT_EQ((ByteRange { Kind::Partial, 5, 5 }).length(), 1u);
}

} // namespace
} // namespace pc::web
