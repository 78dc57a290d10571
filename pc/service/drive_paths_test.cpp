#include "pc/service/drive_paths.h"

#include <gtest/gtest.h>

namespace pc::service {
namespace {

TEST(DrivePaths, TranslatesBothWaysAndListsDrives)
{
    platform::DriveMap drives;
    drives.setDrive('C', "/");
    drives.setDrive('D', "/srv/data");
    DrivePaths paths(drives);
    EXPECT_EQ(paths.driveList(), "C:D:\\\\");
    EXPECT_EQ(paths.toLocal("C:\\etc\\hosts"), std::filesystem::path("/etc/hosts"));
    EXPECT_EQ(paths.toLocal("D:\\reports\\\\"), std::filesystem::path("/srv/data/reports"));
    EXPECT_EQ(paths.toLocal("Q:\\x"), std::nullopt);
    EXPECT_EQ(paths.toLocal("D:\\..\\..\\etc"), std::nullopt);
    EXPECT_EQ(paths.toPc("/srv/data/a.txt"), "D:\\a.txt");
    EXPECT_EQ(paths.toPc("/etc/hosts"), "C:\\etc\\hosts");
}

} // namespace
} // namespace pc::service
