#pragma once

// File: pc/web/serve_loop.h
// The listener thread's loop of the web server: one poll over the listener,
// the stop handle and every open connection. It accepts (refusing addresses
// the filter does not allow, capping connections, pausing while descriptors
// are short), moves each connection along its states (web_connection.h),
// lets the single handler answer complete heads one at a time, and ends
// connections at their deadlines. Runs on the listener thread only, until
// the stop flag is set.

#include "pc/web/web_connection.h"
#include "platform/tcp_listener.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace pc::web {

class CHttpClient;
class CHttpServer;

class ServeLoop {
public:
    using Clock = WebConnection::Clock;

    // Connections taken per wake-up, so that a flood cannot starve the rest.
    static constexpr int kAcceptsPerWake = 32;
    // How long accepting pauses when descriptors run out and no connection
    // has closed since.
    static constexpr std::chrono::milliseconds kAcceptRetry { 1000 };
    // How long answers under way may still run once a stop is asked for.
    static constexpr std::chrono::milliseconds kStopGrace { 1000 };

    ServeLoop(CHttpServer& server, platform::TcpListener& listener, CHttpClient& handler, int wakeHandle,
        const std::atomic<bool>& stopRequested, std::atomic<std::uint64_t>& accepted);
    ~ServeLoop();

    void run();

private:
    void pollOnce(std::chrono::milliseconds longest);
    void acceptPending(Clock::time_point now);
    void admit(platform::AcceptedSocket accepted, Clock::time_point now);
    void answer(WebConnection& connection, Clock::time_point now);
    void passTime(Clock::time_point now);
    void removeDone();
    std::chrono::milliseconds timeToNextEvent(Clock::time_point now) const;
    void finishAnswersUnderWay();

    CHttpServer& m_server;
    platform::TcpListener& m_listener;
    CHttpClient& m_handler;
    int m_wakeHandle;
    const std::atomic<bool>& m_stopRequested;
    std::atomic<std::uint64_t>& m_accepted;
    std::vector<std::unique_ptr<WebConnection>> m_connections;
    std::uint64_t m_nextId = 1;
    bool m_acceptPaused = false;
    Clock::time_point m_acceptResumeAt {};
};

} // namespace pc::web
