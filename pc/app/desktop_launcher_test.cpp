#include "pc/app/desktop_launcher.h"

#include "platform/process.h"

#include <gtest/gtest.h>

namespace pc::app {
namespace {

TEST(ShellQuote, EveryTextComesBackFromTheShellUnchanged)
{
    // File names from the log dialog go through /bin/sh; none may run code.
    const std::string texts[] = {
        "plain.txt",
        "with space.txt",
        "it's.txt",
        "$(touch pwned).txt",
        "`id`;rm -rf x",
        "\"quoted\" \\ back",
        "로그 2026.txt",
        "",
    };
    for (const auto& text : texts) {
        SCOPED_TRACE(text);
        auto result = platform::runProcess({ "/bin/sh", "-c", "printf %s " + shellQuote(text) });
        ASSERT_TRUE(result);
        EXPECT_EQ(result->output, text);
    }
}

TEST(FindOnPath, FindsTheFirstProgramThatExists)
{
    EXPECT_EQ(findOnPath({ "no-such-program-quillon" }), "");
    std::string sh = findOnPath({ "no-such-program-quillon", "sh" });
    ASSERT_FALSE(sh.empty());
    EXPECT_EQ(sh.substr(sh.size() - 3), "/sh");
}

} // namespace
} // namespace pc::app
