#pragma once

// File: gui/pocket/qt_mail_composer.h
// The mail composer window of the handheld ("메일 쓰기"): To, subject and
// text, the attachment list, the image labels of To (a tap: "Contact" or
// "삭   제") and of the attachments (a tap: the attachment chooser; a
// tap-and-hold on the list: "삭제"), and "보내기", "불러오기", "저 장",
// "종 료". pocket::mail::MailComposer keeps the mail and its rules,
// AttachmentChooser the chooser's tree; MailSender sends the mail to the PC
// in pieces. GUI thread only.

#include "pocket/mail/mail_composer.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QListWidget;
class QMenu;
class QTextEdit;
class QToolButton;

namespace pocket::device {
class ContactStore;
}

namespace pocket::mail {
class AttachmentChooser;
class MailSender;
}

namespace gui::handheld {

class QtMailComposer final : public QDialog,
                             public ::pocket::mail::ComposerDialogs,
                             private ::pocket::mail::ComposerFields {
public:
    QtMailComposer(::pocket::mail::MailComposer& composer, ::pocket::mail::MailSender& sender,
        ::pocket::mail::AttachmentChooser& chooser, ::pocket::device::ContactStore& contacts, platform::Ui& ui,
        QWidget* parent = nullptr);
    ~QtMailComposer() override;

    // The options sheet, when the send folder is missing.
    std::function<void()> onOpenOptions;

    // Shows the window with the composer's mail.
    void openComposer();

    // ComposerDialogs.
    std::optional<std::string> askFileName() override;
    void openOptions() override;
    std::optional<std::vector<::pocket::mail::MailContact>> chooseContacts(
        const std::vector<::pocket::mail::MailContact>& book) override;
    std::optional<std::string> chooseAttachment(::pocket::mail::AttachmentChooser& chooser) override;
    std::optional<std::string> chooseSavedMail(const std::vector<std::string>& mails) override;
    void attachmentsChanged() override { refresh(); }

    // The menus of the To label and of an attachment row.
    QMenu* buildToMenu(QWidget* parent);
    QMenu* buildAttachmentMenu(int row, QWidget* parent);

    QLineEdit* toEdit() const { return m_to; }
    QLineEdit* subjectEdit() const { return m_subject; }
    QTextEdit* bodyEdit() const { return m_body; }
    QListWidget* attachmentList() const { return m_attachments; }
    QToolButton* toLabel() const { return m_toLabel; }
    QToolButton* attachmentLabel() const { return m_attachLabel; }

protected:
    void reject() override;

private:
    void buildButtons();
    void collect();
    void refresh();
    // ComposerFields: a mail the PC did not take comes back into the fields.
    void readFields() override { collect(); }
    void showFields() override { refresh(); }

    ::pocket::mail::MailComposer& m_composer;
    ::pocket::mail::MailSender& m_sender;
    ::pocket::mail::AttachmentChooser& m_chooser;
    ::pocket::device::ContactStore& m_contacts;
    platform::Ui& m_ui;
    QToolButton* m_toLabel = nullptr;
    QToolButton* m_attachLabel = nullptr;
    QLineEdit* m_to = nullptr;
    QLineEdit* m_subject = nullptr;
    QTextEdit* m_body = nullptr;
    QListWidget* m_attachments = nullptr;
};

} // namespace gui::handheld
