#pragma once

// File: gui/pc/qt_settings_dialog.h
// The settings dialog with its pages "기본 설정" (the two start options),
// "메일 설정" (the mail accounts with add, delete and modify) and "서버 설정"
// (ports, code page, log-in), and the account dialog it opens, which tests
// an account on a worker thread. pc::app::SettingsDialog holds the working
// copy and makes every check; these widgets show it and pass the user's
// actions on. OK closes the dialog once the checks pass; the main window's
// logic then applies it. GUI thread only.

#include "pc/app/settings_dialog.h"
#include "platform/ui.h"

#include <QDialog>

#include <chrono>
#include <thread>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace gui::pc {

// Server, port, protection (none, POP3S, STLS), id and password of one
// account; OK closes only when every
// field is filled (the logic's check and messages). "시험" logs in to the
// account on a worker thread and shows what happened below the fields.
class QtAccountDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kTestTimeout { 10000 };

    QtAccountDialog(const QString& title, const ::pc::app::MailAccount& initial, platform::Ui& ui,
        QWidget* parent = nullptr);
    // Waits for a test still running.
    ~QtAccountDialog() override;
    ::pc::app::MailAccount account() const;
    void accept() override;

    // For tests and screenshots.
    QLineEdit* serverField() const { return m_server; }
    QSpinBox* portField() const { return m_port; }
    QComboBox* securityField() const { return m_security; }
    QPushButton* testButton() const { return m_test; }
    QLabel* testResult() const { return m_result; }

private:
    void startTest();

    platform::Ui& m_ui;
    QLineEdit* m_server;
    QSpinBox* m_port;
    QComboBox* m_security = nullptr;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QPushButton* m_test;
    QLabel* m_result;
    std::thread m_worker;
};

class QtSettingsDialog final : public QDialog, public ::pc::app::SettingsView, private ::pc::app::AccountEditor {
    Q_OBJECT
public:
    QtSettingsDialog(::pc::app::SettingsDialog& logic, platform::Ui& ui, QWidget* parent = nullptr);
    ~QtSettingsDialog() override;

    void showAccounts(const std::vector<::pc::app::MailAccount>& accounts) override;
    void showStartOptions(bool startWithSystem, bool startServerAfterLogin) override;
    void showServerSettings(const ::pc::app::ServerSettings& settings) override;
    void setAccountEditingEnabled(bool enabled) override;
    void accept() override;

    QTabWidget* pages() const { return m_pages; }
    QTreeWidget* accountList() const { return m_accounts; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* modifyButton() const { return m_modify; }
    QSpinBox* portField(int index) const { return m_ports[index]; }
    QComboBox* codePageField() const { return m_codePage; }
    QLineEdit* loginIdField() const { return m_loginId; }
    QLineEdit* passwordField() const { return m_password; }

private:
    std::optional<::pc::app::MailAccount> editAccount(const std::string& title,
        const ::pc::app::MailAccount& initial) override;
    QWidget* buildStartPage();
    QWidget* buildMailPage();
    QWidget* buildServerPage();
    void passServerSettings();
    std::vector<std::size_t> selectedRows() const;
    void addAccount();

    ::pc::app::SettingsDialog& m_logic;
    platform::Ui& m_ui;
    QTabWidget* m_pages = nullptr;
    QCheckBox* m_startWithSystem = nullptr;
    QCheckBox* m_startServer = nullptr;
    QTreeWidget* m_accounts = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_modify = nullptr;
    QSpinBox* m_ports[3] = {};
    QComboBox* m_codePage = nullptr;
    QLineEdit* m_loginId = nullptr;
    QLineEdit* m_password = nullptr;
};

} // namespace gui::pc
