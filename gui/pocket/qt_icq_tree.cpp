#include "gui/pocket/qt_icq_tree.h"

#include "gui/pocket/item_view_keys.h"
#include "gui/pocket/pocket_scaling.h"
#include "gui/pocket/qt_messenger_dialogs.h"
#include "gui/pocket/status_icons.h"
#include "gui/qt_string.h"
#include "pocket/app/handheld.h"
#include "pocket/icq/message_text.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace gui::handheld {

namespace icq = ::pocket::icq;

namespace {

    // One ICQ message window (dialog 127): the conversation (1030), the
    // input line (1024), "SEND" (1028), "ADD" (1029) and "PEN" (1032).
    class MessageWindow final : public QWidget {
    public:
        // The log takes this many characters before the window asks to clear it.
        static constexpr int kLogLimit = 30000;

        std::function<void(const QString&)> onSend;
        std::function<void()> onAdd;
        std::function<void()> onPen;
        std::function<void()> onLogFull;
        std::function<void()> onClosed;
        bool closing = false;

        MessageWindow()
        {
            setObjectName(QStringLiteral("icqMessageWindow"));
            sizeAsDeviceWindow(*this);
            auto* layout = new QVBoxLayout(this);
            log = new QTextEdit(this);
            log->setReadOnly(true);
            input = new QLineEdit(this);
            send = new QPushButton(QStringLiteral("SEND"), this);
            add = new QPushButton(QStringLiteral("ADD"), this);
            pen = new QPushButton(QStringLiteral("PEN"), this);
            auto* tools = new QHBoxLayout;
            tools->addStretch();
            tools->addWidget(add);
            tools->addWidget(pen);
            auto* row = new QHBoxLayout;
            row->addWidget(input);
            row->addWidget(send);
            layout->addLayout(tools);
            layout->addWidget(log);
            layout->addLayout(row);
            connect(send, &QPushButton::clicked, this, [this] {
                if (onSend)
                    onSend(input->text());
            });
            connect(add, &QPushButton::clicked, this, [this] {
                if (onAdd)
                    onAdd();
            });
            connect(pen, &QPushButton::clicked, this, [this] {
                if (onPen)
                    onPen();
            });
            connect(input, &QLineEdit::returnPressed, send, &QPushButton::click);
        }

        QTextEdit* log = nullptr;
        QLineEdit* input = nullptr;
        QPushButton* send = nullptr;
        QPushButton* add = nullptr;
        QPushButton* pen = nullptr;

    protected:
        void closeEvent(QCloseEvent* event) override
        {
            event->accept();
            if (!closing && onClosed)
                onClosed();
        }
    };

    class MessageWindowAdapter final : public icq::MessageWindowView {
    public:
        explicit MessageWindowAdapter(MessageWindow* window)
            : m_window(window)
        {
        }
        ~MessageWindowAdapter() override
        {
            if (m_window) {
                m_window->closing = true;
                m_window->deleteLater();
            }
        }
        void setTitle(std::string_view title) override { m_window->setWindowTitle(toQString(title)); }
        void appendLog(std::string_view text) override
        {
            const QString line = toQString(text);
            if (m_window->onLogFull && m_window->log->document()->characterCount() + line.size() > MessageWindow::kLogLimit)
                m_window->onLogFull();
            QString plain = line;
            plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            m_window->log->moveCursor(QTextCursor::End);
            m_window->log->insertPlainText(plain);
        }
        void clearLog() override { m_window->log->clear(); }
        void clearInput() override { m_window->input->clear(); }
        void focusInput() override { m_window->input->setFocus(); }
        void bringUp() override
        {
            m_window->show();
            m_window->raise();
        }
        void close() override
        {
            m_window->closing = true;
            m_window->hide();
        }

    private:
        QPointer<MessageWindow> m_window;
    };

} // namespace

QtIcqTree::QtIcqTree(QTreeWidget& tree)
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

void QtIcqTree::setStatusLine(std::string_view text)
{
    m_tree.setHeaderLabel(toQString(text));
    // Drawn at once: a connection attempt holds the window thread, and the
    // "Connecting.." line would otherwise never show.
    m_tree.header()->viewport()->repaint();
}

QTreeWidgetItem* QtIcqTree::root(icq::TreeGroup group) const
{
    return m_tree.topLevelItem(group == icq::TreeGroup::Online ? 0 : 1);
}

void QtIcqTree::resetRoots()
{
    m_tree.clear();
    m_items.clear();
    for (auto text : { icq::tree_text::kOnlineRoot, icq::tree_text::kOfflineRoot }) {
        auto* top = new QTreeWidgetItem(&m_tree, { toQString(text) });
        new QTreeWidgetItem(top, { toQString(icq::tree_text::kNoUsers) });
        top->setExpanded(true);
    }
}

void QtIcqTree::setPlaceholder(icq::TreeGroup group, bool shown)
{
    QTreeWidgetItem* top = root(group);
    if (!top)
        return;
    const QString text = toQString(icq::tree_text::kNoUsers);
    QTreeWidgetItem* placeholder = nullptr;
    for (int i = 0; i < top->childCount(); ++i) {
        if (top->child(i)->text(0) == text && top->child(i)->data(0, Qt::UserRole).isNull())
            placeholder = top->child(i);
    }
    if (shown && !placeholder)
        new QTreeWidgetItem(top, { text });
    else if (!shown && placeholder)
        delete placeholder;
}

