#pragma once

// File: pc/app/settings_dialog.h
// The settings dialog's logic, shared by the Qt dialog and the console
// commands: a working copy of the mail accounts with add, modify, delete and
// a log-in test, the two start options, the server's ports, code page and
// log-in, and apply, which stores everything and updates the autostart
// entry. Messages go through the Ui with the dialog's texts. Window thread
// only.

#include "pc/app/autostart.h"
#include "pc/app/mail_account.h"
#include "pc/app/user_settings.h"
#include "pc/service/listen_ports.h"
#include "platform/ui.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace pc::app {

// The server page: what the handheld must be set to reach and log in to
// this PC.
struct ServerSettings {
    service::ListenPorts ports;
    std::string codePage; // The handheld's code page, by its usual name.
    std::string loginId;
    std::string password;

    bool operator==(const ServerSettings&) const = default;
};

// The code pages the server page offers.
inline constexpr const char* kCodePageChoices[] = { "UTF-8", "CP949" };

// What the settings dialog shows.
class SettingsView {
public:
    virtual ~SettingsView() = default;
    // The accounts page: one row per account with "메일서버" and "아이디".
    virtual void showAccounts(const std::vector<MailAccount>& accounts) = 0;
    virtual void showStartOptions(bool startWithSystem, bool startServerAfterLogin) = 0;
    virtual void showServerSettings(const ServerSettings& settings) = 0;
    // Delete and modify have something to work on.
    virtual void setAccountEditingEnabled(bool enabled) = 0;
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

// The account dialog's test: logs in to the account's server and out again,
// and says what happened ("pop.example.com (kim): 로그인에 성공했습니다." or
// the cause of the failure). Blocks for up to `timeout` per answer; run it
// off the window thread.
std::string testMailAccount(const MailAccount& account, std::chrono::milliseconds timeout);

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

    // The server page; none unless the dialog was opened with it.
    void setServerSettings(const ServerSettings& settings);
    const std::optional<ServerSettings>& serverSettings() const { return m_server; }
    void setPorts(const service::ListenPorts& ports);
    void setCodePage(const std::string& name);
    void setLogin(const std::string& id, const std::string& password);

    // OK's check of the server page; false, after a message, when the
    // dialog must stay open.
    bool checkEntries();
    // OK: stores everything and returns the settings now in force. Changed
    // ports and code page are stored for the next server start and program
    // start; a message says so.
    UserSettings apply();

private:
    void refresh();
    void applyServerSettings();

    SettingsStore& m_store;
    Autostart& m_autostart;
    platform::Ui& m_ui;
    std::string m_loginId;
    std::vector<MailAccount> m_accounts;
    bool m_startWithSystem = false;
    bool m_startServerAfterLogin = false;
    std::optional<ServerSettings> m_server;
    std::optional<ServerSettings> m_serverAsOpened;
    SettingsView* m_view = nullptr;
};

} // namespace pc::app
