#pragma once

// File: gui/pocket/qt_msn_tree.h
// The MSN view of the main dialog: the contact tree (control 1002) with its
// status line in the header, and the tap-and-hold menus "MSN" and "MSNUSER".
// The core's MsnPage decides what the tree shows; the menu commands go to
// the Handheld core. GUI thread only.

#include "pocket/msn/msn_page.h"

#include <QObject>

#include <functional>
#include <map>

class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace pocket::app {
class Handheld;
}

namespace gui::handheld {

class QtMsnTree final : public QObject, public ::pocket::msn::MsnPageView {
public:
    explicit QtMsnTree(QTreeWidget& tree);
    // The core whose session the menus look at and whose commands they run.
    void attach(::pocket::app::Handheld& handheld) { m_handheld = &handheld; }

    // StatusLine.
    void setStatusLine(std::string_view text) override;
    // MsnPageView.
    void resetTree() override;
    void removePlaceholders() override;
    ::pocket::msn::TreeItem insertItem(
        ::pocket::msn::TreeRoot root, std::string_view text, int image) override;
    void updateItem(::pocket::msn::TreeItem item, std::string_view text, int image) override;
    void deleteItem(::pocket::msn::TreeItem item) override;
    // The status picture beside the status line, in the tree's header.
    void setStatusBitmap(int bitmap) override;
    int statusBitmap() const { return m_statusBitmap; }
    ::pocket::msn::TreeItem selectedItem() const override;
    std::optional<std::string> askText(const ::pocket::msn::TextRequest& request) override;
    void showContactInfo(const ::pocket::msn::ContactInfo& info) override;

    // The tap-and-hold menu for the selected item ("MSNUSER" on a contact,
    // else "MSN").
    QMenu* buildMenu(QWidget* parent);
    void runCommand(int command);

private:
    QTreeWidgetItem* root(::pocket::msn::TreeRoot which) const;

    QTreeWidget& m_tree;
    ::pocket::app::Handheld* m_handheld = nullptr;
    std::map<::pocket::msn::TreeItem, QTreeWidgetItem*> m_items;
    ::pocket::msn::TreeItem m_nextItem = 1;
    int m_statusBitmap = 0;
};

} // namespace gui::handheld
