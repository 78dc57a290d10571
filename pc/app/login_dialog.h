#pragma once

// File: pc/app/login_dialog.h
// The login dialog's logic, shared by the Qt dialog and the console form:
// it pre-fills the remembered id and password, checks the entries, stores
// what the dialog stores and yields the credentials of this run. The view
// draws the fields; the Ui shows the messages. Window thread only.

#include "pc/app/user_settings.h"
#include "pc/service/session.h"
#include "platform/ui.h"

#include <optional>
#include <string>

namespace pc::app {

// What the dialog shows.
class LoginView {
public:
    virtual ~LoginView() = default;
    virtual void showLoginFields(const std::string& id, const std::string& password, bool rememberId,
        bool rememberPassword)
        = 0;
};

struct LoginEntry {
    std::string id;
    std::string password;
    bool rememberId = false;
    bool rememberPassword = false;
};

// Cancel on the dialog at start-up: says that the program ends without a
// log-in and asks; true to end, false to show the dialog again.
bool confirmLoginCancel(platform::Ui& ui);

class LoginDialog {
public:
    LoginDialog(SettingsStore& store, platform::Ui& ui);

    // An id given on the command line (--id): the dialog opens with it, and
    // with the remembered password only when that belongs to this id.
    void setIdOption(std::optional<std::string> id) { m_idOption = std::move(id); }

    // Reads the remembered values (writing missing defaults) and returns what
    // the fields start with; also shows them on the view when one is given.
    LoginEntry open(LoginView* view = nullptr);

    // OK: false (after a message) when the id or the password is empty; the
    // dialog then stays open. On true the entry is stored and becomes the
    // credentials of this run.
    bool accept(const LoginEntry& entry);

    const std::optional<service::Credentials>& credentials() const { return m_credentials; }

private:
    SettingsStore& m_store;
    platform::Ui& m_ui;
    std::optional<service::Credentials> m_credentials;
    std::optional<std::string> m_idOption;
};

} // namespace pc::app
