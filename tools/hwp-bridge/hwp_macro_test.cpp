#include "tools/hwp-bridge/hwp_macro.h"

#include <gtest/gtest.h>

namespace tools::hwp_bridge {
namespace {

std::string describe(const MacroCall& call)
{
    std::string text = call.name + ":";
    for (const auto& argument : call.arguments)
        text += argument.quoted ? "[\"" + argument.text + "\"]" : "[" + argument.text + "]";
    return text;
}

TEST(MacroParser, ReadsCallsAsThePcSendsThem)
{
    struct Case {
        std::string command;
        std::string parsed; // Empty: refused.
    } cases[] = {
        { "FXGetVersion", "GetVersion:" },
        { "FXGetVersion()", "GetVersion:" },
        { "FXSetServiceName(\"a\",\"a\",text)", "SetServiceName:[\"a\"][\"a\"][text]" },
        { "FXOpenDocument(\"한글 문서 뷰어\",\"/d/x\\a, b.hwp\",,\"clientedit\",,,,0,)",
            "OpenDocument:[\"한글 문서 뷰어\"][\"/d/x\\a, b.hwp\"][][\"clientedit\"][][][][0][]" },
        { "FXCreatePageImage(7,\"/r/m/m0.gif\",0,90,100)",
            "CreatePageImage:[7][\"/r/m/m0.gif\"][0][90][100]" },
        { "FXQuit( )", "Quit:" },
        { "FX", "" },
        { "GetVersion", "" },
        { "FXOpen(\"unclosed)", "" },
        { "FXOpen(\"a\"b)", "" },
        { "FXOpen(a", "" },
        { "FXOpen(a) trailing", "" },
        { "FXBad Name(a)", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        auto call = parseMacroCommand(c.command);
        if (c.parsed.empty()) {
            EXPECT_FALSE(call);
            continue;
        }
        ASSERT_TRUE(call);
        EXPECT_EQ(describe(*call), c.parsed);
    }
}

TEST(MacroParser, NumbersAreBareDecimals)
{
    EXPECT_EQ((MacroArgument { "90", false }.number()), 90);
    EXPECT_EQ((MacroArgument { "-1", false }.number()), -1);
    EXPECT_FALSE((MacroArgument { "90", true }.number()));
    EXPECT_FALSE((MacroArgument { "9x", false }.number()));
    EXPECT_FALSE((MacroArgument { "", false }.number()));
    EXPECT_FALSE((MacroArgument { "99999999999999999999", false }.number()));
}

} // namespace
} // namespace tools::hwp_bridge
