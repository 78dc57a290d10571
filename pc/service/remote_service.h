#pragma once

// File: pc/service/remote_service.h
// The handheld-facing service of the PC: the command and upload listeners,
// their connections, the dispatch of commands to their handlers, the session
// with its keep-alive probe, and start/stop of the web server. The shell
// builds one, hands it its ports and folders, and calls start() and stop().
// Everything runs on the window thread that owns the EventLoop.
//
// No peer that has not logged in can hold or exhaust the service:
// connections are capped per address and in total (connection_limits.h),
// command connections that have not logged in are closed after
// kLoginTimeout, guessing is slowed down (login_gate.h), and only the
// logged-in connection runs commands and receives answers.
//
//     RemoteService service(loop, deps, config);
//     service.start();   // listeners, web server, log lines
//     ...
//     service.stop();    // 312 to every handheld, then everything closes

#include "pc/service/activity_log.h"
#include "pc/service/browse_handlers.h"
#include "pc/service/command_connection.h"
#include "pc/service/dispatch_table.h"
#include "pc/service/download_stage.h"
#include "pc/service/login_gate.h"
#include "pc/service/mail_commands.h"
#include "pc/service/mail_piece_assembler.h"
#include "pc/service/pc_paths.h"
#include "pc/service/pending_request_stack.h"
#include "pc/service/port_listener.h"
#include "pc/service/service_folders.h"
#include "pc/service/service_ports.h"
#include "pc/service/session.h"
#include "pc/service/transfer_handlers.h"
#include "pc/service/upload_connection.h"
#include "pc/service/upload_receiver.h"
#include "pc/service/view_handlers.h"
#include "pc/service/web_access.h"
#include "platform/codepage.h"
#include "platform/connection_limits.h"
#include "platform/event_loop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc::service {

struct ServiceConfig {
    std::string bindAddress = "0.0.0.0";
    std::uint16_t commandPort = 4000;
    std::uint16_t uploadPort = 4040;
    // The handheld's "ANSI" code page: request texts arrive in it, answer
    // texts and the files the handheld fetches are written in it. Inside,
    // everything is UTF-8; file names on the PC's disk stay UTF-8.
    std::string codePage = std::string(platform::kUtf8);
};

// What the service is built from; everything referenced outlives it.
struct ServiceDependencies {
    ServiceLog* log = nullptr;
    ProgressView* progress = nullptr;
    const PcPaths* paths = nullptr;
    ServiceFolders folders;
    std::function<Credentials()> credentials;
    std::function<int()> mailClientKind;
    std::function<std::string()> lookUpPcAddress;
};

// Command port: a handheld needs one connection; a few more cover a
// reconnect whose old connection the PC has not yet seen close, and
// handhelds behind one address.
inline constexpr platform::ConnectionLimits kCommandLimits { 64, 8 };
// Upload port: one upload runs at a time, from the logged-in address only.
inline constexpr platform::ConnectionLimits kUploadLimits { 16, 4 };
// One receive of a windowed upload's frames on the upload port.
inline constexpr std::size_t kWindowedReceiveBytes = 256 * 1024;
// A command connection that has not logged in is closed this long after it
// was accepted.
inline constexpr platform::Ticks kLoginTimeout { 30000 };
// Log lines: each log-in says whether it came over the private link; a
// clear connection refused under SecureLink=required says why.
inline constexpr std::string_view kPrivateLoginLine = "보안 연결(TLS 1.3)로 로그인했습니다.\n";
inline constexpr std::string_view kClearLoginLine = "암호화되지 않은 연결로 로그인했습니다.\n";
inline constexpr std::string_view kClearRefusedLine = "암호화되지 않은 연결을 거부했습니다 (SecureLink=required).\n";

class RemoteService final : public platform::MessageTarget, private AnswerSink, private ProbeTimer {
public:
    // Window messages of the service.
    static constexpr int kMsgKeepAliveExpired = 5101;
    static constexpr int kMsgCollectClosed = 5102;
    static constexpr int kMsgPostedAnswer = 5103;
    static constexpr int kMsgPostedLog = 5104;
    static constexpr int kMsgLoginSweep = 5105;

    RemoteService(platform::EventLoop& loop, ServiceDependencies dependencies, ServiceConfig config);
    ~RemoteService() override;

    // False when the web server could not start (the listeners run anyway).
    bool start();
    void stop();
    bool isRunning() const { return m_running; }

    // Ports actually bound (0 when the listener could not be created).
    std::uint16_t commandPort() const;
    std::uint16_t uploadPort() const;
    // The ports the next start listens on; a running service keeps its own
    // until it is stopped.
    void setListenPorts(std::uint16_t command, std::uint16_t upload);

