#pragma once

// File: gui/pocket/mypc_tree_items.h
// A My PC tree model (pocket::mypc::MyPcTree) drawn into a QTreeWidget: the
// My PC view and the mail composer's attachment chooser draw the same kind
// of tree. Each widget item keeps a pointer to its model item, valid until
// the tree is drawn again. GUI thread only.

#include "pocket/mypc/mypc_tree.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace gui::handheld {

// Clears the widget and draws every item of the model, expanded as the
// model says; the widget's signals are blocked meanwhile.
void drawMyPcTree(QTreeWidget& widget, const ::pocket::mypc::MyPcTree& tree);

// The model item a widget item was drawn from, or null.
::pocket::mypc::TreeItem* modelItem(const QTreeWidgetItem* item);

} // namespace gui::handheld
