#include "pocket/device/screen_fit.h"

#include <algorithm>

namespace pocket::device {

namespace {

// The start of a span of `length` inside [low, low + room), as near to
// `wanted` as it goes.
int clampSpan(int wanted, int length, int low, int room)
{
    return std::max(low, std::min(wanted, low + room - length));
}

} // namespace

int fittingScale(const ScreenRect& available, int maxScale, int frameWidth, int frameHeight)
{
    for (int scale = maxScale; scale > 1; --scale) {
        if (kDeviceWidth * scale + frameWidth <= available.width && kDeviceHeight * scale + frameHeight <= available.height)
            return scale;
    }
    return 1;
}

ScreenRect placeOver(const ScreenRect& over, int width, int height, const ScreenRect& available)
{
    ScreenRect placed;
    placed.width = std::min(width, available.width);
    placed.height = std::min(height, available.height);
    placed.x = clampSpan(over.x + (over.width - placed.width) / 2, placed.width, available.x, available.width);
    placed.y = clampSpan(over.y + (over.height - placed.height) / 2, placed.height, available.y, available.height);
    return placed;
}

} // namespace pocket::device
