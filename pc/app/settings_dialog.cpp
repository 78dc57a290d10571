#include "pc/app/settings_dialog.h"

#include "pc/mail/mail_check.h"

#include <algorithm>

namespace pc::app {

namespace {

constexpr const char* kTitle = "Quillon";
constexpr const char* kNothingSelected = "선택된 설정이 없습니다";
constexpr const char* kDeletedMark = "deleted";

} // namespace

bool checkAccountEntry(const MailAccount& account, platform::Ui& ui)
{
    if (account.server.empty()) {
        ui.messageBox(kTitle, "메일서버를 입력해주십시오.", platform::Icon::Warning);
        return false;
    }
    if (account.user.empty()) {
        ui.messageBox(kTitle, "아이디를 입력해주십시오.", platform::Icon::Warning);
        return false;
    }
    if (account.password.empty()) {
        ui.messageBox(kTitle, "비밀번호를 입력해주십시오.", platform::Icon::Warning);
        return false;
    }
    // A backquote would split the stored field.
    for (const auto* field : { &account.server, &account.user, &account.password }) {
        if (field->find('`') != std::string::npos) {
            ui.messageBox(kTitle, "` 문자는 사용할 수 없습니다.", platform::Icon::Warning);
            return false;
        }
    }
    return true;
}

std::string testMailAccount(const MailAccount& account, std::chrono::milliseconds timeout)
{
    mail::Pop3Options options;
    options.timeout = timeout;
    auto cause = mail::logInTest({ account.server, account.user, account.password, account.security }, options);
    mail::AccountFailure outcome { account.server, account.user, cause.value_or("로그인에 성공했습니다.") };
    return outcome.text();
}

SettingsDialog::SettingsDialog(SettingsStore& store, Autostart& autostart, platform::Ui& ui, std::string loginId,
    const UserSettings& current)
    : m_store(store)
    , m_autostart(autostart)
    , m_ui(ui)
    , m_loginId(std::move(loginId))
    , m_accounts(current.accounts)
    , m_startWithSystem(current.startWithSystem)
    , m_startServerAfterLogin(current.startServerAfterLogin)
{
}

void SettingsDialog::attach(SettingsView* view)
{
    m_view = view;
    refresh();
    if (m_view)
        m_view->showStartOptions(m_startWithSystem, m_startServerAfterLogin);
    if (m_view && m_server)
        m_view->showServerSettings(*m_server);
}

void SettingsDialog::setServerSettings(const ServerSettings& settings)
{
    m_server = settings;
    m_serverAsOpened = settings;
    if (m_view)
        m_view->showServerSettings(settings);
}

void SettingsDialog::setPorts(const service::ListenPorts& ports)
{
    if (m_server)
        m_server->ports = ports;
}

void SettingsDialog::setCodePage(const std::string& name)
{
    if (m_server)
        m_server->codePage = name;
}

void SettingsDialog::setLogin(const std::string& id, const std::string& password)
{
    if (!m_server)
        return;
    m_server->loginId = id;
    m_server->password = password;
}

bool SettingsDialog::checkEntries()
{
    if (!m_server)
        return true;
    if (auto problem = service::portsProblem(m_server->ports)) {
        m_ui.messageBox(kTitle, *problem, platform::Icon::Warning);
        return false;
    }
    if (m_server->loginId.empty()) {
        m_ui.messageBox(kTitle, "아이디를 입력해주세요.", platform::Icon::Warning);
        return false;
    }
    if (m_server->password.empty()) {
        m_ui.messageBox(kTitle, "패스워드를 입력해주세요.", platform::Icon::Warning);
        return false;
    }
    return true;
}

void SettingsDialog::applyServerSettings()
{
    if (!m_server || m_server == m_serverAsOpened)
        return;
    std::string note;
    if (m_server->ports != m_serverAsOpened->ports) {
        m_store.storePorts(m_server->ports);
        note += "바뀐 포트(" + service::describePorts(m_server->ports) + ")는 다음 서버 시작부터 사용됩니다.\n";
    }
    if (m_server->codePage != m_serverAsOpened->codePage && m_store.storeCodePage(m_server->codePage))
        note += "바뀐 코드 페이지는 프로그램을 다시 시작하면 적용됩니다.\n";
    if (m_server->loginId != m_serverAsOpened->loginId || m_server->password != m_serverAsOpened->password) {
        // The remembered values follow the new log-in as far as the user
        // asked to remember them.
        LoginValues remembered = m_store.readLogin();
        m_store.writeLogin(m_server->loginId, m_server->password, remembered.isIdSaved, remembered.isPasswordSaved);
        m_loginId = m_server->loginId;
    }
    m_serverAsOpened = m_server;
    if (!note.empty())
        m_ui.messageBox(kTitle, note.substr(0, note.size() - 1), platform::Icon::Information);
}

void SettingsDialog::refresh()
{
    if (!m_view)
        return;
    m_view->showAccounts(m_accounts);
    m_view->setAccountEditingEnabled(!m_accounts.empty());
}

void SettingsDialog::setStartWithSystem(bool on)
{
    m_startWithSystem = on;
}

void SettingsDialog::setStartServerAfterLogin(bool on)
{
    m_startServerAfterLogin = on;
}

bool SettingsDialog::addAccount(const MailAccount& account)
{
    if (!checkAccountEntry(account, m_ui))
        return false;
    if (m_accounts.size() >= kMaxMailAccounts) {
        m_ui.messageBox(kTitle, "메일서버는 30개까지 설정할 수 있습니다.", platform::Icon::Warning);
        return false;
    }
    m_accounts.push_back(account);
    refresh();
    return true;
}

bool SettingsDialog::deleteSelected(const std::vector<std::size_t>& rows)
{
    std::vector<std::size_t> valid;
    for (std::size_t row : rows) {
        if (row < m_accounts.size() && std::find(valid.begin(), valid.end(), row) == valid.end())
            valid.push_back(row);
    }
    if (valid.empty()) {
        m_ui.messageBox(kTitle, kNothingSelected, platform::Icon::Warning);
        return false;
    }
    std::string question = "선택된 " + std::to_string(valid.size()) + "개의 설정을 삭제하시겠습니까?";
    if (m_ui.question(kTitle, question, platform::Buttons::YesNo) != platform::Answer::Yes)
        return false;
    // Rows are marked first and then removed, so that the indices of the
    // other selected rows stay valid while marking.
    std::vector<bool> marked(m_accounts.size(), false);
    for (std::size_t row : valid) {
        m_accounts[row].server = kDeletedMark;
        marked[row] = true;
    }
    std::vector<MailAccount> kept;
    for (std::size_t i = 0; i < m_accounts.size(); ++i) {
        if (!marked[i])
            kept.push_back(std::move(m_accounts[i]));
    }
    m_accounts = std::move(kept);
    refresh();
    return true;
}

bool SettingsDialog::modifySelected(const std::vector<std::size_t>& rows, AccountEditor& editor)
{
    if (rows.empty()) {
        m_ui.messageBox(kTitle, kNothingSelected, platform::Icon::Warning);
        return false;
    }
    if (rows.size() > 1) {
        m_ui.messageBox(kTitle, "한개만 선택하십시오", platform::Icon::Warning);
        return false;
    }
    if (rows.front() >= m_accounts.size()) {
        m_ui.messageBox(kTitle, kNothingSelected, platform::Icon::Warning);
        return false;
    }
    MailAccount& entry = m_accounts[rows.front()];
    auto edited = editor.editAccount("메일서버 수정", entry);
    if (!edited)
        return false;
    if (edited->user.empty()) {
        m_ui.messageBox(kTitle, "아이디를 입력하지 않으셨습니다", platform::Icon::Warning);
        return false;
    }
    if (edited->password.empty()) {
        m_ui.messageBox(kTitle, "비밀번호를 입력하지 않으셨습니다", platform::Icon::Warning);
        return false;
    }
    if (edited->server.empty()) {
        m_ui.messageBox(kTitle, "메일서버를 입력하지 않으셨습니다", platform::Icon::Warning);
        return false;
    }
    entry = *edited;
    refresh();
    return true;
}

UserSettings SettingsDialog::apply()
{
    // A new log-in id takes the dialog's settings along.
    applyServerSettings();
    m_store.storeAccounts(m_loginId, m_accounts);
    if (m_startWithSystem) {
        m_store.storeStartWithSystem(m_loginId, true);
        if (!m_autostart.enable())
            m_ui.messageBox(kTitle, "Can't register file to load automatically", platform::Icon::Error);
    } else {
        m_store.storeStartWithSystem(m_loginId, false);
        m_autostart.disable();
    }
    m_store.storeStartServerAfterLogin(m_loginId, m_startServerAfterLogin);
    return UserSettings { m_startWithSystem, m_startServerAfterLogin, m_accounts };
}

} // namespace pc::app
