#include "platform/result.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace platform {
namespace {

enum class ParseError { Empty, Bad };

Result<int, ParseError> parseDigit(std::string_view text)
{
    if (text.empty())
        return ParseError::Empty;
    if (text[0] < '0' || text[0] > '9')
        return unexpected(ParseError::Bad);
    return text[0] - '0';
}

Result<int, ParseError> doubled(std::string_view text)
{
    int digit = TRY(parseDigit(text));
    return digit * 2;
}

TEST(Result, CarriesValueOrError)
{
    EXPECT_EQ(*parseDigit("7"), 7);
    EXPECT_EQ(parseDigit("").error(), ParseError::Empty);
    EXPECT_EQ(parseDigit("x").error(), ParseError::Bad);
    EXPECT_EQ(parseDigit("x").valueOr(-1), -1);
}

TEST(Result, TryPassesErrorsUp)
{
    EXPECT_EQ(*doubled("4"), 8);
    EXPECT_EQ(doubled("q").error(), ParseError::Bad);
}

TEST(Result, ErrnoMapsToCodes)
{
    EXPECT_EQ(errorFromErrno("open x", ENOENT).code, ErrorCode::NotFound);
    EXPECT_EQ(errorFromErrno("open x", EACCES).code, ErrorCode::PermissionDenied);
    EXPECT_EQ(describe(errorFromErrno("open x", ENOENT)), "open x: No such file or directory");
}

} // namespace
} // namespace platform
