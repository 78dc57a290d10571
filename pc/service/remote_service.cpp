#include "pc/service/remote_service.h"

#include "pc/service/listen_ports.h"
#include "platform/codepage.h"
#include "platform/trace.h"
#include "proto/command_codes.h"
#include "proto/upload_frames.h"

#include <algorithm>

namespace pc::service {

RemoteService::RemoteService(platform::EventLoop& loop, ServiceDependencies dependencies, ServiceConfig config)
    : m_loop(loop)
    , m_deps(std::move(dependencies))
    , m_config(std::move(config))
    , m_mail(&m_noMail)
    , m_session(*m_deps.log, *this, *this,
          LoginSource { m_deps.credentials, m_deps.mailClientKind,
              [this] { return m_deps.paths->driveList(); } })
    , m_heldDigest(loop)
    , m_uploads(m_deps.folders.uploads, *this, m_deps.progress ? *m_deps.progress : m_noProgress)
    , m_downloads(m_deps.folders.downloads)
    , m_browse(m_deps.folders.root, *m_deps.paths, *this, m_deps.progress ? *m_deps.progress : m_noProgress,
          m_config.codePage)
    , m_transfer(m_downloads, *m_deps.paths, *this, m_uploads)
    , m_view(loop, m_deps.folders, *m_deps.paths, *this, [this](const CommandContext& c) { return webHost(c); },
          m_config.codePage)
    , m_loginGate(loop, *m_deps.log,
          [this](ConnectionId id, const std::string& address, const std::string& text, bool logRefusal) {
              return checkLogIn(id, address, text, logRefusal);
          })
    , m_activity(*m_deps.log)
    , m_commandPort(loop, "command listener", [this](platform::AcceptedSocket a) { onCommandAccept(std::move(a)); })
    , m_uploadPort(loop, "upload listener", [this](platform::AcceptedSocket a) { onUploadAccept(std::move(a)); })
{
    m_uploads.setShownFolder(m_deps.paths->toPc(m_deps.folders.uploads));
    m_uploads.setDigest(&m_heldDigest);
    registerHandlers();
}

RemoteService::~RemoteService()
{
    if (m_running)
        stop();
    killProbeTimer();
    if (m_loginSweep != 0)
        m_loop.cancelOneShot(m_loginSweep);
}

void RemoteService::registerHandlers()
{
    m_browse.registerIn(m_table);
    m_transfer.registerIn(m_table);
    m_view.registerIn(m_table);
    m_table.add(proto::kCodeLogIn, [this](const CommandContext& c) { logIn(c); });
    m_table.add(proto::kCodeLogOut, [this](const CommandContext& c) { logOut(c); });
    // The keep-alive reply only sets the activity flag, which every dispatch does.
    m_table.add(proto::kCodeKeepAlive, [](const CommandContext&) { });
    m_table.add(proto::kCodeMailPiece, [this](const CommandContext& c) { onMailPiece(c); });
    m_table.add(proto::kCodeLinkFeatures, [this](const CommandContext& c) { offerFeatures(c); });
    m_table.add(proto::kCodeCheckMail, [this](const CommandContext& c) { m_mail->checkMail(c); });
    m_table.add(proto::kCodePrepareMail, [this](const CommandContext& c) { m_mail->prepareMail(c); });
    m_table.add(proto::kCodeDeleteMail, [this](const CommandContext& c) { m_mail->deleteMail(c); });
}

void RemoteService::setMailCommands(MailCommands* mail)
{
    m_mail = mail ? mail : &m_noMail;
}

std::uint16_t RemoteService::commandPort() const
{
    return m_commandPort.port();
}

std::uint16_t RemoteService::uploadPort() const
{
    return m_uploadPort.port();
}

void RemoteService::setListenPorts(std::uint16_t command, std::uint16_t upload)
{
    m_config.commandPort = command;
    m_config.uploadPort = upload;
}

void RemoteService::listen()
{
    // A listener that cannot be created leaves the service running without
    // it; the trace says why, and the shell may tell the user (port 0).
    if (auto opened = m_commandPort.open(m_config.bindAddress, m_config.commandPort); !opened)
        platform::trace("command listener: " + platform::describe(opened.error()));
    if (auto opened = m_uploadPort.open(m_config.bindAddress, m_config.uploadPort); !opened)
        platform::trace("upload listener: " + platform::describe(opened.error()));
}

bool RemoteService::start()
{
    if (m_running)
        return true;
    m_session.setPcAddress(m_deps.lookUpPcAddress ? m_deps.lookUpPcAddress() : std::string());
    // What an earlier run left for download goes.
    m_downloads.clearFolder();
    listen();
    bool webStarted = !m_web || m_web->startWeb();
    m_running = true;
    std::string addressLine = "This Computer IP : " + m_session.state().pcAddress + "\n";
    m_deps.log->appendLog(m_deps.log->hasText() ? "\n" + addressLine : addressLine);
    m_deps.log->appendLog("PC 서버를 시작합니다..\n");
    // The ports the handheld's settings must name.
    ListenPorts ports { commandPort(), uploadPort(), m_web ? m_web->webPort() : std::uint16_t(0) };
    m_deps.log->appendLog("포트: " + describePorts(ports) + "\n");
    return webStarted;
}

void RemoteService::stop()
{
    if (!m_running)
        return;
    broadcast({ 0, proto::kCodeServiceStopping, "" });
    closeAllConnections();
    m_commandPort.close();
    m_uploadPort.close();
    m_loginGate.clear();
    m_uploads.reset();
    m_session.reset();
    publishSession();
    if (m_web)
        m_web->stopWeb();
    m_downloads.clearFolder();
    m_running = false;
    m_deps.log->appendLog("PC 서버를 종료합니다..\n");
}

void RemoteService::onCommandAccept(platform::AcceptedSocket accepted)
{
    std::vector<platform::OpenConnection> open;
    open.reserve(m_commandConnections.size());
    for (const auto& connection : m_commandConnections) {
        open.push_back({ connection->id(), connection->peerAddress(),
            m_session.isLoggedInConnection(connection->id()), connection->acceptedAt() });
    }
    platform::Admission admission = platform::admitConnection(open, accepted.peerAddress, kCommandLimits);
    // Refused or evicted peers leave no log line: a flood of them must not
    // flood the log pane.
    if (!admission.admit)
        return;
    if (admission.evict) {
        if (CommandConnection* room = findConnection(*admission.evict))
            dropUnlogged(*room);
    }
    m_deps.log->appendLog("사용자가 PC 연결을 시도합니다..\n");
    CommandConnection::Events events;
    events.onRequest = [this](CommandConnection& c, const std::string& unit) { onRequestText(c, unit); };
    events.onClosed = [this](CommandConnection& c) { onCommandClosed(c); };
    events.secureLink = m_secureLink;
    events.onRefused = [this](CommandConnection&) { m_deps.log->appendLog(std::string(kClearRefusedLine)); };
    m_commandConnections.push_back(
        std::make_unique<CommandConnection>(m_loop, m_nextConnectionId++, std::move(accepted), std::move(events)));
    scheduleLoginSweep();
}

void RemoteService::onUploadAccept(platform::AcceptedSocket accepted)
{
    // Only the logged-in handheld may send files.
    if (!m_session.isLoggedInAddress(accepted.peerAddress))
        return;
    std::vector<platform::OpenConnection> open;
    open.reserve(m_uploadConnections.size());
    for (const auto& connection : m_uploadConnections) {
        // The connection that carries the running upload is never made room
        // for; connection numbers grow with time, so they order by age.
        open.push_back({ connection->id(), connection->peerAddress(), connection->id() == m_uploads.owner(),
            platform::Ticks { static_cast<platform::Ticks::rep>(connection->id()) } });
    }
    platform::Admission admission = platform::admitConnection(open, accepted.peerAddress, kUploadLimits);
    if (!admission.admit)
        return;
    for (const auto& connection : m_uploadConnections) {
        if (admission.evict && connection->id() == *admission.evict) {
            connection->close();
            onUploadClosed(*connection);
            break;
        }
    }
    UploadConnection::Events events;
    events.onBlock = [this](UploadConnection& c, std::optional<std::string_view> b) { onUploadBlock(c, b); };
    events.onClosed = [this](UploadConnection& c) { onUploadClosed(c); };
    events.secureLink = m_secureLink;
    m_uploadConnections.push_back(
        std::make_unique<UploadConnection>(m_loop, m_nextConnectionId++, std::move(accepted), std::move(events)));
}

void RemoteService::scheduleLoginSweep()
{
    if (m_loginSweep != 0)
        return;
    // The next sweep is due when the oldest connection that has not logged
    // in reaches the time-out.
    std::optional<platform::Ticks> oldest;
    for (const auto& connection : m_commandConnections) {
        if (m_session.isLoggedInConnection(connection->id()))
            continue;
        if (!oldest || connection->acceptedAt() < *oldest)
            oldest = connection->acceptedAt();
    }
    if (!oldest)
        return;
    platform::Ticks due = *oldest + kLoginTimeout - m_loop.clock().ticks();
    m_loginSweep = m_loop.setOneShot(this, static_cast<unsigned>(std::max<platform::Ticks::rep>(due.count(), 0)),
        kMsgLoginSweep);
}

void RemoteService::closeUnloggedConnections()
{
    platform::Ticks now = m_loop.clock().ticks();
    std::vector<CommandConnection*> expired;
    for (const auto& connection : m_commandConnections) {
        if (!m_session.isLoggedInConnection(connection->id()) && now - connection->acceptedAt() >= kLoginTimeout)
            expired.push_back(connection.get());
    }
    for (CommandConnection* connection : expired)
        dropUnlogged(*connection);
    scheduleLoginSweep();
}

void RemoteService::onRequestText(CommandConnection& connection, const std::string& unit)
{
    auto request = proto::parsePcRequest(unit);
    if (!request)
        return;
    // The handheld sends its text in its code page; the handlers work in
    // UTF-8. The markers and numbers are ASCII in every code page.
    request->text = platform::toUtf8(request->text, m_config.codePage);
    if (!m_pending.push(std::move(*request)))
        return;
    dispatchPending(connection);
}

bool RemoteService::isGated(std::int32_t code)
{
    return code != proto::kCodeLogIn && code != proto::kCodeLogOut && code != proto::kCodeKeepAlive;
}

void RemoteService::dispatchPending(CommandConnection& connection)
{
    auto request = m_pending.pop();
    if (!request)
        return;
    CommandContext context { request->first, request->code, std::move(request->text), connection.peerAddress(),
        &connection };
    // Only the connection the handheld logged in on runs commands; another
    // connection, even from the same address, is a stranger.
    bool isSessionConnection = m_session.isLoggedInConnection(connection.id());
    if (isGated(context.code) && !isSessionConnection) {
        m_deps.log->appendLog("접속 IP: " + context.senderAddress + "\n로그인하지 않은 연결의 요청("
            + std::to_string(context.code) + ")을 무시합니다..\n");
        return;
    }
    // Only the logged-in handheld keeps its session alive.
    if (isSessionConnection)
        m_session.onCommand();
    m_activity.onRequest(context);
    m_table.dispatch(context);
    publishSession();
}

void RemoteService::logIn(const CommandContext& context)
{
    // A log-in that came on no connection has nobody to answer.
    if (!context.connection)
        return;
    m_loginGate.onLogIn(context.connection->id(), context.senderAddress, context.text);
}

bool RemoteService::checkLogIn(ConnectionId id, const std::string& address, const std::string& text, bool logRefusal)
{
    // The connection may have gone while the attempt waited.
    if (!findConnection(id))
        return false;
    // The log-in answer, and the first probe, go to the connection that asked.
    m_audience = id;
    auto outcome = m_session.logIn(text, address, id, logRefusal);
    m_audience.reset();
    publishSession();
    if (outcome == Session::LoginOutcome::Accepted) {
        // A new session agrees on its link's features afresh.
        m_uploads.setWindowAllowed(false);
        scheduleLoginSweep();
        if (CommandConnection* connection = findConnection(id))
            m_deps.log->appendLog(std::string(connection->isPrivate() ? kPrivateLoginLine : kClearLoginLine));
    }
    return outcome == Session::LoginOutcome::Accepted;
}

void RemoteService::logOut(const CommandContext& context)
{
    if (!context.connection || !m_session.namesThisPc(context.text, context.connection->localAddress()))
        return;
    // A log-out closes the connection it came on, nothing else.
    CommandConnection& connection = *context.connection;
    connection.close();
    onCommandClosed(connection);
}

void RemoteService::offerFeatures(const CommandContext& context)
{
    // Only inside the private link: a clear connection, and every handheld
    // that never asks, keeps the lock-step uploads and hears nothing.
    if (!context.connection || !context.connection->isPrivate() || context.text != proto::kFeatureUploadWindow)
        return;
    m_uploads.setWindowAllowed(true);
    sendAnswer({ 1, proto::kCodeLinkFeatures, std::string(proto::kFeatureUploadWindow) });
}

void RemoteService::onMailPiece(const CommandContext& context)
{
    // "NEXT" counts the bytes the handheld sent, in its code page.
    auto outcome = m_mailPieces.onPiece(context.first, context.text,
        platform::encodedSize(context.text, m_config.codePage));
    if (outcome.answer)
        sendAnswer(*outcome.answer);
    if (outcome.mail)
        m_mail->sendMail(*outcome.mail, context.senderAddress);
}

void RemoteService::dropUnlogged(CommandConnection& connection)
{
    // The PC closes a peer that never logged in (it made room, or waited
    // too long): no log line, or a crowd of them would bury the pane.
    m_loginGate.onConnectionClosed(connection.id());
    retire(connection);
}

void RemoteService::onCommandClosed(CommandConnection& connection)
{
    m_session.onConnectionClosed(connection.peerAddress(), connection.id());
    m_loginGate.onConnectionClosed(connection.id());
    retire(connection);
    publishSession();
}

void RemoteService::onUploadBlock(UploadConnection& connection, std::optional<std::string_view> block)
{
    // A windowed upload travels inside the private link only.
    if (m_uploads.isWindowed() && !connection.isPrivate())
        return;
    watchUpload([&] {
        auto reply = m_uploads.onReceived(connection.id(), block);
        if (reply.ack && !connection.send(std::string_view(reply.ack->data(), reply.ack->size())))
            m_uploads.onAckFailed(connection.id());
        if (!reply.frames.empty() && !connection.send(reply.frames))
            m_uploads.onAckFailed(connection.id());
        // Its frames come in large reads.
        if (m_uploads.isWindowed() && m_uploads.owner() == connection.id())
            connection.setReceiveBytes(kWindowedReceiveBytes);
        if (reply.closeConnection)
            retire(connection);
    });
}

void RemoteService::onUploadClosed(UploadConnection& connection)
{
    retire(connection);
    watchUpload([&] { m_uploads.onConnectionClosed(connection.id()); });
}

void RemoteService::watchUpload(const std::function<void()>& step)
{
    bool running = m_uploads.isInProgress();
    step();
    // A completed upload has already been logged with its end answer.
    if (running && !m_uploads.isInProgress())
        m_activity.onUploadStopped(m_uploads.receivedTotal());
}

CommandConnection* RemoteService::findConnection(ConnectionId id) const
{
    for (const auto& connection : m_commandConnections) {
        if (connection->isOpen() && connection->id() == id)
            return connection.get();
    }
    return nullptr;
}

std::string RemoteService::webHost(const CommandContext& context) const
{
    // The handheld reaches the web server at the address it reached the
    // command port by (a second network, a tunnel, loopback), which need not
    // be the PC's first address; and on the configured port (91 unless changed).
    std::uint16_t port = m_web && m_web->webPort() != 0 ? m_web->webPort() : 91;
    std::string host = context.connection ? context.connection->localAddress() : std::string();
    if (host.empty() || host == "0.0.0.0")
        host = m_session.state().pcAddress;
    return host + ":" + std::to_string(port);
}

void RemoteService::sendAnswer(const proto::PcAnswer& answer)
{
    m_activity.onAnswer(answer);
    // Answers go to the logged-in connection only (or, for a log-in, to the
    // connection that asked), never to other connections on the command port.
    if (m_audience)
        sendTo(answer, m_audience);
    else if (m_session.state().isLoggedIn)
        sendTo(answer, m_session.state().loggedInConnection);
}

void RemoteService::postAnswer(proto::PcAnswer answer)
{
    {
        std::lock_guard lock(m_postedMutex);
        m_postedAnswers.push_back(std::move(answer));
    }
    m_loop.post(this, kMsgPostedAnswer);
}

void RemoteService::postLog(std::string text)
{
    {
        std::lock_guard lock(m_postedMutex);
        m_postedLogs.push_back(std::move(text));
    }
    m_loop.post(this, kMsgPostedLog);
}

void RemoteService::broadcast(const proto::PcAnswer& answer)
{
    sendTo(answer, std::nullopt);
}

void RemoteService::sendTo(const proto::PcAnswer& answer, std::optional<ConnectionId> connectionId)
{
    proto::PcAnswer whole = answer;
    // The text travels in the handheld's code page. The record holds 1023
    // bytes of it; never cut a character in two.
    std::string wire = platform::fromUtf8(answer.text, m_config.codePage);
    whole.text = std::string(platform::cutAnsi(wire, proto::kAnswerTextBytes - 1, m_config.codePage));
    std::string detail = platform::fromUtf8(answer.detail, m_config.codePage);
    whole.detail = std::string(platform::cutAnsi(detail, proto::detailRoom(whole.text.size()), m_config.codePage));
    proto::AnswerRecord record = proto::encodePcAnswer(whole);
    std::vector<CommandConnection*> targets;
    for (const auto& connection : m_commandConnections) {
        if (!connectionId || connection->id() == *connectionId)
            targets.push_back(connection.get());
    }
    // Answers to a connection that fails to send are lost.
    for (CommandConnection* connection : targets)
        (void)connection->send(std::string_view(record.data(), record.size()));
}

template<typename T>
static std::unique_ptr<T> takeFrom(std::vector<std::unique_ptr<T>>& list, T& item)
{
    auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == &item; });
    if (it == list.end())
        return nullptr;
    std::unique_ptr<T> taken = std::move(*it);
    list.erase(it);
    return taken;
}

