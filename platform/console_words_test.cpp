#include "platform/console_words.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(ConsoleWordsTest, SplitsAtBlanksAndKeepsQuotedBlanks)
{
    struct Case {
        std::string_view line;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        { "option SEVER_IP\t127.0.0.1", { "option", "SEVER_IP", "127.0.0.1" } },
        { "put \"My Documents\\a b.txt\"", { "put", "My Documents\\a b.txt" } },
        { "login kim \"\"", { "login", "kim", "" } },
        { "stop\r\n", { "stop" } },
        { "a\"b c\"d", { "ab cd" } },
        { " \t ", {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitCommandWords(c.line), c.words) << c.line;
}

TEST(ConsoleWordsTest, BlankWordsKeepTheRestInTheLastWord)
{
    EXPECT_EQ(splitBlankWords("  send\tkim@x.org  hello there "),
        (std::vector<std::string> { "send", "kim@x.org", "hello", "there" }));
    EXPECT_EQ(splitBlankWords("  send kim@x.org  hello there ", 3),
        (std::vector<std::string> { "send", "kim@x.org", "hello there " }));
    EXPECT_EQ(splitBlankWords("say \"a b\"", 1), (std::vector<std::string> { "say \"a b\"" }));
    EXPECT_TRUE(splitBlankWords(" \t ", 2).empty());
}

} // namespace
} // namespace platform
