#include "pc/app/login_dialog.h"

namespace pc::app {

namespace {
constexpr const char* kTitle = "Quillon";
constexpr const char* kCancelQuestion = "서버를 시작하려면 아이디와 비밀번호가 필요합니다.\n"
                                        "로그인하지 않으면 Quillon을 종료합니다. 종료하시겠습니까?";
}

bool confirmLoginCancel(platform::Ui& ui)
{
    return ui.question(kTitle, kCancelQuestion, platform::Buttons::OkCancel, platform::Icon::Warning)
        == platform::Answer::Ok;
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
    if (m_idOption && !m_idOption->empty()) {
        // A remembered password belongs to the remembered id only.
        if (*m_idOption != values.savedId || !values.isIdSaved)
            entry.password.clear();
        entry.id = *m_idOption;
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
