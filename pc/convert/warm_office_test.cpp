#include "pc/convert/libreoffice.h"
#include "pc/convert/warm_office.h"

#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/stat.h>

namespace pc::convert {
namespace {

using namespace std::chrono_literals;

// Stand-in bridges: bash programs that speak the bridge's lines and, for
// each request, run `onConvert` with $target set (decoded), $dir the test
// folder. They leave LibreOffice out, so that the office's life cycle
// (hangs, deaths, restarts) is tested quickly and exactly.
class WarmOfficeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.path().empty());
        source = dir() / "in.doc";
        std::ofstream(source) << "a document";
    }

    std::filesystem::path dir() const { return folder.path(); }

    std::string standIn(const std::string& name, const std::string& onConvert, const std::string& onStart = "echo ready")
    {
        std::filesystem::path program = dir() / name;
        std::ofstream(program) << "#!/bin/bash\n"
                                  "dir='" + dir().string() + "'\n"
                                  "echo started >> \"$dir/" + name + ".starts\"\n"
                                  + onStart + "\n"
                                  "while IFS=$'\\t' read -r verb source target format; do\n"
                                  "  [ \"$verb\" = quit ] && exit 0\n"
                                  "  printf -v target '%b' \"${target//%/\\\\x}\"\n"
                                  "  " + onConvert + "\n"
                                  "done\n";
        ::chmod(program.c_str(), 0755);
        return program.string();
    }

    WarmOfficeConfig config(const std::string& bridge) const
    {
        WarmOfficeConfig made;
        made.bridge = { bridge };
        made.soffice = "soffice-is-not-started-by-a-stand-in";
        made.profileFolder = dir() / "profile";
        made.startTimeout = 10s;
        return made;
    }

    static bool isRunning(int pid)
    {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        return std::getline(stat, line) && line.rfind(')') + 2 < line.size() && line[line.rfind(')') + 2] != 'Z';
    }

    platform::TempFolder folder { "quillon-warm-test" };
    std::filesystem::path source;
};

constexpr const char* kWrites = "printf converted > \"$target\"; echo ok";

TEST_F(WarmOfficeTest, OneOfficeServesConversionAfterConversion)
{
    WarmOffice office(config(standIn("bridge", kWrites)));
    for (const char* name : { "a.htm", "b.htm", "c.htm" }) {
        auto converted = office.convert(source, dir() / name, "htm:HTML (StarWriter)", 5s);
        ASSERT_TRUE(converted) << platform::describe(converted.error());
    }
    EXPECT_TRUE(std::filesystem::exists(dir() / "c.htm"));
    EXPECT_EQ(office.startCount(), 1);
    // Sheet names come back as the bridge sends them.
    WarmOffice sheets(config(standIn("sheets", "echo $'ok\\tSheet1\\t%EC%8B%9C%ED%8A%B8'")));
    EXPECT_EQ(sheets.convert(source, dir() / "x.csv", "csv", 5s).value(),
        (std::vector<std::string> { "Sheet1", "시트" }));
}

