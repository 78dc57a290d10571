#pragma once

// File: gui/pocket/tree_icons.h
// The small pictures of the messenger trees, drawn rather than loaded: a
// dot whose colour follows the tree's image index.

#include <QIcon>

namespace gui::handheld {

// Image 0 is a contact online; higher indexes are the away-like states; a
// negative index is offline.
QIcon contactIcon(int image);

} // namespace gui::handheld
