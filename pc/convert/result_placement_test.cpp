#include "pc/convert/result_placement.h"

#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace pc::convert {
namespace {

class ResultPlacementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.path().empty());
        std::filesystem::create_directories(work());
        std::filesystem::create_directories(root());
    }
    std::filesystem::path work() const { return folder.path() / "work"; }
    std::filesystem::path root() const { return folder.path() / "root"; }
    static void write(const std::filesystem::path& file, const std::string& text)
    {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
    static std::string read(const std::filesystem::path& file)
    {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Only the results: no staging folder is left in the root.
    std::vector<std::string> rootEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    platform::TempFolder folder { "quillon-placement-test" };
};

TEST_F(ResultPlacementTest, AFolderReplacesTheOldOneWhole)
{
    write(root() / "slides/슬라이드1.jpg", "old 1");
    write(root() / "slides/슬라이드9.jpg", "old 9");
    write(work() / "new/슬라이드1.jpg", "new 1");
    write(work() / "new/슬라이드2.jpg", "new 2");
    ASSERT_TRUE(placeResult(work() / "new", root() / "slides"));
    EXPECT_EQ(read(root() / "slides/슬라이드1.jpg"), "new 1");
    EXPECT_EQ(read(root() / "slides/슬라이드2.jpg"), "new 2");
    EXPECT_FALSE(std::filesystem::exists(root() / "slides/슬라이드9.jpg"));
    EXPECT_EQ(rootEntries(), std::vector<std::string> { "slides" });
}

TEST_F(ResultPlacementTest, FilesAndFoldersTakeEachOthersPlace)
{
    write(work() / "page.htm", "new page");
    write(root() / "page.htm/inner", "a folder in the way");
    ASSERT_TRUE(placeResult(work() / "page.htm", root() / "page.htm"));
    EXPECT_EQ(read(root() / "page.htm"), "new page");

    write(work() / "pages/1.htm", "one");
    write(root() / "pages", "a file in the way");
    ASSERT_TRUE(placeResult(work() / "pages", root() / "pages"));
    EXPECT_EQ(read(root() / "pages/1.htm"), "one");
    EXPECT_EQ(rootEntries(), (std::vector<std::string> { "page.htm", "pages" }));
}

TEST_F(ResultPlacementTest, AFailedPlacementLeavesTheOldResult)
{
    write(root() / "report.htm", "old");
    EXPECT_FALSE(placeResult(work() / "missing.htm", root() / "report.htm"));
    EXPECT_EQ(read(root() / "report.htm"), "old");
    EXPECT_EQ(rootEntries(), std::vector<std::string> { "report.htm" });
}

} // namespace
} // namespace pc::convert
