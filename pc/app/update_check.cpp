#include "pc/app/update_check.h"

#include "pc/app/user_settings.h"
#include "platform/trace.h"

#include <fstream>

namespace pc::app {

namespace {

constexpr std::string_view kTitle = "Quillon";
constexpr std::string_view kUpdateQuestion = "Quillon 새버전이 나왔습니다.\n업데이트 하시겠습니까?";
constexpr std::string_view kServerKey = "updateserver";
constexpr std::string_view kCommandKey = "updatecommand";
constexpr std::string_view kUpdateProgram = "Update";
constexpr long kHttpOk = 200;

std::string firstValue(std::string_view text)
{
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return {};
    std::string_view rest = text.substr(colon + 1);
    return std::string(rest.substr(0, rest.find('\n')));
}

// The version file's URL: the server value as a base when it names its
// scheme ("http://host:8080" for a server without TLS), else https, whose
// certificate must be trusted.
std::string versionFileUrl(const std::string& server)
{
    std::string base = server.starts_with("http://") || server.starts_with("https://") ? server : "https://" + server;
    while (base.ends_with('/'))
        base.pop_back();
    return base + std::string(UpdateCheck::kRemotePath);
}

} // namespace

VersionValues remoteVersionValues(std::string_view remote)
{
    VersionValues values { firstValue(remote), {} };
    std::size_t first = remote.find(':');
    std::size_t second = first == std::string_view::npos ? first : remote.find(':', first + 1);
    if (second != std::string_view::npos)
        values.second = std::string(remote.substr(second + 1));
    return values;
}

VersionValues localVersionValues(std::string_view local)
{
    VersionValues values { firstValue(local), {} };
    std::size_t last = local.rfind(':');
    if (last != std::string_view::npos)
        values.second = std::string(local.substr(last + 1));
    return values;
}

bool isNewerVersionOffered(std::string_view remote, std::string_view local)
{
    return remoteVersionValues(remote) != localVersionValues(local);
}

UpdateCheck::UpdateCheck(platform::Profile& profile, platform::Ui& ui, DesktopLauncher& launcher,
    std::filesystem::path programFolder, platform::HttpFetchOptions fetchOptions)
    : m_profile(profile)
    , m_ui(ui)
    , m_launcher(launcher)
    , m_programFolder(std::move(programFolder))
    , m_fetchOptions(std::move(fetchOptions))
{
}

platform::HttpFetchOptions UpdateCheck::defaultFetchOptions()
{
    platform::HttpFetchOptions options;
    // The window waits for the check; an unreachable server must not hold
    // the start-up for long.
    options.connectTimeout = std::chrono::milliseconds(5000);
    options.idleTimeout = std::chrono::milliseconds(10000);
    options.userAgent = "Quillon";
    return options;
}

std::optional<std::string> UpdateCheck::fetchRemote(const std::string& host)
{
    platform::HttpFetch fetch(m_fetchOptions);
    std::string body;
    auto response = fetch.get(versionFileUrl(host), [&](std::string_view block) {
        body.append(block);
        return body.size() <= kMaxRemoteBytes;
    });
    if (!response) {
        platform::trace("update check: " + platform::describe(response.error()));
        // A server that cannot prove who it is may be someone else's: say
        // so, since the check is otherwise silent.
        if (response.error().code == platform::ErrorCode::PermissionDenied)
            m_ui.messageBox(kTitle, "업데이트 서버에 연결하지 않았습니다.\n" + response.error().context,
                platform::Icon::Warning);
        return std::nullopt;
    }
    if (response->cancelled || response->status != kHttpOk)
        return std::nullopt;
    return body;
}

std::optional<std::string> UpdateCheck::readLocal() const
{
    std::ifstream file(m_programFolder / std::string(kVersionFile), std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string text(kLocalBytes, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
}

std::string UpdateCheck::updateCommand() const
{
    std::string configured = m_profile.getString(SettingsStore::kSection, kCommandKey, "");
    if (!configured.empty())
        return configured;
    return shellQuote((m_programFolder / std::string(kUpdateProgram)).string());
}

UpdateOutcome UpdateCheck::run()
{
    std::string host = m_profile.getString(SettingsStore::kSection, kServerKey, "");
    if (host.empty())
        return UpdateOutcome::NoUpdate;
    auto remote = fetchRemote(host);
    if (!remote)
        return UpdateOutcome::NoUpdate;
    auto local = readLocal();
    if (!local)
        return UpdateOutcome::NoUpdate;
    if (!isNewerVersionOffered(*remote, *local))
        return UpdateOutcome::NoUpdate;
    if (m_ui.question(kTitle, kUpdateQuestion, platform::Buttons::YesNo, platform::Icon::Information)
        != platform::Answer::Yes)
        return UpdateOutcome::NoUpdate;
    m_launcher.runCommand(updateCommand());
    return UpdateOutcome::UpdateChosen;
}

} // namespace pc::app
