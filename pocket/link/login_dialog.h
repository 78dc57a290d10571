#pragma once

// File: pocket/link/login_dialog.h
// The log-in dialog of the PC link ("접속하기"): id, password and "저 장"
// (remember), with "접속" and "취소". It checks the fields, stores the PC
// log-in, opens the command connection and sends the log-in request. The
// dialog stays open until the PC accepts the log-in; a refused one leaves the
// id in place and the focus on the password. Window thread only.

#include <string>

namespace platform {
class Ui;
}

namespace pocket::settings {
class SettingsStore;
struct PdaSettings;
}

namespace pocket::link {

class PcLink;

class LoginDialogView {
public:
    virtual ~LoginDialogView() = default;
    virtual void setFields(const std::string& id, const std::string& password, bool remember) = 0;
    virtual void focusId() = 0;
    virtual void focusPassword() = 0;
    virtual void close() = 0;
};

class LoginDialog {
public:
    LoginDialog(PcLink& link, settings::SettingsStore& store, settings::PdaSettings& settings, platform::Ui& ui, LoginDialogView& view);

    // Fills the fields from the remembered log-in when "save" is 1, else
    // the id typed since the program started; the focus goes to the first
    // empty field.
    void show();
    // "접속". True when the log-in request went out; the dialog closes when
    // the PC accepts it.
    bool connect(const std::string& id, const std::string& password, bool remember);
    bool isAwaitingAnswer() const { return m_awaiting; }
    // "취소": closes and forgets a mail attachment waiting for the log-in.
    void cancel();

private:
    void onLoginAnswer(bool accepted);

    PcLink& m_link;
    settings::SettingsStore& m_store;
    settings::PdaSettings& m_settings;
    platform::Ui& m_ui;
    LoginDialogView& m_view;
    std::string m_typedId;
    bool m_awaiting = false;
};

} // namespace pocket::link
