#pragma once

// File: gui/pocket/item_view_keys.h
// The keyboard of the handheld's trees and lists, for a user without a pen:
// Enter opens the current row (what a double tap does), and the menu key or
// Shift+F10 opens the row's tap-and-hold menu, at the row, through the
// view's own context-menu handler. GUI thread only.
//
//     addOpenKey(tree, [this] { openCurrent(); });
//     addMenuKeys(tree);

#include <QtCore/qnamespace.h>

#include <functional>

class QAbstractItemView;

namespace gui::handheld {

// Enter and Return on a current row call `open`; without a current row the
// key goes on as before.
void addOpenKey(QAbstractItemView& view, std::function<void()> open);

// The menu key and Shift+F10 send the view a keyboard context-menu request
// at its current row (at its top corner without one). The request the
// desktop itself makes for the menu key is dropped, so one menu opens.
void addMenuKeys(QAbstractItemView& view);

// Whether a key press opens a context menu (the menu key, Shift+F10).
bool isMenuKey(int key, Qt::KeyboardModifiers modifiers);

} // namespace gui::handheld
