#pragma once

// File: pc/web/http_server.h
// The web server: one listening socket and one listener thread with a single
// handler object (no thread per connection). The thread's poll loop reads
// the heads of many connections side by side and sends their answers as the
// peers take them, while the handler answers one request at a time; so a
// client that trickles its head, or reads slowly, holds only its own
// connection, and every connection has a deadline (web_connection.h).
// Addresses the filter refuses are answered 400 as soon as they connect;
// connections are capped per address and in total (the longest waiting
// head makes room); credentials from an address that guessed wrong wait a
// growing delay; running out of descriptors pauses accepting instead of
// spinning. Start/Wait/Stop may be called from any thread; the handler, the
// sockets and all file work stay on the listener thread.
//
//     CHttpServer server(clock, logon, std::cout, mimeTypes);
//     if (!server.start(CHttpServerConfig::forServiceFolder(root, 91)))
//         ui.show("Failed to start the web server");

#include "pc/web/content_type_cache.h"
#include "pc/web/http_client.h"
#include "pc/web/logon_check.h"
#include "pc/web/url_mapping.h"
#include "platform/clock.h"
#include "platform/connection_limits.h"
#include "platform/login_throttle.h"
#include "platform/tcp_listener.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace platform {
class SecureLinkServer;
}

namespace pc::web {

using HandlerFactory = std::function<std::unique_ptr<CHttpClient>(CHttpServer&)>;

struct CHttpServerConfig {
    static constexpr std::uint16_t kDefaultPort = 80;
    static constexpr std::uint16_t kServicePort = 91;
    static constexpr int kDefaultTimeoutMs = 30000;
    // A handheld on a slow dial-up link still reads faster than this.
    static constexpr std::uint64_t kDefaultMinSendBytesPerSecond = 4096;
    static constexpr std::string_view kDefaultServerName = "Kiteweb/1.1";

    std::uint16_t port = kDefaultPort;
    std::vector<CWebFolder> folders; // See defaults().
    bool bindToAddress = false; // Off: listen on all addresses.
    in_addr bindAddress {};
    int timeoutMs = kDefaultTimeoutMs; // For reading a request head.
    // An answer must go out within timeoutMs plus its size at this rate.
    std::uint64_t minSendBytesPerSecond = kDefaultMinSendBytesPerSecond;
    std::string serverName = std::string(kDefaultServerName);
    HandlerFactory handlerFactory; // Empty: CHttpClient.
    std::string logonUser; // When set, must pass the logon check for the server to start.
    std::string logonPassword;
    // Private (TLS) connections on the same port; null serves clear ones only.
    // It outlives the server.
    platform::SecureLinkServer* secureLink = nullptr;

    // Alias "/" for the program's own folder, default file "default.htm", no listing.
    static CHttpServerConfig defaults();
    // The program's start-up settings: alias "\" for the service folder,
    // default file "404.htm", no listing, CMyHttpClient as handler.
    static CHttpServerConfig forServiceFolder(const std::string& serviceRoot, std::uint16_t port = kServicePort);
};

class WebConnection;

class CHttpServer {
public:
    // A handheld fetches one file at a time; a few more cover a browser's
    // parallel fetches. The listen backlog takes a burst beyond these.
    static constexpr platform::ConnectionLimits kLimits { 64, 16 };

    using ClientFilter = std::function<bool(const in_addr&)>;

    // Everything passed in must outlive the server.
    CHttpServer(platform::Clock& clock, LogonCheck& logonCheck, std::ostream& accessLog,
        const ContentTypeSource& contentTypes);
    ~CHttpServer();
    CHttpServer(const CHttpServer&) = delete;
    CHttpServer& operator=(const CHttpServer&) = delete;

    // Copies the configuration, starts the listener thread and returns once
    // it is listening (true) or has given up (false).
    bool start(const CHttpServerConfig& config);
    // Blocks until the listener thread has ended; false when none runs.
    bool wait();
    // Asks the listener to end and waits for it. Responses under way get a
    // moment to finish; clients still to complete their request are dropped.
    void stop();

    bool isRunning() const;
    // The port actually bound (differs from the configuration for port 0).
    std::uint16_t port() const { return m_boundPort.load(); }
    // Connections accepted since the server was created.
    std::uint64_t connectionsAccepted() const { return m_accepted.load(); }

    // Decides which client addresses are served; others are answered 400.
    // May be replaced at any time from any thread. Without one, all are served.
    void setClientFilter(ClientFilter filter);
    bool isClientAllowed(const in_addr& address) const;

    // For the handler, on the listener thread.
    const CHttpServerConfig& config() const { return m_config; }
    CContentTypeCache& contentTypes() { return m_contentTypes; }
    platform::Clock& clock() { return m_clock; }
    LogonCheck& logonCheck() { return m_logonCheck; }
    platform::LoginThrottle& logonThrottle() { return m_logonThrottle; }
    std::ostream& accessLog() { return m_accessLog; }
    // Becomes readable once a stop has been asked for; -1 before the first start.
    int stopHandle() const { return m_wakeHandle; }

private:
    void run(std::function<void(bool)> signalStarted);
    void serveUntilStopped(platform::TcpListener& listener, CHttpClient& handler);
    void markEnded();

    platform::Clock& m_clock;
    LogonCheck& m_logonCheck;
    std::ostream& m_accessLog;
    CContentTypeCache m_contentTypes;
    CHttpServerConfig m_config;
    platform::LoginThrottle m_logonThrottle; // Listener thread only.

    std::mutex m_lifecycleMutex; // Serialises start and stop.
    std::thread m_thread;
    std::atomic<bool> m_stopRequested { false };
    std::atomic<std::uint16_t> m_boundPort { 0 };
    std::atomic<std::uint64_t> m_accepted { 0 };
    int m_wakeHandle = -1; // eventfd that interrupts the listener's wait.

    mutable std::mutex m_endedMutex;
    std::condition_variable m_endedChanged;
    bool m_ended = true;

    mutable std::mutex m_filterMutex;
    ClientFilter m_clientFilter;
};

} // namespace pc::web
