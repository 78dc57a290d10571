#pragma once

// File: pc/service/session.h
// The handheld session of the PC: log-in, log-out, connection loss and the
// 3-minute keep-alive probe, as a flow without sockets or clocks. The session
// belongs to the command connection the log-in came on: only that connection
// runs commands, and only its close (or log-out) ends the session; another
// connection from the same address is a stranger. The owner (RemoteService)
// tells it what happened and carries out what it asks for through the ports
// below. Window thread only.

#include "pc/service/service_ports.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pc::service {

using ConnectionId = std::uint64_t;

struct SessionState {
    bool isLoggedIn = false;
    std::string loggedInAddress;
    ConnectionId loggedInConnection = 0; // 0 when nobody is logged in.
    bool isActive = false;   // Set by every dispatched command, cleared by a probe.
    std::string pcAddress;   // Looked up at service start.
};

// The keep-alive timer: a one-shot timer whose expiry comes back as
// Session::onProbeExpired() on the window thread.
class ProbeTimer {
public:
    virtual ~ProbeTimer() = default;
    virtual void startProbeTimer(unsigned ms) = 0;
    virtual void killProbeTimer() = 0;
};

struct Credentials {
    std::string id;
    std::string password;
};

// Values the log-in answer needs, read when a log-in arrives.
struct LoginSource {
    std::function<Credentials()> credentials;
    std::function<int()> mailClientKind; // 1: Outlook Express kind, 2: other.
    std::function<std::string()> driveList; // "C:D:" followed by "\\".
};

class Session {
public:
    static constexpr unsigned kProbeMs = 180000;

    Session(ServiceLog& log, AnswerSink& answers, ProbeTimer& timer, LoginSource source);

    const SessionState& state() const { return m_state; }
    void setPcAddress(std::string address) { m_state.pcAddress = std::move(address); }
    // For the web server and the upload port, which have no log-in of their own.
    bool isLoggedInAddress(std::string_view address) const;
    bool isLoggedInConnection(ConnectionId connection) const;

    void onCommand() { m_state.isActive = true; }

    enum class LoginOutcome { Accepted, Refused };
    // Code 310 on `connection` from `sender`. A refusal is logged only when
    // `logRefusal` is set (the owner logs once per burst of guesses).
    LoginOutcome logIn(std::string_view text, const std::string& sender, ConnectionId connection,
        bool logRefusal = true);

    // Code 311: true when the text names this PC (its address, or the local
    // address of the connection the request came on).
    bool namesThisPc(std::string_view text, std::string_view connectionLocalAddress) const;

    // A command connection ended (closed by the peer, or by a log-out).
    void onConnectionClosed(const std::string& peerAddress, ConnectionId connection);

    // Sends the probe and arms the timer.
    void startProbe();
    enum class ProbeVerdict { Nothing, ResetSession, ProbeAgain };
    // The timer fired. On ResetSession the owner closes every connection and
    // calls reset(); on ProbeAgain this has already probed again.
    ProbeVerdict onProbeExpired();

    // Forgets the handheld (service reset or stop); kills the timer.
    void reset();

private:
    ServiceLog& m_log;
    AnswerSink& m_answers;
    ProbeTimer& m_timer;
    LoginSource m_source;
    SessionState m_state;
};

} // namespace pc::service
