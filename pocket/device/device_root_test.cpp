#include "pocket/device/device_root.h"

#include <gtest/gtest.h>

namespace pocket::device {
namespace {

TEST(DeviceRoot, KeepsHandheldPathsInsideTheRoot)
{
    DeviceRoot device("/d");
    EXPECT_EQ(device.toLocal("\\Program Files\\Quillon\\x"), "/d/Program Files/Quillon/x");
    EXPECT_EQ(device.toLocal("\\..\\..\\etc\\passwd"), "/d/etc/passwd");
    EXPECT_EQ(device.toLocal("a/./b"), "/d/a/b");
}

TEST(SafeComponent, KeepsNamesInsideTheirFolder)
{
    EXPECT_EQ(safeComponent("abc123"), "abc123");
    EXPECT_EQ(safeComponent("../x"), ".._x");
    EXPECT_EQ(safeComponent("a\\b/c"), "a_b_c");
    EXPECT_EQ(safeComponent(".."), "_");
    EXPECT_EQ(safeComponent(""), "_");
}

} // namespace
} // namespace pocket::device
