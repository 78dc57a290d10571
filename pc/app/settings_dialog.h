#pragma once

// File: pc/app/settings_dialog.h
// The settings dialog's logic, shared by the Qt dialog and the console
// commands: a working copy of the mail accounts with add, modify and delete,
// the two start options, and apply, which stores everything and updates the
// autostart entry. Messages go through the Ui with the dialog's texts.
// Window thread only.

#include "pc/app/autostart.h"
#include "pc/app/mail_account.h"
#include "pc/app/user_settings.h"
#include "platform/ui.h"

#include <optional>
#include <string>
#include <vector>

namespace pc::app {

// What the settings dialog shows.
class SettingsView {
public:
    virtual ~SettingsView() = default;
    // The accounts page: one row per account with "메일서버" and "아이디".
    virtual void showAccounts(const std::vector<MailAccount>& accounts) = 0;
    virtual void showStartOptions(bool startWithSystem, bool startServerAfterLogin) = 0;
};

// The account dialog ("메일서버 수정" when modifying): edits one account and
// returns it on OK, nullopt on cancel.
class AccountEditor {
public:
    virtual ~AccountEditor() = default;
    virtual std::optional<MailAccount> editAccount(const std::string& title, const MailAccount& initial) = 0;
};

// The account dialog's own check before it closes with OK.
bool checkAccountEntry(const MailAccount& account, platform::Ui& ui);

class SettingsDialog {
public:
    SettingsDialog(SettingsStore& store, Autostart& autostart, platform::Ui& ui, std::string loginId,
        const UserSettings& current);

    void attach(SettingsView* view);

    const std::vector<MailAccount>& accounts() const { return m_accounts; }
    bool startWithSystem() const { return m_startWithSystem; }
    bool startServerAfterLogin() const { return m_startServerAfterLogin; }
    void setStartWithSystem(bool on);
    void setStartServerAfterLogin(bool on);

    // Adds an account that passed the account dialog; false (with a
    // message) when a field is empty or the table of 30 is full.
    bool addAccount(const MailAccount& account);
    // Rows are indices into accounts(). Asks before deleting.
    bool deleteSelected(const std::vector<std::size_t>& rows);
    // Opens the selected account in the editor and replaces it on OK.
    bool modifySelected(const std::vector<std::size_t>& rows, AccountEditor& editor);

    // OK: stores everything and returns the settings now in force.
    UserSettings apply();

private:
    void refresh();

    SettingsStore& m_store;
    Autostart& m_autostart;
    platform::Ui& m_ui;
    std::string m_loginId;
    std::vector<MailAccount> m_accounts;
    bool m_startWithSystem = false;
    bool m_startServerAfterLogin = false;
    SettingsView* m_view = nullptr;
};

} // namespace pc::app
