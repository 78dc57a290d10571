#include "pc/service/remote_service.h"

#include "pc/service/tcp_socket.h"
#include "platform/codepage.h"
#include "platform/trace.h"
#include "proto/command_codes.h"

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
    , m_uploads(m_deps.folders.uploads, *this, m_deps.progress ? *m_deps.progress : m_noProgress)
    , m_browse(m_deps.folders.root, *m_deps.paths, *this, m_deps.progress ? *m_deps.progress : m_noProgress,
          m_config.codePage)
    , m_transfer(m_deps.folders.downloads, *m_deps.paths, *this, m_uploads)
    , m_view(loop, m_deps.folders, *m_deps.paths, *this, [this] { return webHost(); }, m_config.codePage)
{
    registerHandlers();
}

RemoteService::~RemoteService()
{
    if (m_running)
        stop();
    killProbeTimer();
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
    return m_commandListener >= 0 ? localPortOf(m_commandListener) : 0;
}

std::uint16_t RemoteService::uploadPort() const
{
    return m_uploadListener >= 0 ? localPortOf(m_uploadListener) : 0;
}

void RemoteService::listen()
{
    // A listener that cannot be created leaves the service running without
    // it; the trace says why, and the shell may tell the user (port 0).
    if (auto fd = listenTcp(m_config.bindAddress, m_config.commandPort)) {
        m_commandListener = *fd;
        m_loop.watchSocket(m_commandListener, { [this] { onCommandAccept(); }, {}, {} });
    } else {
        platform::trace("command listener: " + platform::describe(fd.error()));
    }
    if (auto fd = listenTcp(m_config.bindAddress, m_config.uploadPort)) {
        m_uploadListener = *fd;
        m_loop.watchSocket(m_uploadListener, { [this] { onUploadAccept(); }, {}, {} });
    } else {
        platform::trace("upload listener: " + platform::describe(fd.error()));
    }
}

bool RemoteService::start()
{
    if (m_running)
        return true;
    m_session.setPcAddress(m_deps.lookUpPcAddress ? m_deps.lookUpPcAddress() : std::string());
    listen();
    bool webStarted = !m_web || m_web->startWeb();
    m_running = true;
    std::string addressLine = "This Computer IP : " + m_session.state().pcAddress + "\n";
    m_deps.log->appendLog(m_deps.log->hasText() ? "\n" + addressLine : addressLine);
    m_deps.log->appendLog("PC 서버를 시작합니다..\n");
    return webStarted;
}

void RemoteService::stop()
{
    if (!m_running)
        return;
    broadcast({ 0, proto::kCodeServiceStopping, "" });
    closeAllConnections();
    for (int* listener : { &m_commandListener, &m_uploadListener }) {
        if (*listener >= 0) {
            m_loop.unwatchSocket(*listener);
            closeFd(*listener);
        }
    }
    m_uploads.reset();
    m_session.reset();
    publishSession();
    if (m_web)
        m_web->stopWeb();
    m_running = false;
    m_deps.log->appendLog("PC 서버를 종료합니다..\n");
}

void RemoteService::onCommandAccept()
{
    auto accepted = acceptTcp(m_commandListener);
    if (!accepted)
        return;
    m_deps.log->appendLog("사용자가 PC 연결을 시도합니다..\n");
    CommandConnection::Events events;
    events.onRequest = [this](CommandConnection& c, const std::string& unit) { onRequestText(c, unit); };
    events.onClosed = [this](CommandConnection& c) { onCommandClosed(c); };
    m_commandConnections.push_back(std::make_unique<CommandConnection>(m_loop, std::move(*accepted), std::move(events)));
}

void RemoteService::onUploadAccept()
{
    auto accepted = acceptTcp(m_uploadListener);
    if (!accepted)
        return;
    // Only the logged-in handheld may send files.
    if (!m_session.isLoggedInAddress(accepted->peerAddress)) {
        m_deps.log->appendLog("접속 IP: " + accepted->peerAddress + "\n로그인하지 않은 주소의 파일 전송 연결을 닫습니다..\n");
        closeFd(accepted->fd);
        return;
    }
    UploadConnection::Events events;
    events.onBlock = [this](UploadConnection& c, std::optional<std::string_view> b) { onUploadBlock(c, b); };
    events.onClosed = [this](UploadConnection& c) { onUploadClosed(c); };
    m_uploadConnections.push_back(std::make_unique<UploadConnection>(m_loop, std::move(*accepted), std::move(events)));
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

bool RemoteService::isGated(std::int32_t code) const
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
    if (isGated(context.code) && !m_session.isLoggedInAddress(context.senderAddress)) {
        m_deps.log->appendLog("접속 IP: " + context.senderAddress + "\n로그인하지 않은 주소의 요청(" + std::to_string(context.code) + ")을 무시합니다..\n");
        return;
    }
    // Only the logged-in handheld keeps its session alive; a keep-alive
    // reply from another address does not.
    if (m_session.isLoggedInAddress(context.senderAddress))
        m_session.onCommand();
    m_table.dispatch(context);
    publishSession();
}

