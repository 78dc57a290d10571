#include "pocket/device/screen_fit.h"

#include <gtest/gtest.h>

namespace pocket::device {
namespace {

TEST(ScreenFit, DefaultScaleIsTheLargestWholeScaleThatFits)
{
    // A 1600×900 desktop less a 30-pixel panel: 640 + a 40-pixel frame fits
    // at 2, not at 3 (960 is taller than 870).
    const ScreenRect desktop { 0, 30, 1600, 870 };
    EXPECT_EQ(fittingScale(desktop, 2, 0, 40), 2);
    EXPECT_EQ(fittingScale(desktop, 3, 0, 40), 2);
    EXPECT_EQ(fittingScale({ 0, 0, 1920, 1200 }, 3, 0, 40), 3);
    // Exactly fitting counts; one pixel less does not.
    EXPECT_EQ(fittingScale({ 0, 0, 480, 680 }, 2, 0, 40), 2);
    EXPECT_EQ(fittingScale({ 0, 0, 480, 679 }, 2, 0, 40), 1);
    EXPECT_EQ(fittingScale({ 0, 0, 479, 2000 }, 2), 1);
    // Nothing fits: still drawn, at 1.
    EXPECT_EQ(fittingScale({ 0, 0, 200, 200 }, 2), 1);
}

TEST(ScreenFit, WindowsGoCentredOverTheHandheldAndStayOnTheDesktop)
{
    const ScreenRect desktop { 0, 0, 1600, 900 };
    const ScreenRect handheld { 500, 100, 480, 640 };
    EXPECT_EQ(placeOver(handheld, 300, 200, desktop), (ScreenRect { 590, 320, 300, 200 }));
    // A handheld at the desktop's edge: the window is pushed back inside.
    EXPECT_EQ(placeOver({ 1400, 700, 480, 640 }, 400, 300, desktop), (ScreenRect { 1200, 600, 400, 300 }));
    EXPECT_EQ(placeOver({ -200, -100, 480, 640 }, 400, 300, desktop), (ScreenRect { 0, 70, 400, 300 }));
    // Larger than the desktop: shrunk to it.
    EXPECT_EQ(placeOver(handheld, 2000, 1000, { 10, 20, 1600, 900 }), (ScreenRect { 10, 20, 1600, 900 }));
}

} // namespace
} // namespace pocket::device
