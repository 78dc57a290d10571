#include "pc/app/login_dialog.h"

namespace pc::app {

namespace {
constexpr const char* kTitle = "Quillon";
}

LoginDialog::LoginDialog(SettingsStore& store, platform::Ui& ui)
    : m_store(store)
    , m_ui(ui)
{
}

LoginEntry LoginDialog::open(LoginView* view)
{
    LoginValues values = m_store.readLogin();
    LoginEntry entry;
    if (values.isIdSaved) {
        entry.id = values.savedId;
        entry.rememberId = true;
    }
    if (values.isPasswordSaved) {
        entry.password = values.savedPassword;
        entry.rememberPassword = true;
    }
    if (view)
        view->showLoginFields(entry.id, entry.password, entry.rememberId, entry.rememberPassword);
    return entry;
}

bool LoginDialog::accept(const LoginEntry& entry)
{
    if (entry.id.empty()) {
        m_ui.messageBox(kTitle, "아이디를 입력해주세요.", platform::Icon::Warning);
        return false;
    }
    if (entry.password.empty()) {
        m_ui.messageBox(kTitle, "패스워드를 입력해주세요.", platform::Icon::Warning);
        return false;
    }
    m_store.writeLogin(entry.id, entry.password, entry.rememberId, entry.rememberPassword);
    m_credentials = service::Credentials { entry.id, entry.password };
    return true;
}

} // namespace pc::app
