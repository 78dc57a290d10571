#pragma once

// File: gui/pocket/qt_icq_tree.h
// The ICQ view of the main dialog: the contact tree (control 1003) with the
// status line in its header, the tap-and-hold menus "ICQ" and "ICQUSER", and
// the message windows. pocket::icq::IcqMessenger decides what they show and
// what the commands do. GUI thread only.

#include "pocket/icq/contact_tree.h"
#include "pocket/icq/icq_messenger.h"
#include "pocket/icq/icq_session.h"
#include "pocket/icq/message_windows.h"

#include <QObject>

#include <functional>
#include <map>

class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace gui::handheld {

class QtIcqTree final : public QObject,
                        public ::pocket::icq::IcqPageView,
                        public ::pocket::icq::SessionStatusView,
                        public ::pocket::icq::ContactTreeView,
                        public ::pocket::icq::MessageWindowHost {
public:
    explicit QtIcqTree(QTreeWidget& tree);
    void setMessenger(::pocket::icq::IcqMessenger* messenger) { m_messenger = messenger; }
    // The account the connect command uses, read when it runs.
    std::function<std::pair<std::string, std::string>()> account;
    // After "펜 메세지": the carriage may have opened its editor.
    std::function<void()> penOpened;

    // IcqPageView.
    void setStatusLine(std::string_view text) override;
    void setOwnStatusBitmap(int) override { }
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

    QMenu* buildMenu(QWidget* parent);
    void runCommand(int command);

private:
    QTreeWidgetItem* root(::pocket::icq::TreeGroup group) const;
    // The number of the selected contact, or "" when none is selected.
    std::string selectedNumber() const;

    QTreeWidget& m_tree;
    ::pocket::icq::IcqMessenger* m_messenger = nullptr;
    std::map<int, QTreeWidgetItem*> m_items;
};

} // namespace gui::handheld
