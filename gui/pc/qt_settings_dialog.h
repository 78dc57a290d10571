#pragma once

// File: gui/pc/qt_settings_dialog.h
// The settings dialog with its pages "기본 설정" (the two start options) and
// "메일 설정" (the mail accounts with add, delete and modify), and the
// account dialog it opens. pc::app::SettingsDialog holds the working copy and
// makes every check; these widgets show it and pass the user's actions on.
// OK closes the dialog; the main window's logic then applies it.
// GUI thread only.

#include "pc/app/settings_dialog.h"
#include "platform/ui.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace gui::pc {

// Server, id and password of one account; OK closes only when every field
// is filled (the logic's check and messages).
class QtAccountDialog final : public QDialog {
    Q_OBJECT
public:
    QtAccountDialog(const QString& title, const ::pc::app::MailAccount& initial, platform::Ui& ui,
        QWidget* parent = nullptr);
    ::pc::app::MailAccount account() const;
    void accept() override;

private:
    platform::Ui& m_ui;
    QLineEdit* m_server;
    QLineEdit* m_user;
    QLineEdit* m_password;
};

class QtSettingsDialog final : public QDialog, public ::pc::app::SettingsView, private ::pc::app::AccountEditor {
    Q_OBJECT
public:
    QtSettingsDialog(::pc::app::SettingsDialog& logic, platform::Ui& ui, QWidget* parent = nullptr);
    ~QtSettingsDialog() override;

    void showAccounts(const std::vector<::pc::app::MailAccount>& accounts) override;
    void showStartOptions(bool startWithSystem, bool startServerAfterLogin) override;

    QTabWidget* pages() const { return m_pages; }
    QTreeWidget* accountList() const { return m_accounts; }

private:
    std::optional<::pc::app::MailAccount> editAccount(const std::string& title,
        const ::pc::app::MailAccount& initial) override;
    QWidget* buildStartPage();
    QWidget* buildMailPage();
    std::vector<std::size_t> selectedRows() const;
    void addAccount();

    ::pc::app::SettingsDialog& m_logic;
    platform::Ui& m_ui;
    QTabWidget* m_pages = nullptr;
    QCheckBox* m_startWithSystem = nullptr;
    QCheckBox* m_startServer = nullptr;
    QTreeWidget* m_accounts = nullptr;
};

} // namespace gui::pc
