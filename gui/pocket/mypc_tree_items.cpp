#include "gui/pocket/mypc_tree_items.h"

#include "gui/qt_string.h"

#include <QApplication>
#include <QStyle>
#include <QTreeWidget>

namespace gui::handheld {

namespace mypc = ::pocket::mypc;

namespace {

    QIcon iconOf(const mypc::TreeItem& item)
    {
        QStyle* style = QApplication::style();
        switch (item.image) {
        case mypc::TreeImage::Folder:
            return style->standardIcon(item.parent ? QStyle::SP_DirIcon : QStyle::SP_DriveHDIcon);
        case mypc::TreeImage::Executable:
            return style->standardIcon(QStyle::SP_ComputerIcon);
        default:
            return style->standardIcon(QStyle::SP_FileIcon);
        }
    }

    void addItem(QTreeWidget& widget, QTreeWidgetItem* parent, const mypc::TreeItem& item)
    {
        auto* widgetItem = parent ? new QTreeWidgetItem(parent, { toQString(item.text) })
                                  : new QTreeWidgetItem(&widget, { toQString(item.text) });
        widgetItem->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&item)));
        widgetItem->setIcon(0, iconOf(item));
        if (item.hasChildren || !item.children.empty())
            widgetItem->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        for (const auto& child : item.children)
            addItem(widget, widgetItem, *child);
        widgetItem->setExpanded(item.expanded && !item.children.empty());
    }

} // namespace

void drawMyPcTree(QTreeWidget& widget, const mypc::MyPcTree& tree)
{
    const QSignalBlocker block(widget);
    widget.clear();
    for (const auto& root : tree.roots())
        addItem(widget, nullptr, *root);
}

mypc::TreeItem* modelItem(const QTreeWidgetItem* item)
{
    return item ? reinterpret_cast<mypc::TreeItem*>(item->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

} // namespace gui::handheld
