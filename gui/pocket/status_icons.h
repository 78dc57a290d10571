#pragma once

// File: gui/pocket/status_icons.h
// The small status pictures of the messenger pages, drawn rather than
// loaded, by the number of the bitmap they stand for: MSN's 150 to 154 (the
// tree's image list and the status picture beside the status line) and
// ICQ's 114 to 122 (the own status and the tree's pictures).

#include <QIcon>

namespace gui::handheld {

// The picture of a bitmap number; an empty icon for a number without one.
QIcon statusIcon(int bitmap);
// The pictures of the trees, by image index.
QIcon msnTreeIcon(int image);
QIcon icqTreeIcon(int image);

} // namespace gui::handheld
