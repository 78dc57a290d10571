#pragma once

// File: pocket/device/screen_fit.h
// How the emulated 240×320 handheld screen and the windows it opens sit on
// the desktop: the whole scale that fits the desktop's free area, and where
// a window the handheld opens goes (centred over the handheld, inside the desktop's free area).
// Toolkit-free arithmetic; the Qt layer measures and moves.

namespace pocket::device {

constexpr int kDeviceWidth = 240;
constexpr int kDeviceHeight = 320;
// Without --scale the handheld is drawn at most this many times larger.
constexpr int kMaxDefaultScale = 2;

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const ScreenRect&) const = default;
};

// The largest whole scale from 1 to `maxScale` at which the device screen
// and the window frame around it (`frameWidth`, `frameHeight`: title bar
// and borders) fit into `available`; 1 when none does.
int fittingScale(const ScreenRect& available, int maxScale = kMaxDefaultScale, int frameWidth = 0, int frameHeight = 0);

// A window of `width`×`height` centred over `over`, then moved (and, when
// larger, shrunk) so that it lies inside `available`.
ScreenRect placeOver(const ScreenRect& over, int width, int height, const ScreenRect& available);

} // namespace pocket::device
