#include "platform/codec/quoted_printable.h"

#include <gtest/gtest.h>

namespace platform::codec {
namespace {

struct Case {
    std::string_view name;
    std::string_view input;
    std::string_view expected;
};

TEST(QuotedPrintable, DecodesBodiesLeniently)
{
    const Case cases[] = {
        { "plain text is copied", "hello world\r\n", "hello world\r\n" },
        { "hex escapes in either case", "=C7=D1=b1=b9", "\xC7\xD1\xB1\xB9" },
        { "soft line break vanishes", "long=\r\nline", "longline" },
        { "soft break with bare LF", "long=\nline", "longline" },
        { "equals before non-hex drops the equals", "a=ZZb", "aZZb" },
        { "one hex digit and a letter", "a=4Gb", "a4Gb" },
        { "equals with one character left ends", "abc=4", "abc" },
        { "equals at the very end ends", "abc=", "abc" },
        { "escaped equals sign", "1+1=3D2", "1+1=2" },
        { "underscore stays in bodies", "a_b", "a_b" },
        { "empty", "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeQuotedPrintable(c.input), c.expected);
    }
}

TEST(QuotedPrintable, DecodesQEncodedWords)
{
    const Case cases[] = {
        { "underscore is a space", "Hello_World", "Hello World" },
        { "hex escapes", "=ED=95=9C", "\xED\x95\x9C" },
        { "escaped underscore stays", "a=5Fb", "a_b" },
        { "broken escape is copied", "a=Gb", "a=Gb" },
        { "trailing equals is copied", "ab=", "ab=" },
        { "escape at the very end", "ab=41", "abA" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeQEncoding(c.input), c.expected);
    }
}

TEST(QuotedPrintable, DecodesEveryByteValue)
{
    std::string encoded;
    std::string expected;
    const char* hex = "0123456789ABCDEF";
    for (int i = 0; i < 256; ++i) {
        encoded += '=';
        encoded += hex[i / 16];
        encoded += hex[i % 16];
        expected.push_back(static_cast<char>(i));
    }
    EXPECT_EQ(decodeQuotedPrintable(encoded), expected);
    EXPECT_EQ(decodeQEncoding(encoded), expected);
}

} // namespace
} // namespace platform::codec
