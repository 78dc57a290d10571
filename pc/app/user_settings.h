#pragma once

// File: pc/app/user_settings.h
// The PC program's settings in its profile, section "Quillon": the values of
// the login dialog (savedid, savedpw, idsaved, pwsaved) and, per login id,
// the two start options and the mail accounts ("<id>_check1",
// "<id>_check2", "<id>_pop3cnt", "<id>_pop3info", and "<id>_pop3tls" for
// how each account's connection is protected), the handheld's code
// page ("CodePage") and the server's ports ("CommandPort", "UploadPort",
// "WebPort"). Missing values are written back with their defaults as they
// are read. Every value is text.

#include "pc/app/mail_account.h"
#include "pc/service/listen_ports.h"
#include "platform/profile.h"

#include <string>
#include <vector>

namespace pc::app {

struct LoginValues {
    std::string savedId;
    std::string savedPassword;
    bool isIdSaved = false;       // "idsaved" is not "false".
    bool isPasswordSaved = false; // "pwsaved" is not "false".
};

struct UserSettings {
    bool startWithSystem = false;       // "<id>_check1"
    bool startServerAfterLogin = false; // "<id>_check2"
    std::vector<MailAccount> accounts;
};

class SettingsStore {
public:
    static constexpr const char* kSection = "Quillon";
    static constexpr const char* kCodePageKey = "CodePage";
    static constexpr const char* kCommandPortKey = "CommandPort";
    static constexpr const char* kUploadPortKey = "UploadPort";
    static constexpr const char* kWebPortKey = "WebPort";

    explicit SettingsStore(platform::Profile& profile);

    // Reads the login values, writing the defaults of missing ones.
    LoginValues readLogin();
    // "savedpw" holds the password only while it is remembered.
    void writeLogin(const std::string& id, const std::string& password, bool rememberId, bool rememberPassword);

    // Reads the per-id values (loadUserSettings), writing missing defaults.
    UserSettings loadUserSettings(const std::string& id);

    // The settings dialog's apply, without the Run value (see Autostart):
    // the count, the accounts when there are any, and both flags.
    void storeAccounts(const std::string& id, const std::vector<MailAccount>& accounts);
    void storeStartWithSystem(const std::string& id, bool on);
    void storeStartServerAfterLogin(const std::string& id, bool on);

    // The code page the handheld talks in ("UTF-8" when missing, written
    // back). A name iconv cannot convert, or one that changes ASCII, reads
    // as "UTF-8".
    std::string readCodePage();
    // Stores a code page by its usual name ("cp949" and "euc-kr" store
    // "CP949"); false, storing nothing, for a name that readCodePage()
    // would not use.
    bool storeCodePage(const std::string& name);

    // The ports the server listens on (4000, 4040 and 91 when missing,
    // written back); a value that is no port reads as the default.
    service::ListenPorts readPorts();
    void storePorts(const service::ListenPorts& ports);

private:
    std::string value(const std::string& key, const char* defaultValue);
    bool flag(const std::string& key);

    platform::Profile& m_profile;
};

} // namespace pc::app
