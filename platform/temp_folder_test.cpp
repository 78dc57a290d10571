#include "platform/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace platform {
namespace {

TEST(TempFolder, IsPrivateAndGoesWithEverythingInIt)
{
    std::filesystem::path kept;
    {
        auto folder = TempFolder::create("quillon-temp-test");
        ASSERT_TRUE(folder) << describe(folder.error());
        kept = folder->path();
        struct stat info {};
        ASSERT_EQ(::stat(kept.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        std::filesystem::create_directories(kept / "a" / "b");
        std::ofstream(kept / "a" / "b" / "c.txt") << "c";
        TempFolder moved = std::move(*folder);
        EXPECT_EQ(moved.path(), kept);
        EXPECT_TRUE(folder->path().empty());
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST(TempFolder, ReleasedFolderStays)
{
    TempFolder folder("quillon-temp-test");
    ASSERT_FALSE(folder.path().empty());
    std::filesystem::path kept = folder.release();
    EXPECT_TRUE(folder.path().empty());
    EXPECT_TRUE(std::filesystem::is_directory(kept));
    std::filesystem::remove_all(kept);
}

} // namespace
} // namespace platform
