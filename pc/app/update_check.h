#pragma once

// File: pc/app/update_check.h
// The update check of the start-up: fetch "/update/QLVER.txt" from the update
// server named in the profile (section "Quillon", key "updateserver", a host
// with an optional port, fetched over https with its certificate checked, or
// a base URL "http://host:port" for a server without TLS; missing or empty:
// no check), compare it with the
// first 100 bytes of the local "QLVER.txt" in the program folder, and when
// either of two values differs ask whether to update. YES starts the update
// command (key "updatecommand", else the program "Update" in the program
// folder) and reports that an update was chosen, which ends the program.
// A failing check never stops the start-up; only a certificate that is not
// trusted is told (a warning naming the server and the reason). Runs on the window thread and
// blocks it while it fetches, with short time-outs.

#include "pc/app/desktop_launcher.h"
#include "platform/http_fetch.h"
#include "platform/profile.h"
#include "platform/ui.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace pc::app {

// The two values a version text is compared by. First value: the text after
// the first ":" up to the next line feed. Second value: in the remote text
// everything after its second ":", in the local text everything after its
// last ":". A text without the ":" it needs gives an empty value.
struct VersionValues {
    std::string first;
    std::string second;

    bool operator==(const VersionValues&) const = default;
};

VersionValues remoteVersionValues(std::string_view remote);
VersionValues localVersionValues(std::string_view local);

// True when either value differs, compared as exact text.
bool isNewerVersionOffered(std::string_view remote, std::string_view local);

enum class UpdateOutcome {
    NoUpdate, // No server, no answer, no local file, same version, or NO.
    UpdateChosen, // YES: the update program runs and the program ends.
};

class UpdateCheck {
public:
    static constexpr std::string_view kRemotePath = "/update/QLVER.txt";
    static constexpr std::string_view kVersionFile = "QLVER.txt";
    static constexpr std::size_t kLocalBytes = 100;
    // A version file is a line or two; a longer answer is not one.
    static constexpr std::size_t kMaxRemoteBytes = 4096;

    UpdateCheck(platform::Profile& profile, platform::Ui& ui, DesktopLauncher& launcher,
        std::filesystem::path programFolder, platform::HttpFetchOptions fetchOptions = defaultFetchOptions());

    UpdateOutcome run();

    static platform::HttpFetchOptions defaultFetchOptions();

private:
    std::optional<std::string> fetchRemote(const std::string& host);
    std::optional<std::string> readLocal() const;
    std::string updateCommand() const;

    platform::Profile& m_profile;
    platform::Ui& m_ui;
    DesktopLauncher& m_launcher;
    std::filesystem::path m_programFolder;
    platform::HttpFetchOptions m_fetchOptions;
};

} // namespace pc::app
