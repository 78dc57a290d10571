#include "pocket/settings/options_sheet.h"

#include "platform/codepage.h"
#include "platform/ui.h"
#include "pocket/settings/dial_up.h"
#include "pocket/settings/host_port.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/settings/settings_store.h"

namespace pocket::settings {

namespace {

constexpr const char* kTitle = "Quillon";
constexpr const char* kAllMail = "모두보기";

} // namespace

OptionsSheet::OptionsSheet(SettingsStore& store, PdaSettings& settings, platform::Ui& ui, DialUp& dialUp,
    MessengerHost& host)
    : m_store(store)
    , m_settings(settings)
    , m_ui(ui)
    , m_dialUp(dialUp)
    , m_host(host)
{
}

void OptionsSheet::open()
{
    m_open = true;
    m_applyFlag = false;
    m_accounts.reset();
    m_connections.reset();
    m_folders.reset();
}

AccountsFields& OptionsSheet::showAccounts()
{
    if (!m_accounts) {
        m_applyFlag = false;
        const auto& s = m_settings;
        m_accounts = AccountsFields { s.msnCheck == 1, s.msnId, s.msnPassword, s.icqCheck == 1, s.icqId,
            s.icqPassword, s.yahooCheck == 1, s.yahooId, s.yahooPassword };
    }
    return *m_accounts;
}

ConnectionsFields& OptionsSheet::showConnections()
{
    if (!m_connections) {
        m_applyFlag = false;
        ConnectionsFields fields;
        fields.pcIp = m_settings.serverIp;
        fields.autoDial = m_settings.autoDial != 0;
        fields.autoDisconnection = m_settings.autoDisconnection != 0;
        fields.entries = m_dialUp.phonebookEntries();
        fields.pcPort = m_settings.pcPort;
        fields.pcUploadPort = m_settings.pcUploadPort;
        fields.pcWebPort = m_settings.pcWebPort;
        m_connections = std::move(fields);
        // The first entry whose name begins with the stored name.
        std::optional<std::size_t> match;
        for (std::size_t i = 0; i < m_connections->entries.size() && !match; ++i) {
            if (m_connections->entries[i].starts_with(m_settings.myConnection))
                match = i;
        }
        selectConnection(match);
        if (!match) {
            m_connections->autoDial = false;
            m_connections->autoDisconnection = false;
        }
    }
    return *m_connections;
}

FolderFields& OptionsSheet::showFolders()
{
    if (!m_folders) {
        m_applyFlag = false;
        const auto& s = m_settings;
        m_folders = FolderFields { s.inbox, periodText(s.mailViewPeriod), s.webFolderPath, s.saveFilePath, s.sndMailPath };
    }
    return *m_folders;
}

void OptionsSheet::selectConnection(std::optional<std::size_t> index)
{
    auto& fields = *m_connections;
    if (index && *index < fields.entries.size()) {
        fields.connection = fields.entries[*index];
        fields.checksEnabled = true;
    } else {
        fields.connection.clear();
        fields.checksEnabled = false;
    }
}

bool OptionsSheet::setAutoDial(bool checked)
{
    auto& fields = showConnections();
    if (!fields.checksEnabled)
        return false;
    fields.autoDial = checked;
    if (checked)
        m_ui.messageBox(kTitle, "모뎀의 연결 상태를 체크후, 선택하신 모뎀을 이용하여 로그인합니다.", platform::Icon::Information);
    return true;
}

bool OptionsSheet::setAutoDisconnection(bool checked)
{
    auto& fields = showConnections();
    if (!fields.checksEnabled)
        return false;
    fields.autoDisconnection = checked;
    if (checked)
        m_ui.messageBox(kTitle, "프로그램종료시 모뎀연결을 자동종료합니다.", platform::Icon::Information);
    return true;
}

void OptionsSheet::chooseFolder(std::string& edit, const std::string& chosen)
{
    if (m_ui.question(kTitle, chosen + "\n로 하시겠습니까?", platform::Buttons::OkCancel) == platform::Answer::Ok)
        edit = chosen;
}

bool OptionsSheet::apply(OptionsPage page, bool ask)
{
    if (ask && m_ui.question(kTitle, "설정하시겠습니까?", platform::Buttons::OkCancel) != platform::Answer::Ok)
        return false;
    if (page == OptionsPage::Accounts && !validateAccounts())
        return false;
    m_applyFlag = true;
    close(true);
    return true;
}

void OptionsSheet::cancel()
{
    m_applyFlag = false;
    close(false);
}

bool OptionsSheet::validateAccounts()
{
    const auto& a = showAccounts();
    struct Check {
        bool checked;
        const std::string& id;
        const std::string& password;
        const char* text;
    };
    const Check checks[] = {
        { a.msn, a.msnId, a.msnPassword, "MSN사용자 정보를 입력해주세요." },
        { a.icq, a.icqId, a.icqPassword, "ICQ사용자 정보를 입력해주세요." },
        { a.yahoo, a.yahooId, a.yahooPassword, "YAHOO사용자 정보를 입력해주세요." },
    };
    for (const auto& check : checks) {
        if (check.checked && (check.id.empty() || check.password.empty())) {
            m_ui.messageBox(kTitle, check.text, platform::Icon::Warning);
            return false;
        }
    }
    return true;
}

void OptionsSheet::close(bool applied)
{
    if (applied && m_applyFlag) {
        if (m_accounts)
            storeAccounts();
        if (m_connections)
            storeConnections();
        if (m_folders)
            storeFolders();
    }
    m_open = false;
    m_accounts.reset();
    m_connections.reset();
    m_folders.reset();
}

void OptionsSheet::storeAccounts()
{
    const auto& a = *m_accounts;
    auto& s = m_settings;
    std::string msnId(platform::cutBytes(platform::cutCodePoints(a.msnId, kMsnTextBytes), kMsnTextBytes));
    std::string msnPassword(platform::cutBytes(platform::cutCodePoints(a.msnPassword, kMsnTextBytes), kMsnTextBytes));
    if (msnId != s.msnId) {
        m_host.setMsnStatusLine(msnId.empty() ? std::string("사용자 정보를 등록해주세요.") : msnId + " (오프라인)");
        m_host.signOutMsn();
    }
    s.msnId = msnId;
    s.msnPassword = msnPassword;
    s.yahooId = std::string(platform::cutCodePoints(a.yahooId, kAccountChars));
    s.yahooPassword = std::string(platform::cutCodePoints(a.yahooPassword, kAccountChars));
    s.msnCheck = a.msn ? 1 : 0;
    s.icqCheck = a.icq ? 1 : 0;
    s.yahooCheck = a.yahoo ? 1 : 0;
    std::string icqId(platform::cutCodePoints(a.icqId, kAccountChars));
    bool icqChanged = icqId != s.icqId;
    s.icqId = icqId;
    s.icqPassword = std::string(platform::cutCodePoints(a.icqPassword, kAccountChars));
    if (icqChanged)
        m_host.resetIcq(s.icqId);
    (void)m_store.storeMessengerAccounts(s);
    int layout = messengerLayoutCode(s.msnCheck, s.icqCheck, s.yahooCheck);
    if (layout != s.messengerLayoutCode) {
        s.messengerLayoutCode = layout;
        m_host.rebuildMessengerTabs();
    }
    if (!a.msn)
        m_host.signOutMsn();
    if (!a.icq)
        m_host.closeIcq();
}

void OptionsSheet::storeConnections()
{
    auto& c = *m_connections;
    auto& s = m_settings;
    s.autoDial = c.autoDial ? 1 : 0;
    s.autoDisconnection = c.autoDisconnection ? 1 : 0;
    // "PC IP" may name the command port too ("host:port").
    auto address = splitHostPort(c.pcIp);
    s.serverIp = std::string(platform::cutCodePoints(address.host, kPcFieldChars));
    s.myConnection = std::string(platform::cutCodePoints(c.connection, kConnectionNameChars));
    (void)m_store.storeConnection(s);
    if (address.port) {
        c.pcIp = s.serverIp;
        c.pcPort = *address.port;
    }
    if (c.pcPort != 0 && c.pcUploadPort != 0 && c.pcWebPort != 0) {
        s.pcPort = c.pcPort;
        s.pcUploadPort = c.pcUploadPort;
        s.pcWebPort = c.pcWebPort;
        (void)m_store.storePorts(s);
    }
}

void OptionsSheet::storeFolders()
{
    const auto& f = *m_folders;
    (void)m_store.storeFolders(m_settings,
        { f.inbox, f.webFolderPath, f.saveFilePath, f.sndMailPath, periodDays(f.period) });
}

std::string OptionsSheet::periodText(int days)
{
    return days == -1 ? std::string(kAllMail) : std::to_string(days) + "일";
}

int OptionsSheet::periodDays(const std::string& text)
{
    for (int days : { 1, 5, 10, 30 }) {
        if (text == std::to_string(days) + "일")
            return days;
    }
    return -1;
}

} // namespace pocket::settings
