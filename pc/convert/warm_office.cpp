#include "pc/convert/warm_office.h"

#include "pc/convert/office_bridge_wire.h"
#include "platform/files.h"
#include "platform/trace.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <unistd.h>

namespace pc::convert {

namespace {

platform::Error failure(platform::ErrorCode code, std::string context)
{
    return platform::Error { code, std::move(context), 0 };
}

// LibreOffice's pipe names are per user and machine; each bridge gets its own.
std::string pipeName()
{
    static std::atomic<int> counter { 0 };
    return "quillon-office-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

} // namespace

WarmOffice::WarmOffice(WarmOfficeConfig config)
    : m_config(std::move(config))
{
}

WarmOffice::~WarmOffice()
{
    stop();
}

void WarmOffice::start()
{
    std::lock_guard lock(m_mutex);
    startLocked();
}

platform::IoResult<void> WarmOffice::waitUntilReady(std::chrono::milliseconds wait)
{
    std::lock_guard lock(m_mutex);
    if (m_bridge && m_bridge->hasEnded())
        stopLocked();
    startLocked();
    return awaitReadyLocked(std::chrono::steady_clock::now() + wait);
}

void WarmOffice::stop()
{
    if (int pid = m_bridgePid.load(); pid > 0)
        ::kill(-pid, SIGKILL);
    std::lock_guard lock(m_mutex);
    stopLocked();
}

int WarmOffice::startCount() const
{
    std::lock_guard lock(m_mutex);
    return m_starts;
}

int WarmOffice::bridgeProcess() const
{
    std::lock_guard lock(m_mutex);
    return m_bridge ? m_bridge->pid() : -1;
}

void WarmOffice::startLocked()
{
    if (m_bridge && !m_bridge->hasEnded())
        return;
    stopLocked();
    if (m_config.bridge.empty())
        return;
    if (!m_config.profileFolder.empty())
        (void)platform::createFolders(m_config.profileFolder);
    std::vector<std::string> argv = m_config.bridge;
    argv.insert(argv.end(),
        { "--soffice", m_config.soffice, "--profile", m_config.profileFolder.string(), "--pipe", pipeName() });
    auto bridge = platform::ChildProcess::start(argv);
    if (!bridge) {
        platform::trace("office bridge: " + platform::describe(bridge.error()));
        return;
    }
    m_bridge.emplace(std::move(*bridge));
    m_bridgePid = m_bridge->pid();
    m_startedAt = std::chrono::steady_clock::now();
    ++m_starts;
}

void WarmOffice::stopLocked()
{
    m_bridgePid = -1;
    if (m_bridge)
        m_bridge->kill();
    m_bridge.reset();
    m_ready = false;
}

platform::IoResult<void> WarmOffice::ensureReadyLocked()
{
    if (m_bridge && m_bridge->hasEnded())
        stopLocked();
    startLocked();
    return awaitReadyLocked(std::chrono::steady_clock::time_point::max());
}

platform::IoResult<void> WarmOffice::awaitReadyLocked(std::chrono::steady_clock::time_point until)
{
    if (!m_bridge)
        return failure(platform::ErrorCode::Unavailable, "the office bridge cannot be started");
    if (m_ready)
        return {};
    // The start has its own time, counted from when it began, whoever waits.
    auto startDeadline = m_startedAt + m_config.startTimeout;
    auto line = m_bridge->readLine(std::min(until, startDeadline));
    if (!line && line.error().code == platform::ErrorCode::Timeout && until < startDeadline)
        return failure(platform::ErrorCode::Timeout, "the office is still starting");
    BridgeReply reply = line ? parseBridgeReply(*line) : BridgeReply {};
    if (reply.kind == BridgeReply::Kind::Ready) {
        m_ready = true;
        return {};
    }
    stopLocked();
    std::string why = !line ? platform::describe(line.error())
        : reply.fields.empty()  ? *line
                                : reply.fields.front();
    return failure(platform::ErrorCode::Unavailable, "the office did not start: " + why);
}

platform::IoResult<std::vector<std::string>> WarmOffice::convert(const std::filesystem::path& source,
    const std::filesystem::path& target, std::string_view format, std::chrono::milliseconds deadline)
{
    std::lock_guard lock(m_mutex);
    std::string request = convertRequestLine(source, target, format);
    std::vector<std::string> sheets;
    // A second try only when the office had ended before it saw the request.
    for (int attempt = 0; attempt < 2; ++attempt) {
        TRY(ensureReadyLocked());
        if (TRY(tryConvertLocked(request, deadline, sheets)) == Attempt::Done)
            return sheets;
    }
    return failure(platform::ErrorCode::Unavailable, "the office ends at every start");
}

platform::IoResult<WarmOffice::Attempt> WarmOffice::tryConvertLocked(
    const std::string& request, std::chrono::milliseconds deadline, std::vector<std::string>& sheets)
{
    if (!m_bridge->write(request)) {
        stopLocked();
        return Attempt::Retry;
    }
    auto line = m_bridge->readLine(std::chrono::steady_clock::now() + deadline);
    if (!line) {
        bool timedOut = line.error().code == platform::ErrorCode::Timeout;
        stopLocked();
        if (!timedOut)
            return failure(platform::ErrorCode::Closed, "the office ended during the conversion");
        // A hung office would hold every later view: a new one starts now.
        startLocked();
        return failure(platform::ErrorCode::Timeout, "the conversion ran past its deadline");
    }
    BridgeReply reply = parseBridgeReply(*line);
    switch (reply.kind) {
    case BridgeReply::Kind::Ok:
        sheets = std::move(reply.fields);
        return Attempt::Done;
    case BridgeReply::Kind::Fail:
        return failure(platform::ErrorCode::Protocol, reply.fields.front());
    case BridgeReply::Kind::Gone:
        stopLocked();
        return Attempt::Retry;
    case BridgeReply::Kind::Ready:
    case BridgeReply::Kind::Malformed:
        break;
    }
    stopLocked();
    return failure(platform::ErrorCode::Protocol, "the office bridge said: " + *line);
}

} // namespace pc::convert
