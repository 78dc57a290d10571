#include "pc/app/user_settings.h"

#include "platform/codepage.h"
#include "platform/port_number.h"

namespace pc::app {

namespace {

const char* textOf(bool on)
{
    return on ? "true" : "false";
}

// The usual name of a code page ("CP949" for its Korean aliases, "UTF-8"),
// or "" when iconv cannot convert between it and UTF-8, or when it does not
// keep ASCII as it is (UTF-16 ...): the command markers and numbers must
// read the same in every code page.
std::string codePageName(const std::string& name)
{
    constexpr std::string_view kAscii = "0xx0:12 0xx1:306 0xx2:C:\\a_b.txt\n";
    std::string usual = platform::charsetName(name);
    if (!platform::isKnownCodePage(usual) || platform::fromUtf8(kAscii, usual) != kAscii)
        return {};
    return usual;
}

} // namespace

SettingsStore::SettingsStore(platform::Profile& profile)
    : m_profile(profile)
{
}

std::string SettingsStore::value(const std::string& key, const char* defaultValue)
{
    return m_profile.getOrWriteDefault(kSection, key, defaultValue);
}

bool SettingsStore::flag(const std::string& key)
{
    return value(key, "false") == "true";
}

LoginValues SettingsStore::readLogin()
{
    LoginValues values;
    values.savedId = value("savedid", "");
    values.savedPassword = value("savedpw", "");
    values.isIdSaved = value("idsaved", "false") != "false";
    values.isPasswordSaved = value("pwsaved", "false") != "false";
    return values;
}

void SettingsStore::writeLogin(const std::string& id, const std::string& password, bool rememberId,
    bool rememberPassword)
{
    // Profile writes are not verified. The password reaches the disk only
    // when the user asks to remember it; otherwise an earlier one is wiped.
    (void)m_profile.writeString(kSection, "savedid", id);
    (void)m_profile.writeString(kSection, "savedpw", rememberPassword ? password : std::string());
    (void)m_profile.writeString(kSection, "idsaved", textOf(rememberId));
    (void)m_profile.writeString(kSection, "pwsaved", textOf(rememberPassword));
}

UserSettings SettingsStore::loadUserSettings(const std::string& id)
{
    UserSettings settings;
    settings.startWithSystem = flag(id + "_check1");
    settings.startServerAfterLogin = flag(id + "_check2");
    std::string countKey = id + "_pop3cnt";
    if (!m_profile.hasKey(kSection, countKey)) {
        (void)m_profile.writeString(kSection, countKey, "0");
        return settings;
    }
    int count = m_profile.getInt(kSection, countKey, 0);
    std::string info = value(id + "_pop3info", "");
    settings.accounts = decodeMailAccounts(info, count);
    decodeMailSecurity(m_profile.getString(kSection, id + "_pop3tls", ""), settings.accounts);
    return settings;
}

void SettingsStore::storeAccounts(const std::string& id, const std::vector<MailAccount>& accounts)
{
    (void)m_profile.writeString(kSection, id + "_pop3cnt", std::to_string(accounts.size()));
    // With no accounts the old list stays and is ignored.
    if (!accounts.empty()) {
        (void)m_profile.writeString(kSection, id + "_pop3info", encodeMailAccounts(accounts));
        (void)m_profile.writeString(kSection, id + "_pop3tls", encodeMailSecurity(accounts));
    }
}

std::string SettingsStore::readCodePage()
{
    std::string name = codePageName(value(kCodePageKey, std::string(platform::kUtf8).c_str()));
    return name.empty() ? std::string(platform::kUtf8) : name;
}

bool SettingsStore::storeCodePage(const std::string& name)
{
    std::string usual = codePageName(name);
    if (usual.empty())
        return false;
    (void)m_profile.writeString(kSection, kCodePageKey, usual);
    return true;
}

service::ListenPorts SettingsStore::readPorts()
{
    service::ListenPorts ports;
    for (auto [key, port] : { std::pair { kCommandPortKey, &ports.command }, std::pair { kUploadPortKey, &ports.upload },
             std::pair { kWebPortKey, &ports.web } }) {
        if (auto stored = platform::parsePortNumber(value(key, std::to_string(*port).c_str())))
            *port = *stored;
    }
    return ports;
}

void SettingsStore::storePorts(const service::ListenPorts& ports)
{
    (void)m_profile.writeString(kSection, kCommandPortKey, std::to_string(ports.command));
    (void)m_profile.writeString(kSection, kUploadPortKey, std::to_string(ports.upload));
    (void)m_profile.writeString(kSection, kWebPortKey, std::to_string(ports.web));
}

void SettingsStore::storeStartWithSystem(const std::string& id, bool on)
{
    (void)m_profile.writeString(kSection, id + "_check1", textOf(on));
}

void SettingsStore::storeStartServerAfterLogin(const std::string& id, bool on)
{
    (void)m_profile.writeString(kSection, id + "_check2", textOf(on));
}

} // namespace pc::app
