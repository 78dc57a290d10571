#include "pc/mail/pop3_answer.h"

#include <gtest/gtest.h>

#include <optional>

namespace pc::mail {
namespace {

TEST(Pop3Answer, SingleLineCheckFailsOnlyOnExactErr)
{
    EXPECT_TRUE(passesSingleLineCheck("+OK ready\r\n"));
    EXPECT_TRUE(passesSingleLineCheck("+ok\r\n"));
    EXPECT_TRUE(passesSingleLineCheck("-err lower case\r\n"));
    EXPECT_TRUE(passesSingleLineCheck("garbage"));
    EXPECT_TRUE(passesSingleLineCheck("-ER"));
    EXPECT_FALSE(passesSingleLineCheck("-ERR\r\n"));
    EXPECT_FALSE(passesSingleLineCheck("-ERR no such user\r\n"));
}

TEST(Pop3Answer, StatCountIsTheFirstNumber)
{
    const std::pair<std::string_view, int> cases[] = {
        { "+OK 3 1200\r\n", 3 },
        { "+OK 0 0\r\n", 0 },
        { "+OK\r\n", -1 },
        { "+OK mailbox has 12 messages\r\n", 12 },
        { "+OK 99999999999 1\r\n", -1 },
        { "", -1 },
    };
    for (const auto& [answer, count] : cases) {
        SCOPED_TRACE(answer);
        EXPECT_EQ(parseStatCount(answer), count);
    }
}

TEST(Pop3Answer, UidlListsSecondTokensInOrder)
{
    using Uids = std::vector<std::string>;
    const std::pair<std::string_view, Uids> cases[] = {
        { "+OK\r\n.\r\n", {} },
        { "+OK 2 messages\r\n1 a1\r\n2 b2\r\n.\r\n", { "a1", "b2" } },
        { "+OK\r\n1 x.y.z\r\n2 .dot\r\n.\r\n", { "x.y.z", ".dot" } },
        { "+OK\r\n1\t  tabbed  \r\n.\r\n", { "tabbed" } },
        { "+OK\r\n1 a\r\n.\r\n2 after-end\r\n", { "a" } },
        { "+OK no line end", {} },
    };
    for (const auto& [answer, uids] : cases) {
        SCOPED_TRACE(answer);
        EXPECT_EQ(parseUidlAnswer(answer), uids);
    }
}

TEST(Pop3Answer, ListGivesSizesByMessageNumber)
{
    using Sizes = std::map<int, std::int64_t>;
    const std::pair<std::string_view, Sizes> cases[] = {
        { "+OK\r\n.\r\n", {} },
        { "+OK 2 messages\r\n1 120\r\n2 70000000\r\n.\r\n", { { 1, 120 }, { 2, 70000000 } } },
        { "+OK\r\n1 x\r\n2\r\n-3 9\r\n4 9y\r\n5 9\r\n.\r\n6 1\r\n", { { 5, 9 } } },
        { "+OK\r\n3 8589934592\r\n.\r\n", { { 3, 8589934592 } } },
        { "+OK no line end", {} },
    };
    for (const auto& [answer, sizes] : cases) {
        SCOPED_TRACE(answer);
        EXPECT_EQ(parseListAnswer(answer), sizes);
    }
}

// Feeds `wire` cut at every offset and returns the outcome of the feed that
// decided it (or Truncated when none did).
void expectSameOutcomeForAllSplits(std::string_view wire, std::optional<MultiLineError> expected,
    std::size_t limit = kDefaultMaxAnswerBytes)
{
    for (std::size_t cut = 0; cut <= wire.size(); ++cut) {
        SCOPED_TRACE(cut);
        MultiLineAnswer answer(limit);
        std::optional<MultiLineError> outcome = MultiLineError::Truncated;
        bool done = false;
        for (auto piece : { wire.substr(0, cut), wire.substr(cut) }) {
            if (done || piece.empty())
                continue;
            auto progress = answer.feed(piece);
            if (!progress) {
                outcome = progress.error();
                done = true;
            } else if (*progress == MultiLineAnswer::Progress::Complete) {
                outcome = std::nullopt;
                done = true;
            }
        }
        EXPECT_EQ(outcome, expected);
        if (!expected) {
            EXPECT_EQ(answer.text(), wire);
        }
    }
}

TEST(Pop3Answer, MultiLineAssemblyAtEverySplit)
{
    expectSameOutcomeForAllSplits("+OK\r\n.\r\n", std::nullopt);
    expectSameOutcomeForAllSplits("+OK\r\nA sentence.\r\nmore\r\n.\r\n", std::nullopt);
    expectSameOutcomeForAllSplits("-ERR no such message\r\n", MultiLineError::ErrAnswer);
    expectSameOutcomeForAllSplits("-err lower\r\n", MultiLineError::ErrAnswer);
    expectSameOutcomeForAllSplits("+OK\r\nno end\r\n", MultiLineError::Truncated);
}

TEST(Pop3Answer, MultiLineAssemblyByteByByte)
{
    std::string wire = "+OK\r\n1 a\r\n..x\r\n.\r\n";
    MultiLineAnswer answer;
    for (std::size_t i = 0; i < wire.size(); ++i) {
        auto progress = answer.feed(wire.substr(i, 1));
        ASSERT_TRUE(progress);
        EXPECT_EQ(*progress == MultiLineAnswer::Progress::Complete, i + 1 == wire.size());
    }
}

TEST(Pop3Answer, MultiLineLimitIsInclusive)
{
    std::string wire = "+OK\r\nxyz\r\n.\r\n";
    expectSameOutcomeForAllSplits(wire, std::nullopt, wire.size());
    expectSameOutcomeForAllSplits(wire, MultiLineError::TooLarge, wire.size() - 1);
}

TEST(Pop3Answer, ClosedConnectionIsTruncatedUnlessErr)
{
    MultiLineAnswer answer;
    ASSERT_TRUE(answer.feed("+OK\r\nhalf"));
    EXPECT_EQ(answer.closed(), MultiLineError::Truncated);
    MultiLineAnswer err;
    ASSERT_TRUE(err.feed("-ERR no"));
    EXPECT_EQ(err.closed(), MultiLineError::ErrAnswer);
}

} // namespace
} // namespace pc::mail
