#include "gui/pocket/qt_msn_chat_window.h"

#include "gui/pocket/pocket_scaling.h"
#include "gui/pocket/qt_messenger_dialogs.h"
#include "gui/pocket/status_icons.h"
#include "gui/qt_string.h"
#include "pocket/msn/msn_chats.h"
#include "pocket/msn/msn_page.h"
#include "pocket/msn/msn_status.h"

#include <QCloseEvent>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace gui::handheld {

namespace msn = ::pocket::msn;

namespace {

    class ChatViewAdapter final : public msn::ChatView {
    public:
        ChatViewAdapter(QtMsnChatWindow* window, std::function<void()> onLogFull)
            : m_window(window)
            , m_onLogFull(std::move(onLogFull))
        {
        }
        ~ChatViewAdapter() override
        {
            if (m_window) {
                m_window->closingByChat = true;
                m_window->deleteLater();
            }
        }
        void show() override { m_window->show(); }
        void bringToFront() override
        {
            m_window->show();
            m_window->raise();
            m_window->activateWindow();
        }
        void setTitle(std::string_view title) override { m_window->setWindowTitle(toQString(title)); }
        void appendLog(std::string_view text) override
        {
            // The chat writes "\r\n" line ends, as the device's edit control wants them.
            QString line = toQString(text);
            line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            // The log is full: the chat asks whether to clear it.
            if (m_onLogFull && m_window->log->document()->characterCount() + line.size() > QtMsnChatWindow::kLogLimit)
                m_onLogFull();
            m_window->log->moveCursor(QTextCursor::End);
            m_window->log->insertPlainText(line);
        }
        void clearLog() override { m_window->log->clear(); }
        void setParticipants(const std::vector<std::string>& entries) override
        {
            m_window->participants->clear();
            for (const auto& entry : entries)
                m_window->participants->addItem(toQString(entry));
            m_window->participants->setCurrentIndex(entries.empty() ? -1 : 0);
        }
        void setSendEnabled(bool enabled) override { m_window->send->setEnabled(enabled); }
        void setInviteEnabled(bool enabled) override { m_window->invite->setEnabled(enabled); }
        void setPenEnabled(bool enabled) override { m_window->pen->setEnabled(enabled); }
        std::string takeInput() override
        {
            const QString text = m_window->input->text().left(static_cast<int>(msn::MsnChat::kMaxInputChars));
            m_window->input->clear();
            m_window->input->setFocus();
            return toUtf8(text);
        }

    private:
        QPointer<QtMsnChatWindow> m_window;
        std::function<void()> m_onLogFull;
    };

} // namespace

QtMsnChatWindow::QtMsnChatWindow()
{
    sizeAsDeviceWindow(*this);
    auto* layout = new QVBoxLayout(this);
    participants = new QComboBox(this);
    log = new QTextEdit(this);
    log->setReadOnly(true);
    input = new QLineEdit(this);
    send = new QPushButton(QStringLiteral("SEND"), this);
    invite = new QPushButton(QStringLiteral("INV"), this);
    pen = new QPushButton(QStringLiteral("PEN"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(input, 1);
    buttons->addWidget(send);
    auto* extras = new QHBoxLayout;
    extras->addWidget(participants, 1);
    extras->addWidget(invite);
    extras->addWidget(pen);
    layout->addLayout(extras);
    layout->addWidget(log, 1);
    layout->addLayout(buttons);
    connect(input, &QLineEdit::returnPressed, send, &QPushButton::click);
}

void QtMsnChatWindow::closeEvent(QCloseEvent* event)
{
    if (closingByChat || !onClose) {
        event->accept();
        return;
    }
    // The chat decides (a pen message in flight may keep it open) and
    // closes the window itself.
    event->ignore();
    onClose();
}

std::unique_ptr<msn::ChatView> QtMsnChatWindows::createChatWindow(int slot)
{
    auto* window = new QtMsnChatWindow;
    const auto chat = [this, slot]() -> msn::MsnChat* { return m_chats ? &m_chats->chat(slot) : nullptr; };
    QObject::connect(window->send, &QPushButton::clicked, window, [chat] {
        if (auto* c = chat())
            c->onSend();
    });
    QObject::connect(window->invite, &QPushButton::clicked, window, [chat] {
        if (auto* c = chat())
            c->onInvite();
    });
    QObject::connect(window->pen, &QPushButton::clicked, window, [chat] {
        if (auto* c = chat())
            c->onPen();
    });
    window->onClose = [chat] {
        if (auto* c = chat())
            c->onCloseWindow();
    };
    return std::make_unique<ChatViewAdapter>(window, [chat] {
        if (auto* c = chat())
            c->onLogFull();
    });
}

std::optional<std::string> QtMsnChatWindows::chooseContact(
    std::string_view caption, const msn::MsnContactTable& contacts)
{
    std::vector<QtContactChooser::Entry> entries;
    for (int i = 0; i < contacts.size(); ++i) {
        const auto& contact = contacts.at(i);
        if (contact.email.empty())
            continue;
        entries.push_back({ msn::itemText(contact, true), contact.email, msnTreeIcon(msn::treeImageIndex(contact.status)),
            contact.status > 0 });
    }
    return QtContactChooser::choose(QApplication::activeWindow(), std::string(caption), entries);
}

} // namespace gui::handheld
