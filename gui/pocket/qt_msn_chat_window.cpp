#include "gui/pocket/qt_msn_chat_window.h"

#include "gui/qt_string.h"
#include "pocket/msn/msn_chats.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
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
        explicit ChatViewAdapter(QtMsnChatWindow* window)
            : m_window(window)
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
    };

} // namespace

QtMsnChatWindow::QtMsnChatWindow()
{
    resize(240, 268);
    auto* layout = new QVBoxLayout(this);
    participants = new QComboBox(this);
    log = new QTextEdit(this);
    log->setReadOnly(true);
    input = new QLineEdit(this);
    send = new QPushButton(QStringLiteral("보내기"), this);
    invite = new QPushButton(QStringLiteral("초대"), this);
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
    return std::make_unique<ChatViewAdapter>(window);
}

std::optional<std::string> QtMsnChatWindows::chooseContact(
    std::string_view caption, const msn::MsnContactTable& contacts)
{
    QStringList names;
    std::vector<std::string> emails;
    for (int i = 0; i < contacts.size(); ++i) {
        const auto& contact = contacts.at(i);
        if (contact.email.empty())
            continue;
        names << toQString(contact.name.empty() ? contact.email : contact.name + " <" + contact.email + ">");
        emails.push_back(contact.email);
    }
    if (names.isEmpty())
        return std::nullopt;
    bool ok = false;
    const QString chosen
        = QInputDialog::getItem(nullptr, toQString(caption), QString(), names, 0, false, &ok);
    if (!ok)
        return std::nullopt;
    const auto index = names.indexOf(chosen);
    return index < 0 ? std::nullopt : std::optional<std::string>(emails[static_cast<std::size_t>(index)]);
}

} // namespace gui::handheld
