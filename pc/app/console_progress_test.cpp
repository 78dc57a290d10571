#include "pc/app/console_progress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace pc::app {
namespace {

// An upload of 20 blocks of 5 % each writes ten lines, not twenty.
TEST(ConsoleProgress, WritesOneLinePerTenthPassed)
{
    std::ostringstream out;
    ConsoleProgress progress(out);
    progress.openProgress();
    for (int percent = 5; percent <= 100; percent += 5)
        progress.setProgress(percent);
    progress.closeProgress();
    std::string expected;
    for (int tenth = 10; tenth <= 100; tenth += 10)
        expected += "진행 " + std::to_string(tenth) + "%\n";
    EXPECT_EQ(out.str(), expected);
}

TEST(ConsoleProgress, JumpsWriteTheTenthReachedAndStepsCount)
{
    std::ostringstream out;
    ConsoleProgress progress(out);
    progress.openProgress();
    progress.setProgress(3);
    progress.setProgress(37); // Several tenths at once: one line.
    progress.setProgress(30); // Back below a written tenth: nothing.
    progress.setProgress(250); // More than announced arrived.
    EXPECT_EQ(out.str(), "진행 30%\n진행 100%\n");
    progress.closeProgress();

    // A search steps once per listed file, then sets 100.
    out.str("");
    progress.openProgress();
    for (int i = 0; i < 12; ++i)
        progress.stepProgress();
    progress.setProgress(100);
    progress.closeProgress();
    EXPECT_EQ(out.str(), "진행 10%\n진행 100%\n");
}

} // namespace
} // namespace pc::app
