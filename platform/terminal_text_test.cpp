#include "platform/terminal_text.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(TerminalSafe, EscapesControlCharactersAndKeepsLetters)
{
    struct Case {
        std::string_view text;
        std::string_view printed;
    };
    using namespace std::string_view_literals;
    const Case cases[] = {
        { "report.txt", "report.txt" },
        { "보고서 (1).hwp", "보고서 (1).hwp" },
        { "a\tb", "a\\tb" },
        { "line\r\nnext", "line\\r\\nnext" },
        { "\x1b[2Jcleared", "\\x1B[2Jcleared" },
        { "nul\0end"sv, "nul\\x00end" },
        { "del\x7f", "del\\x7F" },
        // C1 controls in UTF-8 (U+009B is a CSI on some terminals); U+00A0 is not one.
        { "c1\xc2\x9b" "2J", "c1\\xC2\\x9B2J" },
        { "nbsp\xc2\xa0", "nbsp\xc2\xa0" },
        { "cut\xc2", "cut\xc2" },
        { "back\\slash", "back\\slash" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(terminalSafe(c.text), c.printed);
    }
    EXPECT_EQ(terminalSafe("To : kim\nTitle : \x1b]0;x\x07", true), "To : kim\nTitle : \\x1B]0;x\\x07");
}

} // namespace
} // namespace platform
