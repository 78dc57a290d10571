#pragma once

// File: pc/app/pc_shell.h
// The toolkit-free core of the PC program's shell: the profile and registry
// stores, the login and the user's settings, and the remote service with its
// web server. The Qt window and the console front end both drive it. Built
// by main(); lives on the window thread.

#include "pc/app/autostart.h"
#include "pc/app/lan_presence.h"
#include "pc/app/login_dialog.h"
#include "pc/app/settings_dialog.h"
#include "pc/app/user_settings.h"
#include "pc/convert/document_converter_set.h"
#include "pc/mail/mail_relay.h"
#include "pc/service/converter_set_adapter.h"
#include "pc/service/drive_paths.h"
#include "pc/service/http_web_service.h"
#include "pc/service/remote_service.h"
#include "platform/drive_map.h"
#include "platform/event_loop.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/tls/secure_link.h"
#include "platform/tls/tls_identity.h"
#include "platform/tls/tls_relay.h"
#include "platform/ui.h"

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

namespace pc::app {

// The profile key of the private link's mode ("allowed", "required", "off").
inline constexpr std::string_view kSecureLinkKey = "SecureLink";

struct ShellConfig {
    std::filesystem::path home;
    std::string autostartCommand; // What the desktop session runs at log-in.
    std::filesystem::path autostartFolder;
    std::string bindAddress = "0.0.0.0";
    // Ports given here (the command line) win over the profile's, whose
    // defaults are 4000, 4040 and 91; 0 lets the system choose (tests).
    std::optional<std::uint16_t> commandPort;
    std::optional<std::uint16_t> uploadPort;
    std::optional<std::uint16_t> webPort;
    // Announce the server on the local network (lan_presence.h).
    bool announceOnLan = true;
};

// Everything in `home` and on loopback: the services on 127.0.0.1 with ports
// the system chooses, autostart entries in home/autostart. For tests and the
// screenshot tool, which must not touch the user's session or ports.
ShellConfig loopbackShellConfig(const std::filesystem::path& home);

// The log line at every start of the server: the mode and the fingerprint
// the handheld shows for comparison at its first connection.
std::string secureLinkLogLine(platform::SecureLinkMode mode, const std::string& fingerprint);

class PcShell {
public:
    // Opens the stores in the home folder and creates the service folders.
    // `progress` is the front end's progress window of searches and uploads
    // (none when null); like the log, it outlives the shell.
    static platform::IoResult<std::unique_ptr<PcShell>> create(platform::EventLoop& loop, service::ServiceLog& log,
        platform::Ui& ui, std::ostream& accessLog, ShellConfig config,
        service::ProgressView* progress = nullptr);
    ~PcShell();

    LoginDialog& loginDialog() { return m_loginDialog; }
    SettingsStore& settingsStore() { return m_store; }
    platform::Profile& profile() { return m_profile; }
    platform::Registry& registry() { return *m_registry; }
    // The program's own folder: profile, registry store, "boxes", "QLVER.txt".
    const std::filesystem::path& home() const { return m_config.home; }

    // After a successful login: the credentials of this run and the user's
    // settings (loadUserSettings).
    void onLoggedIn(const service::Credentials& credentials);
    const std::string& loginId() const { return m_credentials.id; }
    const UserSettings& userSettings() const { return m_userSettings; }

    // A settings dialog over the current settings, the server page
    // included; applySettings() stores it and puts it in force.
    std::unique_ptr<SettingsDialog> openSettingsDialog();
    void applySettings(SettingsDialog& dialog);

    // The ports the next server start listens on.
    const service::ListenPorts& listenPorts() const { return m_listenPorts; }
    void setListenPorts(const service::ListenPorts& ports);
    // The ports the running server listens on (0 for one that did not open).
    service::ListenPorts boundPorts() const;

    // Starts the service; tells the user when the web server could not start
    // and returns false then.
    bool startServer();
    void stopServer();
    bool isServerRunning() const { return m_service->isRunning(); }

    service::RemoteService& service() { return *m_service; }
    // The handheld's code page this run uses: the profile's "CodePage" as it
    // was when the program started (a change applies at the next start).
    const std::string& codePage() const { return m_codePage; }
    std::uint16_t webPort() const { return m_web->webPort(); }
    // The private link: the fingerprint of the PC's key (made at the first
    // start, kept in the home folder) and the profile's "SecureLink" mode.
    const std::string& fingerprint() const { return m_identity.fingerprint(); }
    platform::SecureLinkMode secureLinkMode() const { return m_secureLink->mode(); }
    // Stores the mode and applies it to connections accepted from now on.
    void setSecureLinkMode(platform::SecureLinkMode mode);
    const service::ServiceFolders& folders() const { return m_folders; }
    // The mail relay of commands 304, 305, 332 and 329, and the WIN.INI
    // stand-in whose [MAIL] section names its SMTP relay.
    mail::MailRelay& mailRelay() { return *m_mail; }
    platform::Profile& winIni() { return m_winIni; }

private:
    PcShell(platform::EventLoop& loop, service::ServiceLog& log, platform::Ui& ui, std::ostream& accessLog,
        ShellConfig config, std::unique_ptr<platform::Registry> registry, service::ProgressView* progress,
        platform::TlsIdentity identity, std::unique_ptr<platform::TlsRelay> relay);

    ShellConfig m_config;
    platform::Ui& m_ui;
    platform::Profile m_profile;
    std::unique_ptr<platform::Registry> m_registry;
    SettingsStore m_store;
    LoginDialog m_loginDialog;
    Autostart m_autostart;
    platform::DriveMap m_drives;
    service::DrivePaths m_paths;
    service::ServiceFolders m_folders;
    service::NullProgressView m_noProgress;
    std::string m_codePage;
    service::ListenPorts m_listenPorts;
    // Outlive the service and the web server, whose connections use them.
    platform::TlsIdentity m_identity;
    std::unique_ptr<platform::TlsRelay> m_relay;
    std::unique_ptr<platform::SecureLinkServer> m_secureLink;
    std::unique_ptr<service::RemoteService> m_service;
    std::unique_ptr<service::HttpWebService> m_web;
    platform::Profile m_winIni;
    std::unique_ptr<mail::MailRelay> m_mail; // Destroyed before the service.
    // The document converters of the view requests; the service, which waits
    // for a running conversion, is destroyed before them.
    std::unique_ptr<convert::DocumentConverterSet> m_converters;
    std::unique_ptr<service::ConverterSetAdapter> m_converterAdapter;
    service::Credentials m_credentials;
    UserSettings m_userSettings;
    std::unique_ptr<LanPresence> m_presence;
};

} // namespace pc::app
