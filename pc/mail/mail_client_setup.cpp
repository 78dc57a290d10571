#include "pc/mail/mail_client_setup.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace pc::mail {

namespace {

constexpr std::string_view kDefaultValue = "";
constexpr std::string_view kSeededClient = "Outlook Express";
constexpr std::string_view kSeededVersion = "6,0,2900,5512";
constexpr std::string_view kSeededIdentity = "{8DB7E1A0-3C29-4E4B-9F57-5175A11B0001}";

platform::IoResult<void> seedString(platform::Registry& registry, std::string_view key, std::string_view name,
    std::string_view value)
{
    if (registry.getString(key, name))
        return {};
    TRY(registry.createKey(key));
    return registry.setString(key, name, value);
}

bool expressVersionSupported(std::string_view version)
{
    for (std::string_view known : { "5,00,", "5,50,", "6,0," }) {
        if (version.find(known) != std::string_view::npos)
            return true;
    }
    return false;
}

} // namespace

platform::IoResult<void> seedMailRegistry(platform::Registry& registry)
{
    TRY(seedString(registry, kMailClientsKey, kDefaultValue, kSeededClient));
    TRY(seedString(registry, kExpressVersionKey, "Current", kSeededVersion));
    return seedString(registry, kIdentitiesKey, "Default User ID", kSeededIdentity);
}

int readMailClientKind(const platform::Registry& registry)
{
    auto value = registry.getString(kMailClientsKey, kDefaultValue);
    if (!value)
        return kMailClientOutlook;
    std::string upper = *value;
    std::transform(upper.begin(), upper.end(), upper.begin(),
        [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper == "OUTLOOK EXPRESS" ? kMailClientOutlookExpress : kMailClientOutlook;
}

bool setUpMailClient(platform::Registry& registry, int kind, platform::Ui& ui)
{
    if (kind == kMailClientOutlook) {
        if (!registry.keyExists(kOutlookClassKey))
            return false;
        if (registry.keyExists(kOutlookOptionsKey)) {
            (void)registry.setDword(kOutlookOptionsKey, "Poll For Mail", 1);
            (void)registry.setDword(kOutlookOptionsKey, "Poll For Mail Interval", 9999);
        }
        return true;
    }
    auto version = registry.getString(kExpressVersionKey, "Current");
    if (!version || !expressVersionSupported(*version))
        return false;
    auto identity = registry.getString(kIdentitiesKey, "Default User ID");
    if (!identity) {
        ui.messageBox("Quillon", kMailSettingFailed, platform::Icon::Warning);
        return true;
    }
    std::string optionsKey = std::string(kIdentitiesKey) + "\\" + *identity
        + "\\Software\\Microsoft\\Outlook Express\\5.0\\Mail";
    if (registry.createKey(optionsKey)) {
        (void)registry.setDword(optionsKey, "Poll For Mail", 0xFFFFFFFFu);
        (void)registry.setDword(optionsKey, "Check Mail on Startup", 1);
        (void)registry.setDword(optionsKey, "Warn on Mapi Send", 0);
    }
    return true;
}

} // namespace pc::mail
