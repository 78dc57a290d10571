#include "platform/console_ui.h"
#include "platform/testing/fake_ui.h"

#include <gtest/gtest.h>
#include <sstream>

namespace platform {
namespace {

TEST(ConsoleUi, PrintsMessageBoxesAsTitledLines)
{
    std::istringstream in;
    std::ostringstream out;
    ConsoleUi ui(in, out);
    ui.messageBox("Quillon", "Quillon is already running!", Icon::Warning);
    ui.messageBox("MSN", "두 줄\n메시지", Icon::Information);
    EXPECT_EQ(out.str(), "[Quillon] Quillon is already running!\n[MSN] 두 줄\n메시지\n");
}

TEST(ConsoleUi, ReadsAnswersAndAsksAgainForOnesNotOffered)
{
    std::istringstream in("maybe\nyes\n  CANCEL \nn\n");
    std::ostringstream out;
    ConsoleUi ui(in, out);
    // "yes" is no answer to OK/Cancel: asked again, then cancelled.
    EXPECT_EQ(ui.question("Quillon", "설정하시겠습니까?", Buttons::OkCancel), Answer::Cancel);
    EXPECT_EQ(ui.question("Quillon", "삭제?", Buttons::YesNo), Answer::No);
    EXPECT_EQ(out.str(), "[Quillon] 설정하시겠습니까?\n? ok/cancel\n? ok/cancel\n? ok/cancel\n[Quillon] 삭제?\n? yes/no\n");
}

TEST(ConsoleUi, EndOfInputAnswersAsADismissedDialog)
{
    std::istringstream in;
    std::ostringstream out;
    ConsoleUi ui(in, out);
    EXPECT_EQ(ui.question("T", "q", Buttons::YesNo), Answer::No);
    EXPECT_EQ(ui.question("T", "q", Buttons::YesNoCancel), Answer::Cancel);
    EXPECT_EQ(ui.question("T", "q", Buttons::Ok), Answer::Ok);
}

TEST(ConsoleUi, ParsesAnswersByNameOrFirstLetter)
{
    struct Case {
        const char* typed;
        Buttons buttons;
        std::optional<Answer> expected;
    };
    const Case cases[] = {
        { "yes", Buttons::YesNo, Answer::Yes },
        { "Y", Buttons::YesNoCancel, Answer::Yes },
        { "o", Buttons::OkCancel, Answer::Ok },
        { "c\r", Buttons::YesNoCancel, Answer::Cancel },
        { "no", Buttons::OkCancel, std::nullopt },
        { "", Buttons::Ok, std::nullopt },
        { "yess", Buttons::YesNo, std::nullopt },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(parseAnswer(c.typed, c.buttons), c.expected);
    }
}

TEST(FakeUi, RecordsCallsAndAnswersFromTheScript)
{
    testing::FakeUi ui;
    ui.pushAnswer(Answer::Yes);
    ui.messageBox("Quillon", "선택된 설정이 없습니다", Icon::Warning);
    EXPECT_EQ(ui.question("Quillon", "first", Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(ui.question("Quillon", "second", Buttons::OkCancel, Icon::Information), Answer::Cancel);
    auto calls = ui.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_FALSE(calls[0].isQuestion);
    EXPECT_EQ(calls[0].icon, Icon::Warning);
    EXPECT_EQ(calls[1].icon, Icon::Question);
    EXPECT_EQ(calls[2].icon, Icon::Information);
    EXPECT_EQ(ui.lastText(), "second");
    EXPECT_EQ(ui.unscriptedQuestions(), 1u);
}

} // namespace
} // namespace platform
