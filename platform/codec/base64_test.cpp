#include "platform/codec/base64.h"

#include <gtest/gtest.h>

#include <random>

namespace platform::codec {
namespace {

struct RoundTripCase {
    std::string_view plain;
    std::string_view encoded;
};

// RFC 4648 §10 test vectors.
const RoundTripCase kVectors[] = {
    { "", "" },
    { "f", "Zg==" },
    { "fo", "Zm8=" },
    { "foo", "Zm9v" },
    { "foob", "Zm9vYg==" },
    { "fooba", "Zm9vYmE=" },
    { "foobar", "Zm9vYmFy" },
};

TEST(Base64, EncodesAndDecodesRfcVectors)
{
    for (const auto& c : kVectors) {
        SCOPED_TRACE(c.plain);
        EXPECT_EQ(encodeBase64(c.plain), c.encoded);
        auto strict = decodeBase64Strict(c.encoded);
        ASSERT_TRUE(strict);
        EXPECT_EQ(*strict, c.plain);
        EXPECT_EQ(decodeBase64Lenient(c.encoded), c.plain);
    }
}

TEST(Base64, RoundTripsEveryByteValue)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    for (std::size_t length = 0; length <= all.size(); length += 37) {
        std::string part = all.substr(0, length);
        EXPECT_EQ(*decodeBase64Strict(encodeBase64(part)), part);
        EXPECT_EQ(decodeBase64Lenient(encodeBase64(part, Base64Lines::Mime)), part);
    }
}

TEST(Base64, StrictDecoderFollowsCredentialRules)
{
    struct Case {
        std::string_view name;
        std::string_view input;
        bool ok;
        std::string_view decoded;
    };
    const Case cases[] = {
        { "credentials", "dXNlcjpwYXNz", true, "user:pass" },
        { "padding anywhere is skipped", "Zm=9v", true, "foo" },
        { "top bit cleared (0xDA reads as Z)", "\xDAm9v", true, "foo" },
        { "space fails", "Zm9v Zm9v", false, "" },
        { "line break fails", "Zm9v\r\n", false, "" },
        { "url-safe alphabet fails", "Zm9-", false, "" },
        { "nul fails", std::string_view("Zm\0v", 4), false, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = decodeBase64Strict(c.input);
        ASSERT_EQ(result.hasValue(), c.ok);
        if (c.ok)
            EXPECT_EQ(*result, c.decoded);
        else
            EXPECT_EQ(result.error(), Base64Error::InvalidCharacter);
    }
}

TEST(Base64, LenientDecoderSkipsForeignCharacters)
{
    EXPECT_EQ(decodeBase64Lenient("Zm9v\r\nYmFy\r\n"), "foobar");
    EXPECT_EQ(decodeBase64Lenient(" Zm9v\tYg==\r\n"), "foob");
    EXPECT_EQ(decodeBase64Lenient("Zm9v!*Ym\xC3\xA9" "Fy"), "foobar");
    // High bytes are not folded into the alphabet here.
    EXPECT_EQ(decodeBase64Lenient("\xDAm9v"), decodeBase64Lenient("m9v"));
}

TEST(Base64, MimeLinesBreakAfter76Characters)
{
    std::string plain(57 * 2 + 1, 'x'); // Two full lines of 76 and one short one.
    std::string encoded = encodeBase64(plain, Base64Lines::Mime);
    ASSERT_EQ(encoded.size(), 76 + 2 + 76 + 2 + 4u);
    EXPECT_EQ(encoded.substr(76, 2), "\r\n");
    EXPECT_EQ(encoded.substr(154, 2), "\r\n");
    EXPECT_EQ(encoded.find("\r\n", 156), std::string::npos);

    // Exactly one full line: no trailing line break.
    std::string oneLine = encodeBase64(std::string(57, 'y'), Base64Lines::Mime);
    EXPECT_EQ(oneLine.size(), 76u);
    EXPECT_EQ(encodeBase64(plain).find('\r'), std::string::npos);
}

// The lenient decoder reads four characters per step where it can; it must
// give exactly what one character at a time gives, wherever foreign bytes,
// padding or truncation fall.
std::string decodeOneAtATime(std::string_view text)
{
    static const std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        auto value = alphabet.find(c);
        if (value == std::string_view::npos)
            continue;
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    return out;
}

TEST(Base64, LenientDecoderAgreesWithCharacterByCharacterDecoding)
{
    std::mt19937 random(2002);
    const std::string_view noise[] = { "\r\n", "=", " ", "\xC3\xA9", "!", "==\r\n" };
    for (int round = 0; round < 500; ++round) {
        std::string bytes(random() % 200, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random());
        std::string text = encodeBase64(bytes, round % 2 ? Base64Lines::Mime : Base64Lines::None);
        // Foreign bytes at random places, and sometimes a cut anywhere.
        for (int n = static_cast<int>(random() % 6); n > 0 && !text.empty(); --n)
            text.insert(random() % text.size(), noise[random() % std::size(noise)]);
        if (round % 3 == 0 && !text.empty())
            text.resize(random() % text.size());
        ASSERT_EQ(decodeBase64Lenient(text), decodeOneAtATime(text)) << text;
    }
}

} // namespace
} // namespace platform::codec