TEST_F(WarmOfficeTest, AHungConversionIsEndedWithItsOfficeAndTheNextOneWorks)
{
    // The first conversion hangs in a program the bridge started (as
    // LibreOffice would); later ones work.
    std::string hangOnce = "if [ ! -e \"$dir/hung\" ]; then touch \"$dir/hung\"; sleep 600 & echo $! > \"$dir/sleeper\"; "
                           "wait; fi; " + std::string(kWrites);
    WarmOffice office(config(standIn("bridge", hangOnce)));
    auto hung = office.convert(source, dir() / "a.htm", "htm", 300ms);
    ASSERT_FALSE(hung);
    EXPECT_EQ(hung.error().code, platform::ErrorCode::Timeout);
    std::ifstream sleeperFile(dir() / "sleeper");
    int sleeper = 0;
    sleeperFile >> sleeper;
    ASSERT_GT(sleeper, 0);
    auto giveUp = std::chrono::steady_clock::now() + 10s;
    while (isRunning(sleeper) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(isRunning(sleeper)) << "the office's own programs end with it";
    // A new office was started at once and serves the next view.
    EXPECT_EQ(office.startCount(), 2);
    auto next = office.convert(source, dir() / "b.htm", "htm", 5s);
    ASSERT_TRUE(next) << platform::describe(next.error());
    EXPECT_EQ(office.startCount(), 2);
}

TEST_F(WarmOfficeTest, AnOfficeThatDiesIsStartedAgainAtTheNextConversion)
{
    // Dies during the first conversion; the second bridge works.
    std::string dieOnce
        = "if [ ! -e \"$dir/died\" ]; then touch \"$dir/died\"; exit 1; fi; " + std::string(kWrites);
    WarmOffice office(config(standIn("bridge", dieOnce)));
    auto died = office.convert(source, dir() / "a.htm", "htm", 5s);
    ASSERT_FALSE(died);
    EXPECT_EQ(died.error().code, platform::ErrorCode::Closed);
    ASSERT_TRUE(office.convert(source, dir() / "b.htm", "htm", 5s));
    EXPECT_EQ(office.startCount(), 2);

    // Dies while idle (after answering): the next conversion starts a new
    // one and is not failed for it.
    WarmOffice idle(config(standIn("idle", std::string(kWrites) + "; exit 0")));
    ASSERT_TRUE(idle.convert(source, dir() / "c.htm", "htm", 5s));
    int first = idle.bridgeProcess();
    auto giveUp = std::chrono::steady_clock::now() + 10s;
    while (isRunning(first) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(idle.convert(source, dir() / "d.htm", "htm", 5s));
    EXPECT_EQ(idle.startCount(), 2);

    // LibreOffice ended under a waiting bridge ("gone"): asked again of a
    // new one.
    std::string goneOnce = "if [ ! -e \"$dir/gone.marker\" ]; then touch \"$dir/gone.marker\"; echo gone; exit 0; fi; "
        + std::string(kWrites);
    WarmOffice gone(config(standIn("gone", goneOnce)));
    ASSERT_TRUE(gone.convert(source, dir() / "e.htm", "htm", 5s));
    EXPECT_EQ(gone.startCount(), 2);
}

TEST_F(WarmOfficeTest, RefusedDocumentsFailWithTheBridgesReason)
{
    WarmOffice office(config(standIn("bridge", "echo $'fail\\tnot%20a%20document'")));
    auto refused = office.convert(source, dir() / "a.htm", "htm", 5s);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, platform::ErrorCode::Protocol);
    EXPECT_EQ(refused.error().context, "not a document");
    EXPECT_EQ(office.startCount(), 1); // The office stays.
}

TEST_F(WarmOfficeTest, AnOfficeThatCannotStartIsUnavailable)
{
    for (const auto& bridge : { standIn("nouno", kWrites, "echo $'fail\\tpython3-uno%20is%20not%20installed'; exit 1"),
             standIn("silent", kWrites, "exit 0"), (dir() / "no-such-bridge").string() }) {
        SCOPED_TRACE(bridge);
        WarmOffice office(config(bridge));
        auto converted = office.convert(source, dir() / "a.htm", "htm", 5s);
        ASSERT_FALSE(converted);
        EXPECT_EQ(converted.error().code, platform::ErrorCode::Unavailable);
    }
}

TEST_F(WarmOfficeTest, AWaitForTheStartLeavesASlowStartRunning)
{
    // Ready after a second: a shorter wait gives up, the start goes on and
    // the office it brings up serves the next conversion.
    WarmOffice slow(config(standIn("slow", kWrites, "sleep 1; echo ready")));
    auto early = slow.waitUntilReady(50ms);
    ASSERT_FALSE(early);
    EXPECT_EQ(early.error().code, platform::ErrorCode::Timeout);
    EXPECT_TRUE(slow.waitUntilReady(10s));
    ASSERT_TRUE(slow.convert(source, dir() / "a.htm", "htm", 5s));
    EXPECT_EQ(slow.startCount(), 1);

    // Past the start's own time the office counts as unavailable, whoever
    // waited for it, and is ended.
    auto never = config(standIn("never", kWrites, "sleep 600"));
    never.startTimeout = 300ms;
    WarmOffice stuck(never);
    EXPECT_EQ(stuck.waitUntilReady(50ms).error().code, platform::ErrorCode::Timeout);
    EXPECT_EQ(stuck.waitUntilReady(10s).error().code, platform::ErrorCode::Unavailable);
    EXPECT_EQ(stuck.bridgeProcess(), -1);
}

TEST_F(WarmOfficeTest, StopEndsARunningConversionAtOnce)
{
    WarmOffice office(config(standIn("bridge", "sleep 600")));
    ASSERT_TRUE(office.convert(source, dir() / "warm.htm", "htm", 50ms).error().code == platform::ErrorCode::Timeout);
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        office.stop();
    });
    auto started = std::chrono::steady_clock::now();
    auto stopped = office.convert(source, dir() / "a.htm", "htm", 60s);
    stopper.join();
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error().code, platform::ErrorCode::Closed);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
    EXPECT_EQ(office.bridgeProcess(), -1);
}

