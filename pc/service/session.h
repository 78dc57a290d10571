#pragma once

// File: pc/service/session.h
// The handheld session of the PC: log-in, log-out, connection loss and the
// 3-minute keep-alive probe, as a flow without sockets or clocks. The owner
// (RemoteService) tells it what happened and carries out what it asks for
// through the ports below. Window thread only.

#include "pc/service/service_ports.h"

#include <functional>
#include <string>
#include <string_view>

namespace pc::service {

struct SessionState {
    bool isLoggedIn = false;
    std::string loggedInAddress;
    bool isReplaced = false; // A log-in arrived while another handheld was logged in.
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
    bool isLoggedInAddress(std::string_view address) const;

    void onCommand() { m_state.isActive = true; }

    // Code 310. `senderConnected` tells whether an open command connection
    // has the sender's address; a matching log-in without one is dropped.
    // `olderSessionOpen` tells whether the logged-in handheld still has a
    // connection, at the sender's address, other than the one this log-in
    // came on: only then is the session marked replaced, so that closing
    // that older connection keeps the newer log-in.
    void logIn(std::string_view text, const std::string& sender, bool senderConnected, bool olderSessionOpen = true);

    // Code 311: true when the text names this PC (its address, or the local
    // address of the connection the request came on).
    bool namesThisPc(std::string_view text, std::string_view connectionLocalAddress) const;
    // Code 311, after the sender's connection has been closed.
    void onLoggedOut(const std::string& sender);

    // A command connection ended (closed by the peer, or by a log-out).
    void onConnectionClosed(const std::string& peerAddress);

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