    // The web server started and stopped with the service (optional; it
    // takes its access rule from webAccess()).
    void setWebService(WebService* web) { m_web = web; }
    // Private connections on the command and upload ports (outlives the
    // service); null serves clear connections only. Applies to connections
    // accepted afterwards.
    void setSecureLink(platform::SecureLinkServer* secureLink) { m_secureLink = secureLink; }
    // The mail relay's handlers; null restores the silent stubs.
    void setMailCommands(MailCommands* mail);
    // The document converters of the view requests; null makes documents
    // that need one fail. They must outlive the service, which waits for a
    // running conversion when it is destroyed.
    void setDocumentConverters(DocumentConverters* converters) { m_view.setConverters(converters); }
    DispatchTable& dispatchTable() { return m_table; }
    const SessionState& session() const { return m_session.state(); }
    const WebAccessGate& webAccess() const { return m_webAccess; }
    // The download folder's files, for the web server to report them served.
    DownloadStage& downloadStage() { return m_downloads; }
    std::size_t commandConnectionCount() const { return m_commandConnections.size(); }
    std::size_t uploadConnectionCount() const { return m_uploadConnections.size(); }
    const UploadReceiver& uploads() const { return m_uploads; }
    const std::string& codePage() const { return m_config.codePage; }

    // Send answer: to the logged-in handheld's connections (see the .cpp).
    void sendAnswer(const proto::PcAnswer& answer) override;
    // To every open command connection.
    void broadcast(const proto::PcAnswer& answer);
    // sendAnswer() from any thread (a mail check answers from its worker):
    // the answer is queued and sent on the window thread.
    void postAnswer(proto::PcAnswer answer);
    // An entry for the log pane from any thread, appended on the window thread.
    void postLog(std::string text);

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    void registerHandlers();
    void listen();
    void onCommandAccept(platform::AcceptedSocket accepted);
    void onUploadAccept(platform::AcceptedSocket accepted);
    bool checkLogIn(ConnectionId id, const std::string& address, const std::string& text, bool logRefusal);
    void scheduleLoginSweep();
    void closeUnloggedConnections();
    void descriptorFreed();
    void onRequestText(CommandConnection& connection, const std::string& unit);
    void dispatchPending(CommandConnection& connection);
    static bool isGated(std::int32_t code);
    void onCommandClosed(CommandConnection& connection);
    void dropUnlogged(CommandConnection& connection);
    void onUploadBlock(UploadConnection& connection, std::optional<std::string_view> block);
    void onUploadClosed(UploadConnection& connection);
    // Logs an upload that `step` ended without its end answer.
    void watchUpload(const std::function<void()>& step);
    void logIn(const CommandContext& context);
    void logOut(const CommandContext& context);
    void offerFeatures(const CommandContext& context);
    void onMailPiece(const CommandContext& context);
    void onProbeExpired();
    void closeAllConnections();
    void resetSession();
    void retire(CommandConnection& connection);
    void retire(UploadConnection& connection);
    void publishSession();
    CommandConnection* findConnection(ConnectionId id) const;
    void sendTo(const proto::PcAnswer& answer, std::optional<ConnectionId> connection);
    std::string webHost(const CommandContext& context) const;

    void startProbeTimer(unsigned ms) override;
    void killProbeTimer() override;

    platform::EventLoop& m_loop;
    ServiceDependencies m_deps;
    ServiceConfig m_config;
    NullProgressView m_noProgress;
    NoMailCommands m_noMail;
    MailCommands* m_mail;
    WebService* m_web = nullptr;
    platform::SecureLinkServer* m_secureLink = nullptr;
    DispatchTable m_table;
    PendingRequestStack m_pending;
    Session m_session;
    platform::PrefixDigest m_heldDigest; // Before the receiver that uses it.
    UploadReceiver m_uploads;
    DownloadStage m_downloads;
    BrowseHandlers m_browse;
    TransferHandlers m_transfer;
    MailPieceAssembler m_mailPieces;
    ViewHandlers m_view;
    WebAccessGate m_webAccess;
    LoginGate m_loginGate;
    ActivityLog m_activity;

    bool m_running = false;
    PortListener m_commandPort;
    PortListener m_uploadPort;
    ConnectionId m_nextConnectionId = 1;
    platform::OneShotId m_loginSweep = 0;
    std::vector<std::unique_ptr<CommandConnection>> m_commandConnections;
    std::vector<std::unique_ptr<UploadConnection>> m_uploadConnections;
    // Connections closed inside their own notification, deleted later.
    std::vector<std::unique_ptr<CommandConnection>> m_closedCommands;
    std::vector<std::unique_ptr<UploadConnection>> m_closedUploads;
    bool m_collectPosted = false;
    platform::OneShotId m_probeTimer = 0;
    platform::WParam m_probeGeneration = 0;
    std::optional<ConnectionId> m_audience; // Set while a log-in is handled.
    std::mutex m_postedMutex;
    std::vector<proto::PcAnswer> m_postedAnswers; // Guarded by m_postedMutex.
    std::vector<std::string> m_postedLogs; // Guarded by m_postedMutex.
};

} // namespace pc::service
