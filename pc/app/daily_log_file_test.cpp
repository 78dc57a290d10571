#include "pc/app/console_log.h"
#include "pc/app/daily_log_file.h"

#include "platform/files.h"
#include "platform/testing/manual_clock.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace pc::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

class DailyLogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("quillon-daily-log-" + std::to_string(::getpid())) / "boxes" / "log";
        fs::remove_all(m_folder.parent_path().parent_path());
    }
    void TearDown() override { fs::remove_all(m_folder.parent_path().parent_path()); }

    std::string fileText(const platform::LocalTime& day)
    {
        auto text = platform::readWholeFile(m_folder / DailyLogFile::fileNameFor(day));
        return text ? *text : "(missing)";
    }

    fs::path m_folder;
};

TEST_F(DailyLogFileTest, CopiesEveryEntryIntoTheFileOfItsDayAndKeepsItPrivate)
{
    platform::testing::ManualClock clock(platform::WallTime(sys_days(2026y / 3 / 9) + 12h));
    std::ostringstream shown;
    ConsoleLog pane(clock, shown);
    DailyLogFile log(pane, clock, m_folder);
    auto first = platform::toLocalTime(clock.now());
    const std::string stamp = formatLogStamp(first);

    log.append("PC 서버를 시작합니다..\n", LogSink::kStamped);
    log.append("failed", LogSink::kPlain);
    log.append("never", 7);
    EXPECT_EQ(shown.str(), stamp + "PC 서버를 시작합니다..\n" + "failed\n");
    EXPECT_EQ(log.text(), pane.text());
    EXPECT_EQ(fileText(first), stamp + "PC 서버를 시작합니다..\n" + "failed\n");
    struct stat status {};
    ASSERT_EQ(::stat((m_folder / DailyLogFile::fileNameFor(first)).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    // Clearing the pane keeps the file; the next day writes a file of its own.
    log.clear();
    EXPECT_FALSE(log.hasText());
    clock.setNow(clock.now() + 24h);
    auto second = platform::toLocalTime(clock.now());
    log.append("next day\n", LogSink::kStamped);
    EXPECT_EQ(fileText(first), stamp + "PC 서버를 시작합니다..\n" + "failed\n");
    EXPECT_EQ(fileText(second), formatLogStamp(second) + "next day\n");
    EXPECT_EQ(DailyLogFile::fileNameFor(platform::LocalTime { 2026, 3, 10 }), "quillon-2026-03-10.txt");
}

TEST_F(DailyLogFileTest, AnUnwritableFolderCostsTheCopyNotTheEntry)
{
    // A file where the folder should be: nothing can be written below it.
    fs::create_directories(m_folder.parent_path());
    ASSERT_TRUE(platform::writeFileAtomically(m_folder, "not a folder"));
    platform::testing::ManualClock clock;
    std::ostringstream shown;
    ConsoleLog pane(clock, shown);
    DailyLogFile log(pane, clock, m_folder);
    log.append("still shown\n", LogSink::kStamped);
    EXPECT_EQ(shown.str(), formatLogStamp(platform::toLocalTime(clock.now())) + "still shown\n");
}

} // namespace
} // namespace pc::app