// The office suite as the converters use it: the warm office first, a cold
// soffice when the warm one cannot start, and the checks made before either.
class LibreOfficeFallbackTest : public WarmOfficeTest {
protected:
    LibreOfficeConfig officeConfig(const std::string& bridge)
    {
        // A cold stand-in that writes what `soffice --convert-to` would.
        std::filesystem::path cold = dir() / "soffice";
        std::ofstream(cold) << "#!/bin/bash\n"
                               "while [ $# -gt 1 ]; do case \"$1\" in --convert-to) format=$2;; --outdir) out=$2;; esac; shift; done\n"
                               "name=$(basename \"$1\"); printf cold > \"$out/${name%.*}.${format%%:*}\"\n"
                               "echo cold >> '" + dir().string() + "/cold.runs'\n";
        ::chmod(cold.c_str(), 0755);
        LibreOfficeConfig made;
        made.soffice = cold.string();
        made.profileFolder = dir() / "profile";
        made.bridge = { bridge };
        made.warmStartTimeout = 10s;
        return made;
    }
    static std::string read(const std::filesystem::path& file)
    {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(LibreOfficeFallbackTest, ColdConversionWhenTheWarmOfficeCannotStart)
{
    LibreOffice office(officeConfig(standIn("nouno", kWrites, "echo $'fail\\tno%20uno'; exit 1")));
    std::filesystem::create_directories(dir() / "out");
    auto written = office.convert(source, "htm:HTML (StarWriter)", "htm", dir() / "out");
    ASSERT_TRUE(written) << platform::describe(written.error());
    EXPECT_EQ(read(*written), "cold");

    LibreOffice warm(officeConfig(standIn("bridge", kWrites)));
    auto warmWritten = warm.convert(source, "htm:HTML (StarWriter)", "htm", dir() / "out");
    ASSERT_TRUE(warmWritten);
    EXPECT_EQ(read(*warmWritten), "converted");
    EXPECT_EQ(read(dir() / "cold.runs"), "cold\n");
}

TEST_F(LibreOfficeFallbackTest, EmptyAndOversizedDocumentsAreRefusedUntried)
{
    auto config = officeConfig(standIn("bridge", kWrites));
    config.maxDocumentBytes = 1000;
    LibreOffice office(config);
    std::ofstream(dir() / "empty.xls");
    std::ofstream(dir() / "big.doc") << std::string(1001, 'x');
    for (const char* name : { "empty.xls", "big.doc" }) {
        SCOPED_TRACE(name);
        auto refused = office.convert(dir() / name, "pdf", "pdf", dir());
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().code, platform::ErrorCode::Protocol);
    }
    EXPECT_FALSE(std::filesystem::exists(dir() / "bridge.starts"));
    EXPECT_FALSE(std::filesystem::exists(dir() / "cold.runs"));
}

TEST_F(LibreOfficeFallbackTest, TheDeadlineGrowsWithTheDocument)
{
    LibreOffice office(officeConfig("unused"));
    EXPECT_EQ(office.deadlineFor(1), 31s);
    EXPECT_EQ(office.deadlineFor(1024 * 1024), 31s);
    EXPECT_EQ(office.deadlineFor(1024 * 1024 + 1), 32s);
    EXPECT_EQ(office.deadlineFor(100u * 1024 * 1024), 130s);
}

} // namespace
} // namespace pc::convert
