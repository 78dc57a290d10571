#include "pc/app/pc_shell.h"

#include "pc/convert/office_settings.h"
#include "pc/mail/mail_client_setup.h"
#include "platform/discovery/avahi_discovery.h"
#include "platform/net_address.h"
#include "platform/trace.h"

namespace pc::app {

namespace {

std::vector<mail::Pop3Account> pop3Accounts(const std::vector<MailAccount>& accounts)
{
    std::vector<mail::Pop3Account> out;
    out.reserve(accounts.size());
    for (const auto& account : accounts)
        out.push_back({ account.server, account.user, account.password, account.security });
    return out;
}

} // namespace

ShellConfig loopbackShellConfig(const std::filesystem::path& home)
{
    ShellConfig config;
    config.home = home;
    config.autostartFolder = home / "autostart";
    config.bindAddress = "127.0.0.1";
    config.commandPort = 0;
    config.uploadPort = 0;
    config.webPort = 0;
    config.announceOnLan = false;
    return config;
}

platform::IoResult<std::unique_ptr<PcShell>> PcShell::create(platform::EventLoop& loop, service::ServiceLog& log,
    platform::Ui& ui, std::ostream& accessLog, ShellConfig config, service::ProgressView* progress)
{
    auto registry = platform::Registry::open(config.home / "registry.txt");
    if (!registry)
        return registry.error();
    // The key the handhelds have pinned: made once, never replaced.
    auto identity = TRY(platform::TlsIdentity::loadOrCreate(config.home));
    auto relay = TRY(platform::TlsRelay::forServer(identity));
    return std::unique_ptr<PcShell>(new PcShell(loop, log, ui, accessLog, std::move(config), std::move(*registry),
        progress, std::move(identity), std::move(relay)));
}

PcShell::PcShell(platform::EventLoop& loop, service::ServiceLog& log, platform::Ui& ui, std::ostream& accessLog,
    ShellConfig config, std::unique_ptr<platform::Registry> registry, service::ProgressView* progress,
    platform::TlsIdentity identity, std::unique_ptr<platform::TlsRelay> relay)
    : m_config(std::move(config))
    , m_ui(ui)
    , m_profile(m_config.home / "Quillon.ini")
    , m_registry(std::move(registry))
    , m_store(m_profile)
    , m_loginDialog(m_store, ui)
    , m_autostart(*m_registry, m_config.autostartCommand, m_config.autostartFolder)
    , m_drives(platform::DriveMap::fromProfile(m_profile))
    , m_paths(m_drives)
    , m_folders(service::ServiceFolders::under(m_config.home))
    , m_identity(std::move(identity))
    , m_relay(std::move(relay))
    , m_winIni(m_config.home / "win.ini")
{
    m_folders.create();
    // The Linux mail setup counts as a mail program of the Outlook Express
    // kind (nothing to start after sending, no wait on the handheld); the
    // registry store says so from the first run on.
    if (auto seeded = mail::seedMailRegistry(*m_registry); !seeded)
        platform::trace("mail registry: " + platform::describe(seeded.error()));
    int mailClientKind = mail::readMailClientKind(*m_registry);
    // The login values exist from the first start on.
    (void)m_store.readLogin();
    m_codePage = m_store.readCodePage();
    std::string modeText = m_profile.getString("Quillon", kSecureLinkKey, "allowed");
    auto mode = platform::parseSecureLinkMode(modeText);
    if (!mode)
        platform::trace("SecureLink: unknown value \"" + modeText + "\"; using allowed");
    m_secureLink = std::make_unique<platform::SecureLinkServer>(m_relay.get(),
        mode.value_or(platform::SecureLinkMode::Allowed));
    service::ListenPorts stored = m_store.readPorts();
    m_listenPorts = { m_config.commandPort.value_or(stored.command), m_config.uploadPort.value_or(stored.upload),
        m_config.webPort.value_or(stored.web) };

    service::ServiceDependencies deps;
    deps.log = &log;
    deps.progress = progress ? progress : &m_noProgress;
    deps.paths = &m_paths;
    deps.folders = m_folders;
    deps.credentials = [this] { return m_credentials; };
    deps.mailClientKind = [mailClientKind] { return mailClientKind; };
    deps.lookUpPcAddress = [] { return platform::pcAddress(); };
    service::ServiceConfig serviceConfig { m_config.bindAddress, m_listenPorts.command, m_listenPorts.upload,
        m_codePage };
    m_service = std::make_unique<service::RemoteService>(loop, deps, serviceConfig);
    m_service->setSecureLink(m_secureLink.get());

    std::string webBind = m_config.bindAddress == "0.0.0.0" ? std::string() : m_config.bindAddress;
    service::WebConfig webConfig { m_folders.root, m_listenPorts.web, webBind, m_codePage };
    webConfig.registry = m_registry.get();
    webConfig.secureLink = m_secureLink.get();
    webConfig.downloads = &m_service->downloadStage();
    m_web = std::make_unique<service::HttpWebService>(loop.clock(), m_service->webAccess(), accessLog, webConfig);
    m_service->setWebService(m_web.get());
    bool announce = m_config.announceOnLan && m_profile.getString("Quillon", kLanAnnounceKey, "on") != "off";
    m_presence = std::make_unique<LanPresence>(announce ? platform::makeAvahiAnnouncer() : nullptr,
        [this](std::string line) { m_service->postLog(std::move(line)); });

    mail::MailRelayConfig mailConfig;
    mailConfig.mailBoxes = m_folders.boxes;
    mailConfig.serviceRoot = m_folders.root;
    mailConfig.winIni = m_winIni.file();
    mailConfig.codePage = m_codePage;
    mail::MailRelayHooks mailHooks;
    mailHooks.currentUser = [this] { return mail::MailUser { m_credentials.id, pop3Accounts(m_userSettings.accounts) }; };
    mailHooks.postAnswer = [this](proto::PcAnswer answer) { m_service->postAnswer(std::move(answer)); };
    mailHooks.sendAnswer = [this](const proto::PcAnswer& answer) { m_service->sendAnswer(answer); };
    mailHooks.postLog = [this](std::string text) { m_service->postLog(std::move(text)); };
    mailHooks.pcPathToLocal = [this](std::string_view pcPath) { return m_paths.toLocal(pcPath); };
    mailHooks.trace = [](std::string_view text) { platform::trace(std::string(text)); };
    m_mail = std::make_unique<mail::MailRelay>(mailConfig, mailHooks);
    m_mail->setMailClientReady(mail::setUpMailClient(*m_registry, mailClientKind, m_ui));
    m_service->setMailCommands(m_mail.get());

    m_converters = std::make_unique<convert::DocumentConverterSet>(
        m_folders.root, m_winIni, convert::readOfficeConfig(m_profile, m_config.home));
    m_converterAdapter = std::make_unique<service::ConverterSetAdapter>(*m_converters);
    m_service->setDocumentConverters(m_converterAdapter.get());
}

PcShell::~PcShell()
{
    // A conversion still running ends with the office, so that the view's
    // worker, which the service waits for, is not held until its deadline.
    m_converters->stopOffice();
    m_presence.reset();
    m_service->setMailCommands(nullptr);
    m_mail.reset();
    m_service.reset();
    m_web.reset();
}

void PcShell::onLoggedIn(const service::Credentials& credentials)
{
    m_credentials = credentials;
    m_web->setCredentials(credentials);
    m_userSettings = m_store.loadUserSettings(credentials.id);
}

std::unique_ptr<SettingsDialog> PcShell::openSettingsDialog()
{
    auto dialog = std::make_unique<SettingsDialog>(m_store, m_autostart, m_ui, m_credentials.id, m_userSettings);
    dialog->setServerSettings({ m_listenPorts, m_store.readCodePage(), m_credentials.id, m_credentials.password });
    return dialog;
}

void PcShell::applySettings(SettingsDialog& dialog)
{
    m_userSettings = dialog.apply();
    const auto& server = dialog.serverSettings();
    if (!server)
        return;
    setListenPorts(server->ports);
    if (server->loginId != m_credentials.id || server->password != m_credentials.password) {
        // A handheld logs in with the new values from now on.
        m_credentials = { server->loginId, server->password };
        m_web->setCredentials(m_credentials);
    }
}

void PcShell::setListenPorts(const service::ListenPorts& ports)
{
    m_listenPorts = ports;
    m_service->setListenPorts(ports.command, ports.upload);
    m_web->setListenPort(ports.web);
}

service::ListenPorts PcShell::boundPorts() const
{
    return { m_service->commandPort(), m_service->uploadPort(), m_web->webPort() };
}

bool PcShell::startServer()
{
    if (m_service->isRunning())
        return true;
    // LibreOffice takes seconds to start; with the setting it does so now,
    // not at the first view.
    if (convert::startsOfficeWithServer(m_profile))
        m_converters->startOffice();
    bool webStarted = m_service->start();
    m_service->postLog(secureLinkLogLine(m_secureLink->mode(), m_identity.fingerprint()));
    bool isPrivate = m_secureLink->mode() != platform::SecureLinkMode::Off;
    m_presence->start(m_service->commandPort(), isPrivate ? m_identity.fingerprint() : std::string());
    // The service runs without a listener it could not open; say so.
    if (m_service->commandPort() == 0)
        m_ui.messageBox("Quillon", "Failed to open the command port " + std::to_string(m_listenPorts.command), platform::Icon::Warning);
    if (m_service->uploadPort() == 0)
        m_ui.messageBox("Quillon", "Failed to open the upload port " + std::to_string(m_listenPorts.upload), platform::Icon::Warning);
    if (webStarted)
        return true;
    m_ui.messageBox("Quillon", "Failed to start the web server", platform::Icon::Warning);
    return false;
}

void PcShell::setSecureLinkMode(platform::SecureLinkMode mode)
{
    m_secureLink->setMode(mode);
    if (auto written = m_profile.writeString("Quillon", kSecureLinkKey, platform::secureLinkModeName(mode)); !written)
        platform::trace("SecureLink: " + platform::describe(written.error()));
}

std::string secureLinkLogLine(platform::SecureLinkMode mode, const std::string& fingerprint)
{
    return "보안 연결(SecureLink=" + std::string(platform::secureLinkModeName(mode)) + ") 인증서 지문: " + fingerprint
        + "\n";
}

void PcShell::stopServer()
{
    m_presence->stop();
    m_service->stop();
    m_converters->stopOffice();
}

} // namespace pc::app
