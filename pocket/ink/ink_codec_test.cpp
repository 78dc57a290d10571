#include "pocket/ink/ink_codec.h"

#include "pocket/ink/testing/sample_ink.h"

#include <gtest/gtest.h>

#include <random>

namespace pocket::ink {
namespace {

using namespace std::string_view_literals;
using testing::kSampleInk;

TEST(InkCodec, WritesTheSampleByteForByte)
{
    const auto bytes = encodeInk(testing::sampleInkMessage());
    EXPECT_EQ(bytes.size(), 13u);
    EXPECT_EQ(bytes, kSampleInk);
}

TEST(InkCodec, ReadsTheSample)
{
    auto message = decodeInk(kSampleInk);
    ASSERT_TRUE(message);
    EXPECT_EQ(*message, testing::sampleInkMessage());
}

TEST(InkCodec, ReadsOrRefusesTable)
{
    struct Case {
        std::string_view name;
        std::string_view bytes;
        bool ok;
        std::size_t items;
    };
    const Case cases[] = {
        { "g alone", "g"sv, true, 0 },
        { "padding after g", "gabc\x01"sv, true, 0 },
        { "chunk padding after the sample", "\x65\x71\x79\x00\x0A\x00\x1E\x01\x00\x02\x00\x66\x67hhhh"sv, true, 6 },
        { "empty file", ""sv, false, 0 },
        { "no g", kSampleInk.substr(0, 12), false, 0 },
        { "tokens only, no g", "eqyf"sv, false, 0 },
        { "point cut after one byte", "eqy\x00"sv, false, 0 },
        { "point cut after two bytes", "eqy\x00\x0A"sv, false, 0 },
        { "point cut after three bytes", "eqy\x00\x0A\x00"sv, false, 0 },
        { "g inside a point is a coordinate", "\x00g\x00\x01g"sv, true, 1 },
        { "unknown tokens are kept", "\x82\xFFg"sv, true, 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = decodeInk(c.bytes);
        ASSERT_EQ(result.hasValue(), c.ok);
        if (c.ok)
            EXPECT_EQ(result->size(), c.items);
        else
            EXPECT_EQ(result.error(), ReadError::InvalidEnd);
    }
}

TEST(InkCodec, ReadErrorTexts)
{
    EXPECT_EQ(readErrorText(ReadError::Missing), "The Message does not exist..");
    EXPECT_EQ(readErrorText(ReadError::InvalidEnd), "Invalid end of Message File..");
}

TEST(InkCodec, ClosesOpenStrokesWithoutDroppingTheirLastPoint)
{
    InkMessage message;
    for (auto token : { InkToken::LineStart, InkToken::Thickness3, InkToken::Black })
        message.append(token);
    message.append(InkPoint { 10, 30 });
    message.append(InkPoint { 11, 31 }); // The pen left without a pen-up.
    for (auto token : { InkToken::LineStart, InkToken::Thickness1, InkToken::Red })
        message.append(token);
    message.append(InkPoint { 50, 60 }); // Still open when the message ends.

    EXPECT_EQ(encodeInk(message),
        "eqy\x00\x0A\x00\x1E\x00\x0B\x00\x1F"
        "f"
        "eo{\x00\x32\x00\x3C"
        "fg"sv);
}

TEST(InkCodec, EmptyMessageIsTheEndByteAlone)
{
    EXPECT_EQ(encodeInk(InkMessage {}), "g");
}

TEST(InkCodec, OutOfRangeCoordinatesNeverBecomeTokens)
{
    InkMessage message;
    message.append(InkPoint { -5, 12345 });
    const auto bytes = encodeInk(message);
    ASSERT_EQ(bytes.size(), 6u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_LT(static_cast<unsigned char>(bytes[i]), kFirstTokenByte);
}

// Random byte strings over an alphabet rich in tokens and point bytes. The
// same bytes placed before a tail that would complete them ("\0\0\0g") must
// give the same result: a reader that looked past its input would differ.
TEST(InkCodec, NeverReadsPastTheInput)
{
    std::mt19937 random(7);
    const std::string alphabet = std::string("efgoqsuyz{|}~\x7F\x80\x81\x82\x68") + std::string("\x00\x01\x02\x0A\x63", 5);
    for (int round = 0; round < 20000; ++round) {
        std::string input(random() % 40, '\0');
        for (auto& c : input)
            c = alphabet[random() % alphabet.size()];
        std::string padded = input + std::string("\0\0\0g", 4);
        auto exact = decodeInk(input);
        auto bounded = decodeInk(std::string_view(padded.data(), input.size()));
        ASSERT_EQ(exact.hasValue(), bounded.hasValue()) << round;
        if (exact)
            ASSERT_EQ(*exact, *bounded);
        else
            ASSERT_EQ(exact.error(), ReadError::InvalidEnd);
    }
}

} // namespace
} // namespace pocket::ink
