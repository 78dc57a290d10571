#pragma once

// File: pocket/settings/options_sheet.h
// The logic of the options sheet ("환경설정"): three pages, "Accounts",
// "Connections" and "Folder setup", each with "적용" and "취소", and one
// apply flag shared by them. When the sheet closes with the flag set, every
// page that was shown stores its fields. The view shows the fields held here
// and passes the user's edits back into them. Window thread only.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class Ui;
}

namespace pocket::settings {

class DialUp;
class SettingsStore;
struct PdaSettings;

// What storing the accounts changes outside the settings: the main window's
// MSN status line and tabs, and the messenger sessions.
class MessengerHost {
public:
    virtual ~MessengerHost() = default;
    virtual void setMsnStatusLine(const std::string& text) = 0;
    virtual void signOutMsn() = 0;
    virtual void resetIcq(const std::string& number) = 0;
    virtual void closeIcq() = 0;
    virtual void rebuildMessengerTabs() = 0;
};

struct AccountsFields {
    bool msn = false;
    std::string msnId;
    std::string msnPassword;
    bool icq = false;
    std::string icqId;
    std::string icqPassword;
    bool yahoo = false; // The YAHOO controls exist but are hidden.
    std::string yahooId;
    std::string yahooPassword;
};

struct ConnectionsFields {
    std::string pcIp;
    std::vector<std::string> entries; // The phonebook, in its order.
    std::string connection;           // The combo box text.
    bool checksEnabled = false;
    bool autoDial = false;
    bool autoDisconnection = false;
    std::uint16_t pcPort = 0;
    std::uint16_t pcUploadPort = 0;
    std::uint16_t pcWebPort = 0;
};

struct FolderFields {
    std::string inbox;
    std::string period; // "1일", "5일", "10일", "30일" or "모두보기".
    std::string webFolderPath;
    std::string saveFilePath;
    std::string sndMailPath;
};

enum class OptionsPage {
    Accounts,
    Connections,
    Folders,
};

class OptionsSheet {
public:
    OptionsSheet(SettingsStore& store, PdaSettings& settings, platform::Ui& ui, DialUp& dialUp, MessengerHost& host);

    // Opens the sheet: no page shown yet, the apply flag clear.
    void open();
    bool isOpen() const { return m_open; }

    // Shows a page; the first time, its fields are filled from the settings.
    AccountsFields& showAccounts();
    ConnectionsFields& showConnections();
    FolderFields& showFolders();

    // Connections page events.
    void selectConnection(std::optional<std::size_t> index);
    // False when the check box is disabled.
    bool setAutoDial(bool checked);
    bool setAutoDisconnection(bool checked);

    // Folder page: the folder chooser returned a folder for one of the three
    // path edits; asks before taking it.
    void chooseFolder(std::string& edit, const std::string& chosen);

    // "적용": asks "설정하시겠습니까?"; with `ask` false the caller has
    // confirmed already. True when the sheet closed and stored.
    bool apply(OptionsPage page, bool ask = true);
    // "취소": closes without storing.
    void cancel();

    // The period combo text for a "mailviewperiod" value, and back.
    static std::string periodText(int days);
    static int periodDays(const std::string& text);

private:
    bool validateAccounts();
    void close(bool applied);
    void storeAccounts();
    void storeConnections();
    void storeFolders();

    SettingsStore& m_store;
    PdaSettings& m_settings;
    platform::Ui& m_ui;
    DialUp& m_dialUp;
    MessengerHost& m_host;
    bool m_open = false;
    bool m_applyFlag = false;
    std::optional<AccountsFields> m_accounts;
    std::optional<ConnectionsFields> m_connections;
    std::optional<FolderFields> m_folders;
};

} // namespace pocket::settings