void RemoteService::logIn(const CommandContext& context)
{
    bool connected = findConnection(context.senderAddress) != nullptr;
    // The session is marked replaced only when the older log-in's connection
    // is still open and has the same address as the new one: only then could
    // its closing log the newer handheld out. A handheld logging in again on
    // the same connection replaces nobody, and a handheld at another address
    // leaves no mark that would keep the newer log-in alive after its own
    // connection has gone.
    bool olderSessionOpen = false;
    if (m_session.state().isLoggedIn && m_session.state().loggedInAddress == context.senderAddress) {
        for (const auto& connection : m_commandConnections) {
            if (connection.get() != context.connection && connection->isOpen()
                && connection->peerAddress() == m_session.state().loggedInAddress)
                olderSessionOpen = true;
        }
    }
    // The log-in answer, and the first probe, go to the handheld that asked.
    m_audience = context.senderAddress;
    m_session.logIn(context.text, context.senderAddress, connected, olderSessionOpen);
    m_audience.reset();
}

void RemoteService::logOut(const CommandContext& context)
{
    if (!m_session.namesThisPc(context.text, context.connection ? context.connection->localAddress() : ""))
        return;
    CommandConnection* connection = findConnection(context.senderAddress);
    if (!connection)
        return;
    connection->close();
    onCommandClosed(*connection);
    m_session.onLoggedOut(context.senderAddress);
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

void RemoteService::onCommandClosed(CommandConnection& connection)
{
    m_session.onConnectionClosed(connection.peerAddress());
    retire(connection);
    publishSession();
}

void RemoteService::onUploadBlock(UploadConnection& connection, std::optional<std::string_view> block)
{
    auto ack = m_uploads.onReceived(block);
    if (ack && !connection.send(std::string_view(ack->data(), ack->size())))
        m_uploads.onAckFailed();
}

void RemoteService::onUploadClosed(UploadConnection& connection)
{
    retire(connection);
    m_uploads.onConnectionClosed();
}

CommandConnection* RemoteService::findConnection(const std::string& address) const
{
    for (const auto& connection : m_commandConnections) {
        if (connection->isOpen() && connection->peerAddress() == address)
            return connection.get();
    }
    return nullptr;
}

std::string RemoteService::webHost() const
{
    // The handheld reaches the web server on its configured port (91 unless
    // changed).
    std::uint16_t port = m_web && m_web->webPort() != 0 ? m_web->webPort() : 91;
    return m_session.state().pcAddress + ":" + std::to_string(port);
}

void RemoteService::sendAnswer(const proto::PcAnswer& answer)
{
    // Answers go to the logged-in handheld only (or, for a log-in, to the
    // handheld that asked), never to other connections on the command port.
    std::string audience;
    if (m_audience)
        audience = *m_audience;
    else if (m_session.state().isLoggedIn)
        audience = m_session.state().loggedInAddress;
    else
        return;
    sendTo(answer, &audience);
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
    sendTo(answer, nullptr);
}

void RemoteService::sendTo(const proto::PcAnswer& answer, const std::string* address)
{
    proto::PcAnswer whole = answer;
    // The text travels in the handheld's code page. The record holds 1023
    // bytes of it; never cut a character in two.
    std::string wire = platform::fromUtf8(answer.text, m_config.codePage);
    whole.text = std::string(platform::cutAnsi(wire, proto::kAnswerTextBytes - 1, m_config.codePage));
    proto::AnswerRecord record = proto::encodePcAnswer(whole);
    std::vector<CommandConnection*> targets;
    for (const auto& connection : m_commandConnections) {
        if (!address || connection->peerAddress() == *address)
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
    m_uploads.reset();
    m_session.reset();
    publishSession();
}

void RemoteService::publishSession()
{
    const SessionState& state = m_session.state();
    m_webAccess.setLoggedInAddress(state.isLoggedIn ? state.loggedInAddress : std::string());
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