void RemoteService::retire(CommandConnection& connection)
{
    connection.close();
    if (auto taken = takeFrom(m_commandConnections, connection))
        m_closedCommands.push_back(std::move(taken));
    if (!m_collectPosted) {
        m_collectPosted = true;
        m_loop.post(this, kMsgCollectClosed);
    }
    descriptorFreed();
}

void RemoteService::descriptorFreed()
{
    m_commandPort.onDescriptorFreed();
    m_uploadPort.onDescriptorFreed();
}

void RemoteService::retire(UploadConnection& connection)
{
    connection.close();
    if (auto taken = takeFrom(m_uploadConnections, connection))
        m_closedUploads.push_back(std::move(taken));
    if (!m_collectPosted) {
        m_collectPosted = true;
        m_loop.post(this, kMsgCollectClosed);
    }
    descriptorFreed();
}

void RemoteService::closeAllConnections()
{
    while (!m_commandConnections.empty())
        retire(*m_commandConnections.front());
    while (!m_uploadConnections.empty())
        retire(*m_uploadConnections.front());
}

void RemoteService::resetSession()
{
    closeAllConnections();
    m_loginGate.clear();
    watchUpload([this] { m_uploads.reset(); });
    m_session.reset();
    publishSession();
}

void RemoteService::publishSession()
{
    const SessionState& state = m_session.state();
    m_webAccess.setLoggedInAddress(state.isLoggedIn ? state.loggedInAddress : std::string());
    // Nobody is left to fetch what waits for download.
    if (!state.isLoggedIn)
        m_downloads.clearStaged();
}

