#pragma once

// File: gui/pocket/qt_icq_tree.h
// The ICQ view of the main dialog: the contact tree (control 1003) with the
// status line in its header, the tap-and-hold menus "ICQ" and "ICQUSER", and
// the message windows, and the dialogs of the page's commands. The core's
// IcqMessenger decides what they show; the commands go to the Handheld core
// and its table of the page's commands. GUI thread only.

#include "pocket/icq/contact_tree.h"
#include "pocket/icq/icq_messenger.h"
#include "pocket/icq/icq_page.h"
#include "pocket/icq/icq_session.h"
#include "pocket/icq/message_windows.h"

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

class QtIcqTree final : public QObject,
                        public ::pocket::icq::IcqPageView,
                        public ::pocket::icq::SessionStatusView,
                        public ::pocket::icq::ContactTreeView,
                        public ::pocket::icq::MessageWindowHost,
                        public ::pocket::icq::IcqPageDialogs {
public:
    explicit QtIcqTree(QTreeWidget& tree);
    // The core whose messenger the tree draws and whose commands it runs.
    void attach(::pocket::app::Handheld& handheld) { m_handheld = &handheld; }

    // IcqPageView.
    void setStatusLine(std::string_view text) override;
    // The own-status picture, in the tree's header beside the status line.
    void setOwnStatusBitmap(int bitmap) override;
    int ownStatusBitmap() const { return m_ownStatusBitmap; }
    // SessionStatusView: the sign-on steps show in the same line.
    void setStatusText(std::string_view text) override { setStatusLine(text); }
    // ContactTreeView.
    void resetRoots() override;
    void setPlaceholder(::pocket::icq::TreeGroup group, bool shown) override;
    void insertItem(::pocket::icq::TreeGroup group, int item, std::string_view label, int image) override;
    void updateItem(int item, std::string_view label, int image) override;
    void removeItem(int item) override;
    // MessageWindowHost.
    std::unique_ptr<::pocket::icq::MessageWindowView> createMessageWindow(int slot) override;
    // IcqPageDialogs.
    std::optional<std::string> askContactNumber() override;
    std::optional<::pocket::icq::BroadcastRequest> askBroadcast(const ::pocket::icq::ContactList& contacts) override;
    void showContactInfo(const ::pocket::icq::ContactInfo& info) override;

    QMenu* buildMenu(QWidget* parent);
    void runCommand(int command);

private:
    QTreeWidgetItem* root(::pocket::icq::TreeGroup group) const;
    // The number of the selected contact, or "" when none is selected.
    std::string selectedNumber() const;

    ::pocket::icq::IcqMessenger* messenger() const;

    QTreeWidget& m_tree;
    ::pocket::app::Handheld* m_handheld = nullptr;
    std::map<int, QTreeWidgetItem*> m_items;
    int m_ownStatusBitmap = 0;
};

} // namespace gui::handheld
