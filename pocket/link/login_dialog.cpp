#include "pocket/link/login_dialog.h"

#include "platform/codepage.h"
#include "platform/ui.h"
#include "pocket/link/pc_link.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/settings/settings_store.h"

namespace pocket::link {

namespace {

constexpr const char* kTitle = "Quillon";
constexpr const char* kFailureTitle = "Quillon - 접속 실패!";
constexpr const char* kNoAddressText = "환경 설정에서 PC IP 를 입력해 주십시오.";
constexpr const char* kNoIdText = "아이디를 입력해주세요.";
constexpr const char* kNoPasswordText = "비밀번호를 입력해주세요.";
constexpr const char* kConnectFailedText = "원인..\n1.PC 프로그램이 실행되어있지 않았을 경우.\n"
                                           "2.PC의 IP가 사설IP일 경우.\n3.PDA가 인터넷에 연결되어있지 않을 경우.";

} // namespace

LoginDialog::LoginDialog(PcLink& link, settings::SettingsStore& store, settings::PdaSettings& settings, platform::Ui& ui,
    LoginDialogView& view)
    : m_link(link)
    , m_store(store)
    , m_settings(settings)
    , m_ui(ui)
    , m_view(view)
{
    m_link.setLoginListener([this](bool accepted) { onLoginAnswer(accepted); });
}

void LoginDialog::show()
{
    m_awaiting = false;
    const bool remembered = m_settings.save == 1;
    const std::string id = remembered ? m_settings.myId : m_typedId;
    m_view.setFields(id, remembered ? m_settings.myPassword : std::string(), remembered);
    if (id.empty())
        m_view.focusId();
    else
        m_view.focusPassword();
}

bool LoginDialog::connect(const std::string& id, const std::string& password, bool remember)
{
    if (m_settings.serverIp.empty()) {
        m_ui.messageBox(kTitle, kNoAddressText, platform::Icon::Warning);
        return false;
    }
    if (id.empty()) {
        m_ui.messageBox(kTitle, kNoIdText, platform::Icon::Warning);
        m_view.focusId();
        return false;
    }
    if (password.empty()) {
        m_ui.messageBox(kTitle, kNoPasswordText, platform::Icon::Warning);
        m_view.focusPassword();
        return false;
    }
    m_settings.myId = std::string(platform::cutCodePoints(id, settings::kPcFieldChars));
    m_settings.myPassword = std::string(platform::cutCodePoints(password, settings::kPcFieldChars));
    m_settings.save = remember ? 1 : 0;
    m_typedId = m_settings.myId;
    (void)m_store.storePcLogin(m_settings);

    if (!m_link.connect()) {
        // The causes, and below them what was tried and what happened.
        m_ui.messageBox(kFailureTitle, std::string(kConnectFailedText) + "\n\n" + m_link.lastAttemptText(),
            platform::Icon::Warning);
        return false;
    }
    m_awaiting = m_link.sendLogin(m_settings.myId, m_settings.myPassword);
    return m_awaiting;
}

void LoginDialog::onLoginAnswer(bool accepted)
{
    if (!m_awaiting)
        return;
    m_awaiting = false;
    if (accepted) {
        m_view.close();
        return;
    }
    m_view.setFields(m_settings.myId, {}, m_settings.save == 1);
    m_view.focusPassword();
}

void LoginDialog::cancel()
{
    m_awaiting = false;
    m_view.close();
    m_link.clearAttachmentWaiting();
}

} // namespace pocket::link
