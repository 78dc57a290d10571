#pragma once

// File: gui/pocket/screen_rescaler.h
// Redraws what lies on the handheld's screen at a new scale without making
// it anew, so that what the user typed, chose or scrolled stays. Widgets are
// made once at the screen's scale; when the scale changes, this goes through
// every widget under a root and scales what the program gave in screen
// pixels: the places of widgets the program placed itself, explicit font
// sizes, fixed and limited sizes, layout margins and spacing, tree
// indentation, icon sizes and column widths, and the check box style. Each
// length is remembered in device pixels on its widget, so that many small
// steps (a window dragged larger) do not gather rounding errors; a length
// something else changed since is read anew. Widgets that Qt places (inside
// combo boxes, spin boxes and scroll areas) and widgets under a layout follow
// their parents. Other windows are left alone, but for the fonts of pop-up
// menus. Scroll positions are kept as a share of their range. GUI thread only.

#include "gui/pocket/pocket_screen.h"

class QWidget;

namespace gui::handheld {

// Takes `root` and what lies in it from the scale `from` to the scale `to`.
// The root keeps its place; a root window keeps only its size limits in step.
void rescaleScreen(QWidget& root, const PocketScreen& from, const PocketScreen& to);

} // namespace gui::handheld
