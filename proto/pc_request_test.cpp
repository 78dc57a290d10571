#include "proto/pc_request.h"

#include <gtest/gtest.h>

#include <vector>

using namespace std::string_literals;

namespace proto {
namespace {

TEST(PcRequest, FormatsGoldenBytes)
{
    EXPECT_EQ(formatPcRequest({12, 306, "C:\\"}), "0xx0:12 0xx1:306 0xx2:C:\\\0"s);
    EXPECT_EQ(formatPcRequest({0, 310, "id\npw"}), "0xx0:0 0xx1:310 0xx2:id\npw\0"s);
    EXPECT_EQ(formatPcRequest({-1, 328, ""}), "0xx0:-1 0xx1:328 0xx2:\0"s);
}

TEST(PcRequest, FormatCutsTheTextAtTheLimit)
{
    std::string text(2000, 'x');
    std::string wire = formatPcRequest({10, 329, text});
    ASSERT_EQ(wire.size(), kMaxRequestBytes);
    EXPECT_EQ(wire.back(), '\0');
    EXPECT_EQ(wire.substr(0, 22), "0xx0:10 0xx1:329 0xx2:");
    EXPECT_EQ(wire.find('\0'), kMaxRequestBytes - 1);

    // One byte below the limit stays whole.
    std::string fits(kMaxRequestBytes - 1 - 22, 'y');
    EXPECT_EQ(formatPcRequest({10, 329, fits}).size(), kMaxRequestBytes);
}

struct ParseCase {
    const char* name;
    std::string wire;
    bool ok;
    PcRequest expected;
    RequestError error;
};

TEST(PcRequest, ParsesTable)
{
    const std::vector<ParseCase> cases = {
        { "plain", "0xx0:12 0xx1:306 0xx2:C:\\", true, { 12, 306, "C:\\" }, {} },
        { "zero padding", "0xx0:12 0xx1:306 0xx2:C:\\" + std::string(1000, '\0'), true, { 12, 306, "C:\\" }, {} },
        { "spaces round numbers", "0xx0:  7  0xx1: 311 0xx2:192.168.0.2", true, { 7, 311, "192.168.0.2" }, {} },
        { "negative first", "0xx0:-3 0xx1:329 0xx2:a b", true, { -3, 329, "a b" }, {} },
        { "text with newlines", "0xx0:0 0xx1:307 0xx2:0\n10\nC:\n\nabc", true, { 0, 307, "0\n10\nC:\n\nabc" }, {} },
        { "empty text", "0xx0:0 0xx1:328 0xx2:", true, { 0, 328, "" }, {} },
        { "text holding a marker", "0xx0:1 0xx1:2 0xx2:0xx0:", true, { 1, 2, "0xx0:" }, {} },
        { "missing first", "0xx1:306 0xx2:C:\\", false, {}, RequestError::MissingMarker },
        { "missing text", "0xx0:1 0xx1:306", false, {}, RequestError::MissingMarker },
        { "out of order", "0xx1:306 0xx0:1 0xx2:C:\\", false, {}, RequestError::MissingMarker },
        { "text marker first", "0xx2:a 0xx0:1 0xx1:306 0xx2:b", false, {}, RequestError::MissingMarker },
        { "code marker in the text", "0xx0:1 0xx1:2 0xx2:a0xx1:b", true, { 1, 2, "a0xx1:b" }, {} },
        { "empty", "", false, {}, RequestError::MissingMarker },
        { "bad code", "0xx0:1 0xx1:abc 0xx2:x", false, {}, RequestError::BadNumber },
        { "empty first", "0xx0: 0xx1:306 0xx2:x", false, {}, RequestError::BadNumber },
        { "code overflow", "0xx0:1 0xx1:99999999999 0xx2:x", false, {}, RequestError::BadNumber },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto parsed = parsePcRequest(c.wire);
        ASSERT_EQ(parsed.hasValue(), c.ok);
        if (c.ok)
            EXPECT_EQ(*parsed, c.expected);
        else
            EXPECT_EQ(parsed.error(), c.error);
    }
}

std::vector<std::string> splitAll(const std::vector<std::string>& chunks)
{
    RequestSplitter splitter;
    std::vector<std::string> units;
    for (const auto& chunk : chunks) {
        splitter.feed(chunk);
        while (auto unit = splitter.next())
            units.push_back(*unit);
    }
    return units;
}

TEST(RequestSplitter, YieldsEachRequestOnceForEverySplit)
{
    const std::string stream = formatPcRequest({10, 306, "C:\\"}) + formatPcRequest({11, 307, "0\n5\nC:\n\nx"});
    const std::vector<std::string> expected = { "0xx0:10 0xx1:306 0xx2:C:\\", "0xx0:11 0xx1:307 0xx2:0\n5\nC:\n\nx" };
    EXPECT_EQ(splitAll({ stream }), expected);
    for (std::size_t at = 0; at <= stream.size(); ++at) {
        SCOPED_TRACE(at);
        EXPECT_EQ(splitAll({ stream.substr(0, at), stream.substr(at) }), expected);
    }
    std::vector<std::string> bytes;
    for (char c : stream)
        bytes.emplace_back(1, c);
    EXPECT_EQ(splitAll(bytes), expected);
}

TEST(RequestSplitter, SkipsZeroPaddingAndHoldsAPartialRequest)
{
    RequestSplitter splitter;
    splitter.feed("0xx0:1 0xx1:328 0xx2:"s + std::string(5, '\0') + "0xx0:2");
    EXPECT_EQ(splitter.next(), "0xx0:1 0xx1:328 0xx2:");
    EXPECT_EQ(splitter.next(), std::nullopt);
    EXPECT_EQ(splitter.buffered(), 6u);
}

TEST(RequestSplitter, CutsAnEndlessUnitAtTheLimit)
{
    RequestSplitter splitter;
    splitter.feed(std::string(kMaxRequestBytes + 10, 'a'));
    auto unit = splitter.next();
    ASSERT_TRUE(unit);
    EXPECT_EQ(unit->size(), kMaxRequestBytes);
    EXPECT_EQ(splitter.next(), std::nullopt);
    EXPECT_EQ(splitter.buffered(), 10u);
}

} // namespace
} // namespace proto
