#include "platform/drive_map.h"
#include "platform/temp_folder.h"

#include "platform/profile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace {

DriveMap sampleMap()
{
    DriveMap map;
    map.setDrive('d', "/home/kim/docs/");
    map.setDrive('E', "/home/kim/docs/deep");
    return map;
}

TEST(DriveMap, DrivePathsToLocalPaths)
{
    auto map = sampleMap();
    struct Case {
        const char* drivePath;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        { "C:\\a\\b.txt", "/a/b.txt" },
        { "c:/a/b.txt", "/a/b.txt" },
        { "C:\\", "/" },
        { "C:", "/" },
        { "C:\\dir\\", "/dir" },
        { "D:\\report.hwp", "/home/kim/docs/report.hwp" },
        { "D:\\a\\..\\b", "/home/kim/docs/b" },
        { "D:\\..\\secret", std::nullopt }, // Climbs out of its drive.
        { "C:\\..", std::nullopt },
        { "F:\\x", std::nullopt }, // No such drive.
        { "\\no\\drive", std::nullopt },
        { "1:\\x", std::nullopt },
        { "C:\\한글\\파일.txt", "/한글/파일.txt" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.drivePath);
        EXPECT_EQ(map.toLocal(c.drivePath), c.expected);
    }
}

TEST(DriveMap, LocalPathsToDrivePathsUseTheLongestFolder)
{
    auto map = sampleMap();
    struct Case {
        const char* localPath;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        { "/a/b.txt", "C:\\a\\b.txt" },
        { "/", "C:\\" },
        { "/home/kim/docs", "D:\\" },
        { "/home/kim/docs/x/y", "D:\\x\\y" },
        { "/home/kim/docs/deep/z", "E:\\z" },
        { "/home/kim/docsother", "C:\\home\\kim\\docsother" }, // Not inside D.
        { "/home/kim/docs/deep/../w", "D:\\w" },
        { "relative/path", std::nullopt },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.localPath);
        EXPECT_EQ(map.toDrivePath(c.localPath), c.expected);
    }
}

TEST(DriveMap, DrivesComeFromTheProfile)
{
    TempFolder temp("drive_map_test");
    ASSERT_FALSE(temp.path().empty());
    std::filesystem::path folder = temp.path();
    Profile profile(folder / "Quillon.ini");
    ASSERT_TRUE(profile.writeString("Drives", "E:", "/media/usb"));
    ASSERT_TRUE(profile.writeString("Drives", "c", "/srv/root"));
    ASSERT_TRUE(profile.writeString("Drives", "bad", "/x"));
    ASSERT_TRUE(profile.writeString("Drives", "F", "relative"));
    auto map = DriveMap::fromProfile(profile);
    EXPECT_EQ(map.drives(), (std::vector<Drive> { { 'C', "/srv/root" }, { 'E', "/media/usb" } }));
}

TEST(FileAttributes, HiddenAndSystemAsThisSystemHasThem)
{
    TempFolder temp("attributes_test");
    ASSERT_FALSE(temp.path().empty());
    std::string folder = temp.path().string();
    std::ofstream(folder + "/.hidden") << "x";
    std::ofstream(folder + "/plain") << "x";
    ASSERT_EQ(mkfifo((folder + "/fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("nowhere", (folder + "/dangling").c_str()), 0);

    auto hidden = fileAttributes(folder + "/.hidden");
    ASSERT_TRUE(hidden);
    EXPECT_TRUE(hidden->hidden);
    EXPECT_FALSE(hidden->system);
    auto plain = fileAttributes(folder + "/plain");
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->hidden || plain->system || plain->temporary || plain->directory);
    auto fifo = fileAttributes(folder + "/fifo");
    ASSERT_TRUE(fifo);
    EXPECT_TRUE(fifo->system);
    auto dangling = fileAttributes(folder + "/dangling");
    ASSERT_TRUE(dangling);
    EXPECT_TRUE(dangling->system);
    auto directory = fileAttributes(folder);
    ASSERT_TRUE(directory);
    EXPECT_TRUE(directory->directory);
    EXPECT_FALSE(directory->system);
    EXPECT_EQ(fileAttributes(folder + "/missing").error().code, ErrorCode::NotFound);
}

} // namespace
} // namespace platform
