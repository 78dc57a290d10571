#pragma once

// File: gui/pocket/qt_mail_dialogs.h
// The dialogs of the mail composer: the address book ("Contact
// AddressBook": the device's contacts with check boxes, "name" and
// "email"), the attachment chooser ("첨부파일": the handheld's and the PC's
// folders and files, drawn from the core's AttachmentChooser, which asks the
// PC for PC folders as they are expanded) and the list of saved mails for
// "불러오기". They show what the core hands them and return what the user
// chose. GUI thread only.

#include "pocket/mail/mail_composer.h"
#include "pocket/mypc/mypc_tree.h"

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;
class QTreeWidget;

namespace pocket::mail {
class AttachmentChooser;
}

namespace gui::handheld {

class QtAddressBookDialog final : public QDialog {
public:
    QtAddressBookDialog(const std::vector<::pocket::mail::MailContact>& book, QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }
    QPushButton* okButton() const { return m_ok; }
    std::vector<::pocket::mail::MailContact> checked() const;

private:
    std::vector<::pocket::mail::MailContact> m_book;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
};

class QtAttachmentChooserDialog final : public QDialog, private ::pocket::mypc::MyPcTreeView {
public:
    QtAttachmentChooserDialog(::pocket::mail::AttachmentChooser& chooser, QWidget* parent = nullptr);
    ~QtAttachmentChooserDialog() override;

    QTreeWidget* tree() const { return m_tree; }
    QPushButton* okButton() const { return m_ok; }
    // The path of the file chosen, once accepted.
    const std::string& chosen() const { return m_chosen; }
    // Selects the item of this tree path ("PDA\My Documents", "C:\docs\a.doc").
    bool select(const std::string& path);

private:
    // MyPcTreeView: the chooser's tree changed; drawn after the current event.
    void treeReset() override;
    void itemChanged(const ::pocket::mypc::TreeItem&) override { treeReset(); }
    void redraw();
    void takeSelection();

    ::pocket::mail::AttachmentChooser& m_chooser;
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_ok = nullptr;
    std::string m_chosen;
    bool m_redrawPending = false;
};

// "불러오기": the saved mails by name.
class QtSavedMailDialog final : public QDialog {
public:
    QtSavedMailDialog(const std::vector<std::string>& mails, QWidget* parent = nullptr);
    QListWidget* list() const { return m_list; }
    QPushButton* okButton() const { return m_ok; }
    std::optional<std::string> chosen() const;

private:
    std::vector<std::string> m_mails;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace gui::handheld
