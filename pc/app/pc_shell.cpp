#include "pc/app/pc_shell.h"

#include "platform/net_address.h"

namespace pc::app {

namespace {

// The mail program of this system is of the Outlook Express kind: nothing to
// start after sending, no wait on the handheld.
constexpr int kMailClientKind = 1;

} // namespace

platform::IoResult<std::unique_ptr<PcShell>> PcShell::create(platform::EventLoop& loop, service::ServiceLog& log,
    platform::Ui& ui, std::ostream& accessLog, ShellConfig config)
{
    auto registry = platform::Registry::open(config.home / "registry.txt");
    if (!registry)
        return registry.error();
    return std::unique_ptr<PcShell>(new PcShell(loop, log, ui, accessLog, std::move(config), std::move(*registry)));
}

PcShell::PcShell(platform::EventLoop& loop, service::ServiceLog& log, platform::Ui& ui, std::ostream& accessLog,
    ShellConfig config, std::unique_ptr<platform::Registry> registry)
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
{
    m_folders.create();
    // The login values exist from the first start on.
    (void)m_store.readLogin();

    service::ServiceDependencies deps;
    deps.log = &log;
    deps.progress = &m_progress;
    deps.paths = &m_paths;
    deps.folders = m_folders;
    deps.credentials = [this] { return m_credentials; };
    deps.mailClientKind = [] { return kMailClientKind; };
    deps.lookUpPcAddress = [] { return platform::pcAddress(); };
    service::ServiceConfig serviceConfig { m_config.bindAddress, m_config.commandPort, m_config.uploadPort };
    m_service = std::make_unique<service::RemoteService>(loop, deps, serviceConfig);

    std::string webBind = m_config.bindAddress == "0.0.0.0" ? std::string() : m_config.bindAddress;
    service::WebConfig webConfig { m_folders.root, m_config.webPort, webBind };
    m_web = std::make_unique<service::HttpWebService>(loop.clock(), m_service->webAccess(), accessLog, webConfig);
    m_service->setWebService(m_web.get());
}

PcShell::~PcShell()
{
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
    return std::make_unique<SettingsDialog>(m_store, m_autostart, m_ui, m_credentials.id, m_userSettings);
}

bool PcShell::startServer()
{
    if (m_service->isRunning())
        return true;
    bool webStarted = m_service->start();
    // The service runs without a listener it could not open; say so.
    if (m_service->commandPort() == 0)
        m_ui.messageBox("Quillon", "Failed to open the command port " + std::to_string(m_config.commandPort), platform::Icon::Warning);
    if (m_service->uploadPort() == 0)
        m_ui.messageBox("Quillon", "Failed to open the upload port " + std::to_string(m_config.uploadPort), platform::Icon::Warning);
    if (webStarted)
        return true;
    m_ui.messageBox("Quillon", "Failed to start the web server", platform::Icon::Warning);
    return false;
}

void PcShell::stopServer()
{
    m_service->stop();
}

} // namespace pc::app
