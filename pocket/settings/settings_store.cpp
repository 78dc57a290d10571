#include "pocket/settings/settings_store.h"

#include "platform/codepage.h"
#include "platform/registry.h"

#include <system_error>

namespace pocket::settings {

namespace {

// A string value that fits its capacity; a longer one is not read, as a
// registry read into a buffer too small for it fails.
std::optional<std::string> readString(const platform::Registry& registry, std::string_view name, std::size_t maxChars)
{
    auto value = registry.getString(kSettingsKey, name);
    if (!value || platform::countCodePoints(*value) > maxChars)
        return std::nullopt;
    return value;
}

void readFlag(const platform::Registry& registry, std::string_view name, int& flag)
{
    if (auto value = registry.getDword(kSettingsKey, name))
        flag = *value != 0 ? 1 : 0;
}

int readNonZero(const platform::Registry& registry, std::string_view name, int fallback)
{
    auto value = registry.getDword(kSettingsKey, name);
    return value && *value != 0 ? static_cast<int>(*value) : fallback;
}

std::uint16_t readPort(const platform::Registry& registry, std::string_view name, std::uint16_t fallback)
{
    auto value = registry.getDword(kSettingsKey, name);
    return value && *value != 0 && *value <= 65535 ? static_cast<std::uint16_t>(*value) : fallback;
}

void readPath(const platform::Registry& registry, std::string_view name, std::string& path, std::string fallback)
{
    path = readString(registry, name, kPathChars).value_or("");
    if (path.empty())
        path = std::move(fallback);
}

} // namespace

SettingsStore::SettingsStore(platform::Registry& registry, const device::DeviceRoot& device)
    : m_registry(registry)
    , m_device(device)
{
}

bool SettingsStore::createKey()
{
    return m_registry.createKey(kSettingsKey).hasValue();
}

void SettingsStore::load(PdaSettings& settings) const
{
    const auto& registry = m_registry;
    if (!registry.keyExists(kSettingsKey))
        return;
    if (auto value = registry.getDword(kSettingsKey, "save"))
        settings.save = static_cast<int>(*value);
    if (auto value = registry.getDword(kSettingsKey, "mailviewperiod"))
        settings.mailViewPeriod = static_cast<std::int32_t>(*value);
    if (auto value = registry.getDword(kSettingsKey, "mailformat"))
        settings.mailFormat = static_cast<int>(*value);
    readFlag(registry, "msncheck", settings.msnCheck);
    readFlag(registry, "icqcheck", settings.icqCheck);
    readFlag(registry, "yahoocheck", settings.yahooCheck);
    if (auto value = registry.getDword(kSettingsKey, "Auto-Dial"))
        settings.autoDial = static_cast<int>(*value);
    if (auto value = registry.getDword(kSettingsKey, "Auto-Disconnection"))
        settings.autoDisconnection = static_cast<int>(*value);
    settings.maxFileList = readNonZero(registry, "max_filelist", kDefaultMaxFileList);
    settings.maxFileSizeKb = readNonZero(registry, "maxfilesize", kDefaultMaxFileSizeKb);
    settings.pcPort = readPort(registry, "PC_PORT", kDefaultPcPort);
    settings.pcUploadPort = readPort(registry, "PC_UPLOAD_PORT", kDefaultPcUploadPort);
    settings.pcWebPort = readPort(registry, "PC_WEB_PORT", kDefaultPcWebPort);

    settings.myConnection = readString(registry, "my-connection", kConnectionNameChars).value_or("");
    // The MSN texts travel in the ANSI code page, within 255 bytes.
    settings.msnId = std::string(platform::cutBytes(readString(registry, "MSNID", kMsnTextBytes).value_or(""), kMsnTextBytes));
    settings.msnPassword = std::string(platform::cutBytes(readString(registry, "MSNPASS", kMsnTextBytes).value_or(""), kMsnTextBytes));
    settings.icqId = readString(registry, "ICQID", kAccountChars).value_or("");
    settings.icqPassword = readString(registry, "ICQPASS", kAccountChars).value_or("");
    settings.yahooId = readString(registry, "YAHOOID", kAccountChars).value_or("");
    settings.yahooPassword = readString(registry, "YAHOOPASS", kAccountChars).value_or("");
    settings.serverIp = readString(registry, "SEVER_IP", kPcFieldChars).value_or("");
    settings.myId = readString(registry, "MY_ID", kPcFieldChars).value_or("");
    settings.myPassword = readString(registry, "MY_PASSWORD", kPcFieldChars).value_or("");
    readPath(registry, "saveMailPath", settings.saveMailPath, defaultMailPath());
    readPath(registry, "webFolderPath", settings.webFolderPath, defaultWebPath());
    readPath(registry, "saveFilePath", settings.saveFilePath, defaultFilePath());
    readPath(registry, "sndMailPath", settings.sndMailPath, defaultSendMailPath());
    settings.inbox = readString(registry, "Inbox", kInboxChars).value_or("");
    if (settings.inbox.empty())
        settings.inbox = kDefaultInbox;
    settings.messengerLayoutCode = messengerLayoutCode(settings.msnCheck, settings.icqCheck, settings.yahooCheck);
}

void SettingsStore::createFolders(const PdaSettings& settings) const
{
    std::error_code ignored;
    auto home = m_device.toLocal(kServiceHome);
    std::filesystem::create_directory(home, ignored);
    for (const char* name : { "ICQ", "MSN", "YAHOO" })
        std::filesystem::create_directory(home / name, ignored);
    for (const auto* path : { &settings.saveMailPath, &settings.webFolderPath, &settings.saveFilePath, &settings.sndMailPath })
        std::filesystem::create_directory(m_device.toLocal(*path), ignored);
}

bool SettingsStore::setDword(std::string_view name, std::int64_t value)
{
    return m_registry.setDword(kSettingsKey, name, static_cast<std::uint32_t>(value)).hasValue();
}

bool SettingsStore::setString(std::string_view name, std::string_view value)
{
    return m_registry.setString(kSettingsKey, name, value).hasValue();
}

bool SettingsStore::storePcLogin(const PdaSettings& settings)
{
    bool ok = setDword("save", settings.save);
    if (settings.save == 1) {
        ok = setString("MY_ID", settings.myId) && ok;
        ok = setString("MY_PASSWORD", settings.myPassword) && ok;
    }
    return ok;
}

bool SettingsStore::storeMessengerAccounts(const PdaSettings& settings)
{
    bool ok = setDword("msncheck", settings.msnCheck);
    ok = setDword("icqcheck", settings.icqCheck) && ok;
    ok = setDword("yahoocheck", settings.yahooCheck) && ok;
    ok = setString("MSNID", settings.msnId) && ok;
    ok = setString("MSNPASS", settings.msnPassword) && ok;
    ok = setString("ICQID", settings.icqId) && ok;
    ok = setString("ICQPASS", settings.icqPassword) && ok;
    ok = setString("YAHOOID", settings.yahooId) && ok;
    ok = setString("YAHOOPASS", settings.yahooPassword) && ok;
    return ok;
}

bool SettingsStore::storeConnection(const PdaSettings& settings)
{
    bool ok = setDword("Auto-Dial", settings.autoDial);
    ok = setDword("Auto-Disconnection", settings.autoDisconnection) && ok;
    ok = setString("my-connection", settings.myConnection) && ok;
    ok = setString("SEVER_IP", settings.serverIp) && ok;
    return ok;
}

bool SettingsStore::storePorts(const PdaSettings& settings)
{
    bool ok = setDword("PC_PORT", settings.pcPort);
    ok = setDword("PC_UPLOAD_PORT", settings.pcUploadPort) && ok;
    ok = setDword("PC_WEB_PORT", settings.pcWebPort) && ok;
    return ok;
}

bool SettingsStore::storeFolders(PdaSettings& settings, const FolderValues& edited)
{
    bool ok = true;
    auto update = [&](std::string_view name, std::string& current, const std::string& value, std::size_t maxChars) {
        std::string cut = std::string(platform::cutCodePoints(value, maxChars));
        if (cut == current)
            return;
        ok = setString(name, cut) && ok;
        current = cut;
    };
    update("Inbox", settings.inbox, edited.inbox, kInboxChars);
    update("webFolderPath", settings.webFolderPath, edited.webFolderPath, kPathChars);
    update("saveFilePath", settings.saveFilePath, edited.saveFilePath, kPathChars);
    update("sndMailPath", settings.sndMailPath, edited.sndMailPath, kPathChars);
    settings.mailViewPeriod = edited.mailViewPeriod;
    ok = setDword("mailviewperiod", settings.mailViewPeriod) && ok;
    createFolders(settings);
    return ok;
}

bool SettingsStore::storeFileOptions(const PdaSettings& settings)
{
    if (!m_registry.keyExists(kSettingsKey))
        return false;
    bool ok = setDword("max_filelist", settings.maxFileList);
    return setDword("maxfilesize", settings.maxFileSizeKb) && ok;
}

bool SettingsStore::storeMailFormat(const PdaSettings& settings)
{
    return setDword("mailformat", settings.mailFormat);
}

} // namespace pocket::settings
