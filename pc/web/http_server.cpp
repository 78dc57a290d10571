#include "pc/web/http_server.h"

#include "pc/web/my_http_client.h"
#include "pc/web/serve_loop.h"
#include "pc/web/web_trace.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <future>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace pc::web {
namespace {

// The folder of the running program, as the default folder table serves it.
std::string programFolder()
{
    char path[4096];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    std::string text(path, static_cast<std::size_t>(length));
    return text.substr(0, text.rfind('/') + 1);
}

// A peer that closes mid-send must not end the program: SIGPIPE is held
// back on the listener thread and sends fail with EPIPE instead.
void blockBrokenPipeSignal()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

} // namespace

CHttpServerConfig CHttpServerConfig::defaults()
{
    CHttpServerConfig config;
    config.folders.push_back({ "/", programFolder(), "default.htm", 0 });
    return config;
}

CHttpServerConfig CHttpServerConfig::forServiceFolder(const std::string& serviceRoot, std::uint16_t port)
{
    CHttpServerConfig config;
    config.port = port;
    config.folders.push_back({ "\\", serviceRoot, "404.htm", 0 });
    config.handlerFactory = [](CHttpServer& server) { return std::make_unique<CMyHttpClient>(server); };
    return config;
}

CHttpServer::CHttpServer(
    platform::Clock& clock, LogonCheck& logonCheck, std::ostream& accessLog, const ContentTypeSource& contentTypes)
    : m_clock(clock)
    , m_logonCheck(logonCheck)
    , m_accessLog(accessLog)
    , m_contentTypes(contentTypes)
{
}

CHttpServer::~CHttpServer()
{
    stop();
    if (m_wakeHandle >= 0)
        ::close(m_wakeHandle);
}

bool CHttpServer::start(const CHttpServerConfig& config)
{
    std::lock_guard lifecycle(m_lifecycleMutex);
    if (m_thread.joinable()) {
        if (isRunning())
            return false;
        m_thread.join();
    }
    m_config = config;
    m_stopRequested = false;
    m_boundPort = 0;
    if (m_wakeHandle < 0)
        m_wakeHandle = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    {
        std::lock_guard lock(m_endedMutex);
        m_ended = false;
    }
    std::promise<bool> started;
    auto startedResult = started.get_future();
    try {
        m_thread = std::thread([this, &started] { run([&started](bool ok) { started.set_value(ok); }); });
    } catch (const std::system_error&) {
        webTrace("Failed to call to create listener thread, please check settings\n");
        markEnded();
        return false;
    }
    if (startedResult.get())
        return true;
    m_thread.join();
    return false;
}

bool CHttpServer::wait()
{
    {
        std::lock_guard lifecycle(m_lifecycleMutex);
        if (!m_thread.joinable()) {
            webTrace("Http server is not running, so no need to wait\n");
            return false;
        }
    }
    std::unique_lock lock(m_endedMutex);
    m_endedChanged.wait(lock, [this] { return m_ended; });
    return true;
}

void CHttpServer::stop()
{
    std::lock_guard lifecycle(m_lifecycleMutex);
    if (!m_thread.joinable())
        return;
    m_stopRequested = true;
    if (m_wakeHandle >= 0) {
        std::uint64_t one = 1;
        (void)!::write(m_wakeHandle, &one, sizeof one);
    }
    m_thread.join();
    // Drain the wake-up so that the next run does not see a stale stop.
    std::uint64_t count = 0;
    (void)!::read(m_wakeHandle, &count, sizeof count);
}

bool CHttpServer::isRunning() const
{
    std::lock_guard lock(m_endedMutex);
    return !m_ended;
}

void CHttpServer::setClientFilter(ClientFilter filter)
{
    std::lock_guard lock(m_filterMutex);
    m_clientFilter = std::move(filter);
}

bool CHttpServer::isClientAllowed(const in_addr& address) const
{
    std::lock_guard lock(m_filterMutex);
    return !m_clientFilter || m_clientFilter(address);
}

void CHttpServer::markEnded()
{
    std::lock_guard lock(m_endedMutex);
    m_ended = true;
    m_endedChanged.notify_all();
}

void CHttpServer::run(std::function<void(bool)> signalStarted)
{
    blockBrokenPipeSignal();
    auto fail = [&](const std::string& trace) {
        webTrace(trace);
        markEnded();
        signalStarted(false);
    };
    std::string address;
    if (m_config.bindToAddress) {
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &m_config.bindAddress, text, sizeof text);
        address = text;
    }
    auto listening = platform::TcpListener::listen(address, m_config.port);
    if (!listening) {
        const platform::Error& error = listening.error();
        const char* text = error.context.starts_with("socket") ? "Failed to create server socket, GetLastError:%d\n"
            : error.context.starts_with("listen")             ? "Failed to listen on server socket, GetLastError:%d\n"
                                                              : "Failed to bind server socket, GetLastError:%d\n";
        return fail(traceText(text, error.systemError));
    }
    platform::TcpListener& listener = *listening;
    if (!m_config.logonUser.empty()) {
        bool loggedOn = m_logonCheck.logon(m_config.logonUser, m_config.logonPassword);
        m_config.logonPassword.clear();
        if (!loggedOn) {
            webTrace(traceText("Failed to logon using user name: %s, GetLastError:%d\n", m_config.logonUser.c_str(), 1326));
            return fail("Failed to impersonate using supplied user credentials\n");
        }
    }
    std::unique_ptr<CHttpClient> handler
        = m_config.handlerFactory ? m_config.handlerFactory(*this) : std::make_unique<CHttpClient>(*this);
    m_boundPort = listener.port();
    signalStarted(true);
    serveUntilStopped(listener, *handler);
    handler.reset();
    listener.close();
    markEnded();
}

void CHttpServer::serveUntilStopped(platform::TcpListener& listener, CHttpClient& handler)
{
    ServeLoop loop(*this, listener, handler, m_wakeHandle, m_stopRequested, m_accepted);
    loop.run();
}

} // namespace pc::web
