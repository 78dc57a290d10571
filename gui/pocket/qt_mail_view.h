#pragma once

// File: gui/pocket/qt_mail_view.h
// The e-mail view of the handheld window: the mail list (control 1134, the
// columns "제목", "보낸사람", "POP3", "파일명") with its tap-and-hold menus
// "POP1" and "POP2", the list page's progress bar, and the content screen's
// header box with the link "첨부파일이 있습니다", drawn for the core's mail
// client. The buttons of the view ("REFRESH", "보기", "삭제", "저장", the
// tabs, "메일 쓰기", the header box's button) are the main dialog's and go
// to the Handheld core by id, as does the "Text"/"Html" choice; a double tap
// on a row is "보기". GUI thread only.

#include "pocket/mail/mail_view.h"

class QMenu;
class QTreeWidgetItem;
class QWidget;

namespace pocket::app {
class Handheld;
}

namespace gui::handheld {

class QtMainDialog;

class QtMailView final : public ::pocket::mail::MailView {
public:
    explicit QtMailView(QtMainDialog& dialog);

    // The core whose reader the attachment menu uses.
    void attach(::pocket::app::Handheld& handheld);

    // MailView.
    void clearList() override;
    void insertRow(const ::pocket::mail::MailListEntry& entry, bool read) override;
    void setRowRead(const std::string& name) override;
    void removeRow(const std::string& name) override;
    void showMail(const std::string& header, bool hasAttachments, const std::string& title) override;
    std::string selectedMail() const override;
    void setFetchProgress(int percent) override;

    // "POP1" on a mail, "POP2" elsewhere on the list.
    QMenu* buildListMenu(bool onMail, QWidget* parent);
    // Behind "첨부파일이 있습니다": "첨부 저장" and "바로 열기" per attachment.
    QMenu* buildAttachmentMenu(QWidget* parent);

private:
    QTreeWidgetItem* find(const std::string& name) const;
    // The menu behind "첨부파일이 있습니다": "첨부 저장" and "바로 열기" per attachment.
    void showAttachments();

    QtMainDialog& m_dialog;
    ::pocket::app::Handheld* m_handheld = nullptr;
};

} // namespace gui::handheld
