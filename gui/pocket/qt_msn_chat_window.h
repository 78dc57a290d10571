#pragma once

// File: gui/pocket/qt_msn_chat_window.h
// MSN chat windows (dialog 127): the conversation, the participants, the
// input line and "SEND", "INV", "PEN". QtMsnChatWindows creates them for
// pocket::msn::MsnChats, which decides what they show, and asks the user
// for a contact to invite. GUI thread only.

#include "pocket/msn/msn_chat.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace pocket::msn {
class MsnChats;
}

namespace gui::handheld {

class QtMsnChatWindow final : public QWidget {
public:
    // The log takes this many characters before the chat asks to clear it.
    static constexpr int kLogLimit = 30000;

    QtMsnChatWindow();

    QTextEdit* log = nullptr;
    QComboBox* participants = nullptr;
    QLineEdit* input = nullptr;
    QPushButton* send = nullptr;
    QPushButton* invite = nullptr;
    QPushButton* pen = nullptr;
    // The window's own close button: "취소" of the chat.
    std::function<void()> onClose;
    bool closingByChat = false;

protected:
    void closeEvent(QCloseEvent* event) override;
};

class QtMsnChatWindows final : public ::pocket::msn::ChatWindowHost {
public:
    // The chats the windows report to; set before the first window.
    void setChats(::pocket::msn::MsnChats* chats) { m_chats = chats; }

    std::unique_ptr<::pocket::msn::ChatView> createChatWindow(int slot) override;
    std::optional<std::string> chooseContact(
        std::string_view caption, const ::pocket::msn::MsnContactTable& contacts) override;

private:
    ::pocket::msn::MsnChats* m_chats = nullptr;
};

} // namespace gui::handheld
