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

} // namespace
} // namespace pocket::device
