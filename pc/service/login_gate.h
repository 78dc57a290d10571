#pragma once

// File: pc/service/login_gate.h
// Slows down guessing on the command port. A log-in from an address whose
// last tries failed waits out the address's delay (platform::LoginThrottle)
// before its credentials are checked, so a peer learns nothing faster than
// the delay allows however many connections it opens; a correct log-in
// clears the address. Failures are logged once per burst, not once per try.
// One attempt per connection waits at a time (a newer one replaces it).
// Window thread only.

#include "pc/service/service_ports.h"
#include "platform/event_loop.h"
#include "platform/login_throttle.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace pc::service {

class LoginGate final : private platform::MessageTarget {
public:
    using ConnectionId = std::uint64_t;
    // Checks the credentials and answers the handheld; true when they
    // matched. `logRefusal` asks for the refusal's log line.
    using Check = std::function<bool(ConnectionId, const std::string& address, const std::string& text,
        bool logRefusal)>;

    LoginGate(platform::EventLoop& loop, ServiceLog& log, Check check);
    ~LoginGate() override;

    // Code 310 arrived on the connection.
    void onLogIn(ConnectionId connection, const std::string& address, const std::string& text);
    // The connection closed: its waiting attempt is dropped.
    void onConnectionClosed(ConnectionId connection);
    // Service stop: every waiting attempt is dropped.
    void clear();

    std::size_t waitingCount() const { return m_waiting.size(); }

private:
    static constexpr int kMsgDelayOver = 1;

    struct Waiting {
        std::string address;
        std::string text;
        platform::OneShotId timer = 0;
    };

    void checkNow(ConnectionId connection, const std::string& address, const std::string& text);
    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

    platform::EventLoop& m_loop;
    ServiceLog& m_log;
    Check m_check;
    platform::LoginThrottle m_throttle;
    std::map<ConnectionId, Waiting> m_waiting;
};

} // namespace pc::service
