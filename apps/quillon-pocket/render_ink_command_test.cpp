// Runs the real quillon-pocket binary on ink files and checks the PNG it
// writes and the message it prints.

#include "pocket/ink/testing/sample_ink.h"
#include "pocket/ink/testing/temp_folder.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

using pocket::ink::testing::kSampleInk;

struct Outcome {
    int status = -1;
    std::string errorText;
};

class RenderInkCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_dir.empty()); }

    fs::path put(std::string_view bytes)
    {
        const auto path = m_dir / "message.ink";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    Outcome render(const fs::path& ink, const fs::path& png)
    {
        const std::string binary = QUILLON_POCKET_BINARY;
        const std::string errors = (m_dir / "stderr.txt").string();
        std::vector<std::string> args { binary, "--render-ink", ink.string(), png.string() };
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        Outcome run;
        if (posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            waitpid(pid, &status, 0);
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        std::ifstream in(errors);
        run.errorText.assign(std::istreambuf_iterator<char>(in), {});
        return run;
    }

    pocket::ink::testing::TempFolder m_folder;
    const fs::path& m_dir = m_folder.path();
};

TEST_F(RenderInkCommandTest, DrawsTheSampleIntoAPng)
{
    const auto png = m_dir / "out.png";
    const auto run = render(put(kSampleInk), png);
    ASSERT_EQ(run.status, 0) << run.errorText;
    QImage image(QString::fromStdString(png.string()));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(240, 240));
    EXPECT_EQ(image.pixel(10, 30), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(55, 115), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(100, 200), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(200, 60), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(10, 200), qRgb(255, 255, 255));
}

TEST_F(RenderInkCommandTest, DamagedFilesPrintTheMessageAndFail)
{
    struct Case {
        std::string_view name;
        std::string_view bytes;
        std::string_view message;
    };
    const Case cases[] = {
        { "no g", kSampleInk.substr(0, 12), "[Quillon] Invalid end of Message File..\n" },
        { "thickness y", "eyy\x00\x01\x00\x19" "fg"sv, "[Quillon] Thickness data was damaged!\n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto png = m_dir / "damaged.png";
        const auto run = render(put(c.bytes), png);
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(run.errorText, c.message);
        EXPECT_FALSE(fs::exists(png));
    }
}

} // namespace
