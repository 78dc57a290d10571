#include "pocket/icq/message_charset.h"

#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace pocket::icq {
namespace {

    using namespace std::string_literals;

    TEST(MessageCharset, LocalTextReadsInTheFirstCodePageThatTakesEveryByte)
    {
        const std::string korean = "안녕하세요";
        const std::string cp949 = platform::fromUtf8(korean, "CP949");
        struct Case {
            std::string_view name;
            std::string bytes;
            std::string_view codePage;
            std::string expected;
        };
        const Case cases[] = {
            { "ascii", "hello", "UTF-8", "hello" },
            { "utf-8 at a utf-8 handheld", korean, "UTF-8", korean },
            { "cp949 at a cp949 handheld", cp949, "CP949", korean },
            { "cp949 at a utf-8 handheld", cp949, "UTF-8", korean },
            { "utf-8 at a cp949 handheld", korean, "CP949", korean },
            { "latin-1 when nothing else reads", "caf\xE9", "UTF-8", "café" },
            { "latin-1 at a cp949 handheld", "caf\xE9", "CP949", "café" },
            { "an unknown code page", cp949, "no-such-code-page", korean },
            { "empty", "", "CP949", "" },
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(decodeLocalText(c.bytes, c.codePage), c.expected);
        }
    }

    TEST(MessageCharset, MessageTextEndsAtItsTerminatorInItsCharset)
    {
        const std::string ucs2 = platform::fromUtf8("유니코드 😀", "UTF-16BE");
        EXPECT_EQ(decodeMessageText(ucs2, kCharsetUcs2, "CP949"), "유니코드 😀");
        // The terminator is a zero unit; a zero byte inside a unit is text.
        EXPECT_EQ(decodeMessageText("\x00"
                                    "A\x01\x00\x00\x00"
                                    "B"s,
                      kCharsetUcs2, "UTF-8"),
            "A\xC4\x80");
        // An odd last byte is no unit.
        EXPECT_EQ(decodeMessageText("\x00"
                                    "A\x00"s,
                      kCharsetUcs2, "UTF-8"),
            "A");
        EXPECT_EQ(decodeMessageText("plain\0rest"s, kCharsetAscii, "UTF-8"), "plain");
        EXPECT_EQ(decodeMessageText(platform::fromUtf8("완성형", "CP949") + '\0', kCharsetLocal, "UTF-8"),
            "완성형");
    }

} // namespace
} // namespace pocket::icq