void RemoteService::startProbeTimer(unsigned ms)
{
    killProbeTimer();
    ++m_probeGeneration;
    m_probeTimer = m_loop.setOneShot(this, ms, kMsgKeepAliveExpired, m_probeGeneration);
}

void RemoteService::killProbeTimer()
{
    if (m_probeTimer != 0) {
        m_loop.cancelOneShot(m_probeTimer);
        m_probeTimer = 0;
    }
}

void RemoteService::onProbeExpired()
{
    if (m_session.onProbeExpired() == Session::ProbeVerdict::ResetSession)
        resetSession();
}

platform::LResult RemoteService::onMessage(int msg, platform::WParam wParam, platform::LParam)
{
    switch (msg) {
    case kMsgKeepAliveExpired:
        // An expiry that was already on its way when the timer was killed
        // or restarted is stale.
        if (m_probeTimer == 0 || wParam != m_probeGeneration)
            return 1;
        m_probeTimer = 0;
        onProbeExpired();
        return 1;
    case kMsgPostedAnswer: {
        std::vector<proto::PcAnswer> answers;
        {
            std::lock_guard lock(m_postedMutex);
            answers.swap(m_postedAnswers);
        }
        for (const auto& answer : answers)
            sendAnswer(answer);
        return 1;
    }
    case kMsgPostedLog: {
        std::vector<std::string> entries;
        {
            std::lock_guard lock(m_postedMutex);
            entries.swap(m_postedLogs);
        }
        for (const auto& entry : entries)
            m_deps.log->appendLog(entry);
        return 1;
    }
    case kMsgLoginSweep:
        m_loginSweep = 0;
        closeUnloggedConnections();
        return 1;
    case kMsgCollectClosed:
        m_collectPosted = false;
        m_closedCommands.clear();
        m_closedUploads.clear();
        return 1;
    default:
        return 0;
    }
}

} // namespace pc::service
