#include "pc/service/download_stage.h"

#include "platform/files.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>

namespace pc::service {
namespace {

namespace fs = std::filesystem;

class DownloadStageTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_home / "disk"); }

    fs::path write(const std::string& name, const std::string& content)
    {
        fs::path file = m_home / "disk" / name;
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }
    static std::string read(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static ino_t inodeOf(const fs::path& file)
    {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
    }
    fs::path staged(const std::string& name) const { return m_folder / name; }

    platform::TempFolder m_temp { "download_stage_test" };
    fs::path m_home = m_temp.path();
    fs::path m_folder = m_home / "pda_Download";
    DownloadStage m_stage { m_folder };
};

// A hard link is the user's file under a second name. Whatever later writes
// under that name in the download folder replaces the link and leaves the
// user's file as it was.
TEST_F(DownloadStageTest, LinkedFileNeverLetsALaterWriteReachTheOriginal)
{
    fs::path original = write("report.txt", "the user's words");
    ::chmod(original.c_str(), 0640);
    auto first = m_stage.stage(original, "report.txt");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->kind, DownloadStage::Kind::Link);
    EXPECT_EQ(first->size, 16u);
    EXPECT_EQ(inodeOf(staged("report.txt")), inodeOf(original));

    // Another file of the same name is staged over it.
    ASSERT_TRUE(m_stage.stage(write("other.txt", "another file"), "report.txt"));
    EXPECT_EQ(read(staged("report.txt")), "another file");
    EXPECT_EQ(read(original), "the user's words");

    // The program's own writers replace rather than write through.
    ASSERT_TRUE(m_stage.stage(original, "report.txt"));
    ASSERT_TRUE(platform::writeFileAtomically(staged("report.txt"), "replaced"));
    EXPECT_EQ(read(original), "the user's words");
    ASSERT_TRUE(m_stage.stage(original, "report.txt"));
    ASSERT_TRUE(platform::copyFileReplacing(write("x", "copied over"), staged("report.txt")));
    EXPECT_EQ(read(original), "the user's words");

    // Taking it out removes the name only, and never touched the mode.
    ASSERT_TRUE(m_stage.stage(original, "report.txt"));
    m_stage.clearStaged();
    EXPECT_FALSE(fs::exists(staged("report.txt")));
    EXPECT_EQ(read(original), "the user's words");
    EXPECT_EQ(fs::status(original).permissions() & fs::perms::all,
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(DownloadStageTest, ServedGetRemovesTheFileOtherAnswersKeepIt)
{
    m_stage.setLinksAllowed(false);
    auto copy = m_stage.stage(write("big.bin", std::string(5000, 'b')), "big.bin");
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->kind, DownloadStage::Kind::Copy);
    EXPECT_EQ(copy->size, 5000u);

    // A HEAD, or a GET that was not answered with the file, keeps it.
    m_stage.serve(staged("big.bin"), [] { return false; });
    EXPECT_TRUE(fs::exists(staged("big.bin")));
    // A file outside the stage is never removed.
    fs::path outside = write("keep.txt", "k");
    m_stage.serve(outside, [] { return true; });
    EXPECT_TRUE(fs::exists(outside));

    // The answer opens the file; the name goes once it is answered.
    std::string sent;
    m_stage.serve(staged("big.bin"), [&] {
        sent = read(staged("big.bin"));
        return true;
    });
    EXPECT_EQ(sent.size(), 5000u);
    EXPECT_FALSE(fs::exists(staged("big.bin")));
    EXPECT_EQ(m_stage.stagedCount(), 0u);
}

TEST_F(DownloadStageTest, StagedCopiesOfOneSourceKeepItsDate)
{
    // The web server names a version by the file's date: the same source
    // staged twice is the same version, whether linked or copied.
    fs::path source = write("movie.bin", std::string(3000, 'm'));
    const timespec old[2] = { { 1000000000, 0 }, { 1000000000, 123456789 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), old, 0), 0);
    for (bool links : { false, true }) {
        SCOPED_TRACE(links ? "link" : "copy");
        m_stage.setLinksAllowed(links);
        ASSERT_TRUE(m_stage.stage(source, "movie.bin"));
        struct stat info {};
        ASSERT_EQ(::stat(staged("movie.bin").c_str(), &info), 0);
        EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
        EXPECT_EQ(info.st_mtim.tv_nsec, 123456789);
    }
}

TEST_F(DownloadStageTest, NeverHoldsMoreThanItsLimitAndClearsLeftovers)
{
    m_stage.setLinksAllowed(false);
    for (std::size_t i = 0; i < DownloadStage::kMaxEntries + 2; ++i)
        ASSERT_TRUE(m_stage.stage(write("f" + std::to_string(i), "x"), "f" + std::to_string(i)));
    EXPECT_EQ(m_stage.stagedCount(), DownloadStage::kMaxEntries);
    EXPECT_FALSE(fs::exists(staged("f0")));
    EXPECT_FALSE(fs::exists(staged("f1")));
    EXPECT_TRUE(fs::exists(staged("f2")));

    // A folder, or a source that is none, is not staged.
    EXPECT_FALSE(m_stage.stage(m_home / "disk", "disk"));
    EXPECT_FALSE(m_stage.stage(m_home / "missing", "missing"));

    std::ofstream(m_folder / "left-by-an-earlier-run") << "old";
    m_stage.clearFolder();
    EXPECT_TRUE(fs::is_empty(m_folder));
}

} // namespace
} // namespace pc::service
