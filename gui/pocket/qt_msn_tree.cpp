#include "gui/pocket/qt_msn_tree.h"

#include "gui/pocket/item_view_keys.h"
#include "gui/pocket/qt_messenger_dialogs.h"
#include "gui/pocket/status_icons.h"
#include "gui/qt_string.h"
#include "pocket/app/handheld.h"

#include <QHeaderView>
#include <QMenu>
#include <QTreeWidget>

namespace gui::handheld {

namespace msn = ::pocket::msn;

QtMsnTree::QtMsnTree(QTreeWidget& tree)
    : m_tree(tree)
{
    m_tree.setHeaderHidden(false);
    m_tree.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_tree, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QTreeWidgetItem* item = m_tree.itemAt(at))
            m_tree.setCurrentItem(item);
        QMenu* menu = buildMenu(&m_tree);
        menu->exec(m_tree.viewport()->mapToGlobal(at));
        menu->deleteLater();
    });
    addMenuKeys(m_tree);
}

void QtMsnTree::setStatusLine(std::string_view text)
{
    m_tree.setHeaderLabel(toQString(text));
    // Drawn at once: a connection attempt holds the window thread, and the
    // "Connecting.." line would otherwise never show.
    m_tree.header()->viewport()->repaint();
}

QTreeWidgetItem* QtMsnTree::root(msn::TreeRoot which) const
{
    return m_tree.topLevelItem(which == msn::TreeRoot::Online ? 0 : 1);
}

void QtMsnTree::resetTree()
{
    m_tree.clear();
    m_items.clear();
    for (auto text : { msn::page_text::kOnlineRoot, msn::page_text::kOfflineRoot }) {
        auto* top = new QTreeWidgetItem(&m_tree, { toQString(text) });
        new QTreeWidgetItem(top, { toQString(msn::page_text::kPlaceholder) });
        top->setExpanded(true);
    }
}

void QtMsnTree::removePlaceholders()
{
    for (int i = 0; i < m_tree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = m_tree.topLevelItem(i);
        for (int child = top->childCount() - 1; child >= 0; --child) {
            if (top->child(child)->text(0) == toQString(msn::page_text::kPlaceholder))
                delete top->takeChild(child);
        }
    }
}

msn::TreeItem QtMsnTree::insertItem(msn::TreeRoot which, std::string_view text, int image)
{
    QTreeWidgetItem* parent = root(which);
    if (!parent)
        return 0;
    auto* item = new QTreeWidgetItem(parent, { toQString(text) });
    item->setIcon(0, msnTreeIcon(image));
    const msn::TreeItem id = m_nextItem++;
    m_items[id] = item;
    return id;
}

void QtMsnTree::updateItem(msn::TreeItem id, std::string_view text, int image)
{
    auto found = m_items.find(id);
    if (found == m_items.end())
        return;
    found->second->setText(0, toQString(text));
    found->second->setIcon(0, msnTreeIcon(image));
}

void QtMsnTree::deleteItem(msn::TreeItem id)
{
    auto found = m_items.find(id);
    if (found == m_items.end())
        return;
    delete found->second;
    m_items.erase(found);
}

msn::TreeItem QtMsnTree::selectedItem() const
{
    const QTreeWidgetItem* current = m_tree.currentItem();
    for (const auto& [id, item] : m_items) {
        if (item == current)
            return id;
    }
    return 0;
}

void QtMsnTree::setStatusBitmap(int bitmap)
{
    m_statusBitmap = bitmap;
    m_tree.headerItem()->setIcon(0, statusIcon(bitmap));
}

std::optional<std::string> QtMsnTree::askText(const msn::TextRequest& request)
{
    return QtTextEntryDialog::ask(&m_tree, std::string(request.caption), std::string(request.label), request.prefill);
}

void QtMsnTree::showContactInfo(const msn::ContactInfo& info)
{
    QtContactInfoDialog::present(&m_tree, std::string(msn::page_text::kInfoCaption), info.name,
        { { "Email :", info.email }, { "State :", info.state } });
}

QMenu* QtMsnTree::buildMenu(QWidget* parent)
{
    namespace cmd = msn::command;
    auto* menu = new QMenu(parent);
    if (!m_handheld)
        return menu;
    const auto& session = m_handheld->msn().session;
    const msn::TreeItem selected = selectedItem();
    const int contact = selected ? session.contacts().findByItem(selected) : -1;
    const auto add
        = [&](QMenu* to, int command, const char* text, bool enabled = true, bool checked = false) {
              QAction* action = to->addAction(QString::fromUtf8(text));
              action->setEnabled(enabled);
              if (checked) {
                  action->setCheckable(true);
                  action->setChecked(true);
              }
              connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
          };
    if (contact >= 0) {
        const auto& entry = session.contacts().at(contact);
        add(menu, cmd::kChat, "인스턴트 메세지", msn::canChatWith(entry.status));
        add(menu, cmd::kPenMessage, "펜 메세지");
        add(menu, cmd::kMail, "메일 보내기");
        add(menu, cmd::kDelete, "대화 상대 제거");
        add(menu, cmd::kInfo, "사용자정보");
        add(menu, cmd::kCopyOne, "My Contact에 추가");
        return menu;
    }
    const auto state = msn::pageMenuState(session.ownStatus());
    add(menu, cmd::kLogin, "로그인", state.loginEnabled);
    add(menu, cmd::kLogout, "로그아웃", state.logoutEnabled);
    QMenu* status = menu->addMenu(QStringLiteral("내 상태"));
    status->setEnabled(state.statusMenuEnabled);
    const struct {
        int command;
        const char* text;
    } statuses[] = { { cmd::kOnline, "온라인" }, { cmd::kBusy, "다른 용무중" },
        { cmd::kBeRightBack, "곧 돌아오겠음" }, { cmd::kAway, "자리비움" }, { cmd::kOnPhone, "통화중" },
        { cmd::kAtLunch, "식사중" }, { cmd::kAppearOffline, "오프라인으로 표시" } };
    for (const auto& entry : statuses)
        add(status, entry.command, entry.text, true, entry.command == state.checkedStatusCommand);
    add(menu, cmd::kAddContact, "대화 상대 추가", state.addEnabled);
    add(menu, cmd::kRename, "대화명 변경", state.renameEnabled);
    add(menu, cmd::kCopyAll, "My Contacts에 친구 추가", state.copyAllEnabled);
    return menu;
}

void QtMsnTree::runCommand(int command)
{
    if (m_handheld)
        m_handheld->onMsnCommand(command);
}

} // namespace gui::handheld