void QtIcqTree::insertItem(icq::TreeGroup group, int item, std::string_view label, int image)
{
    QTreeWidgetItem* top = root(group);
    if (!top)
        return;
    auto* widgetItem = new QTreeWidgetItem(top, { toQString(label) });
    widgetItem->setData(0, Qt::UserRole, item);
    if (image >= 0)
        widgetItem->setIcon(0, icqTreeIcon(image));
    m_items[item] = widgetItem;
}

void QtIcqTree::updateItem(int item, std::string_view label, int image)
{
    auto found = m_items.find(item);
    if (found == m_items.end())
        return;
    found->second->setText(0, toQString(label));
    if (image >= 0)
        found->second->setIcon(0, icqTreeIcon(image));
}

void QtIcqTree::removeItem(int item)
{
    auto found = m_items.find(item);
    if (found == m_items.end())
        return;
    delete found->second;
    m_items.erase(found);
}

icq::IcqMessenger* QtIcqTree::messenger() const
{
    return m_handheld ? &m_handheld->icq().messenger : nullptr;
}

std::unique_ptr<icq::MessageWindowView> QtIcqTree::createMessageWindow(int slot)
{
    auto* window = new MessageWindow;
    window->onSend = [this, slot](const QString& text) {
        if (auto* m = messenger())
            m->onWindowSend(slot, toUtf8(text));
    };
    window->onAdd = [this, slot] {
        if (auto* m = messenger())
            m->onWindowAdd(slot);
    };
    window->onPen = [this, slot] {
        if (m_handheld)
            m_handheld->onIcqWindowPen(slot);
    };
    window->onLogFull = [this, slot] {
        if (auto* m = messenger())
            m->onWindowLogFull(slot);
    };
    window->onClosed = [this, slot] {
        if (auto* m = messenger())
            m->onWindowClosed(slot);
    };
    return std::make_unique<MessageWindowAdapter>(window);
}

void QtIcqTree::setOwnStatusBitmap(int bitmap)
{
    m_ownStatusBitmap = bitmap;
    m_tree.headerItem()->setIcon(0, statusIcon(bitmap));
}

std::optional<std::string> QtIcqTree::askContactNumber()
{
    return QtTextEntryDialog::ask(
        &m_tree, std::string(icq::add_text::kCaption), std::string(icq::add_text::kPrompt), {}, true);
}

std::optional<icq::BroadcastRequest> QtIcqTree::askBroadcast(const icq::ContactList& contacts)
{
    std::vector<QtBroadcastDialog::Contact> rows;
    for (const auto& contact : contacts)
        rows.push_back({ contact.displayName(), contact.number });
    QtBroadcastDialog dialog(rows, &m_tree);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return icq::BroadcastRequest { dialog.checkedNumbers(), dialog.typedText() };
}

void QtIcqTree::showContactInfo(const icq::ContactInfo& info)
{
    QtContactInfoDialog::present(&m_tree, info.title, info.nickLine,
        { { "Email :", info.email }, { "State :", info.state }, { "First :", info.firstName },
            { "Last :", info.lastName } });
}

std::string QtIcqTree::selectedNumber() const
{
    const QTreeWidgetItem* current = m_tree.currentItem();
    auto* m = messenger();
    if (!current || !m || current->data(0, Qt::UserRole).isNull())
        return {};
    const int item = current->data(0, Qt::UserRole).toInt();
    for (const auto& contact : m->contacts()) {
        if (contact.treeItem == item)
            return contact.number;
    }
    return {};
}

QMenu* QtIcqTree::buildMenu(QWidget* parent)
{
    namespace cmd = icq::command;
    auto* menu = new QMenu(parent);
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
    if (!selectedNumber().empty()) {
        add(menu, cmd::kOpenMessageWindow, "인스턴트 메세지");
        add(menu, cmd::kPenMessage, "펜 메세지");
        add(menu, cmd::kEmail, "메일 보내기");
        add(menu, cmd::kDeleteContact, "친구 삭제");
        add(menu, cmd::kContactInfo, "사용자정보");
        add(menu, cmd::kCopyToDevice, "My Contact에 추가");
        return menu;
    }
    const auto state = messenger() ? messenger()->menuState() : icq::PageMenuState {};
    add(menu, cmd::kConnect, "로그인", state.connect);
    add(menu, cmd::kLogout, "로그아웃", state.logout);
    QMenu* status = menu->addMenu(QStringLiteral("상태변경"));
    status->setEnabled(state.statusMenu);
    const struct {
        int command;
        const char* text;
    } statuses[] = { { cmd::kStatusOnline, "온라인" }, { cmd::kStatusFreeForChat, "채팅가능" },
        { cmd::kStatusAway, "자리비움" }, { cmd::kStatusNotAvailable, "잠깐자리비움" },
        { cmd::kStatusOccupied, "급한 용무중" }, { cmd::kStatusDoNotDisturb, "방해하지마시오" },
        { cmd::kStatusInvisible, "오프라인으로 표시" } };
    for (const auto& entry : statuses)
        add(status, entry.command, entry.text, true, entry.command == state.checkedStatusCommand);
    add(menu, cmd::kAddContact, "친구추가", state.addContact);
    add(menu, cmd::kBroadcast, "동보메세지보내기", state.broadcast);
    add(menu, cmd::kCopyAllToDevice, "My Contacts에 친구 추가", state.copyAll);
    return menu;
}

void QtIcqTree::runCommand(int command)
{
    if (m_handheld)
        (void)m_handheld->onIcqCommand(command, selectedNumber());
}

} // namespace gui::handheld
