#pragma once

// File: gui/pocket/qt_mail_composer.h
// The mail composer window of the handheld ("메일 쓰기"): To, subject and
// text, the attachment list, and "보내기", "첨부", "저 장", "종 료".
// pocket::mail::MailComposer keeps the mail and its rules; MailSender sends
// it to the PC in pieces. GUI thread only.

#include "pocket/mail/mail_composer.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QListWidget;
class QTextEdit;

namespace pocket::mail {
class MailSender;
}

namespace gui::handheld {

class QtMailComposer final : public QDialog, public ::pocket::mail::ComposerDialogs {
public:
    QtMailComposer(::pocket::mail::MailComposer& composer, ::pocket::mail::MailSender& sender,
        platform::Ui& ui, QWidget* parent = nullptr);

    // The options sheet, when the send folder is missing.
    std::function<void()> onOpenOptions;

    // Shows the window with the composer's mail.
    void openComposer();

    // ComposerDialogs.
    std::optional<std::string> askFileName() override;
    void openOptions() override;

    QLineEdit* toEdit() const { return m_to; }
    QLineEdit* subjectEdit() const { return m_subject; }
    QTextEdit* bodyEdit() const { return m_body; }

protected:
    void reject() override;

private:
    void collect();
    void refresh();

    ::pocket::mail::MailComposer& m_composer;
    ::pocket::mail::MailSender& m_sender;
    platform::Ui& m_ui;
    QLineEdit* m_to = nullptr;
    QLineEdit* m_subject = nullptr;
    QTextEdit* m_body = nullptr;
    QListWidget* m_attachments = nullptr;
};

} // namespace gui::handheld
