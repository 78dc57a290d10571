#pragma once

// File: pc/service/port_listener.h
// A listening port of the service on the window thread's loop (the command
// port and the upload port): when the listener is readable it accepts what
// is pending and hands each connection to its owner. When the process has
// run out of descriptors the pending connection cannot be taken, and a
// watched listener would wake the loop at once, forever; the port then stops
// watching its listener until the owner reports a freed descriptor or a
// second has passed. Window thread only.

#include "platform/event_loop.h"
#include "platform/tcp_listener.h"

#include <cstdint>
#include <functional>
#include <string>

namespace pc::service {

class PortListener final : private platform::MessageTarget {
public:
    using OnAccepted = std::function<void(platform::AcceptedSocket)>;

    // Connections taken per wake-up, so that a flood cannot starve the rest
    // of the loop.
    static constexpr int kAcceptsPerWake = 32;
    // How long a port out of descriptors waits before it tries again when
    // nobody reports a freed one.
    static constexpr unsigned kRetryMs = 1000;

    PortListener(platform::EventLoop& loop, std::string name, OnAccepted onAccepted);
    ~PortListener() override;

    // Listens on address:port and starts watching; the error says why not.
    platform::IoResult<void> open(const std::string& address, std::uint16_t port);
    void close();
    // A descriptor was closed: a paused port may accept again.
    void onDescriptorFreed();

    bool isOpen() const { return m_listener.isOpen(); }
    bool isPaused() const { return m_paused; }
    // The port bound (0 when not listening).
    std::uint16_t port() const { return m_listener.isOpen() ? m_listener.port() : 0; }

private:
    static constexpr int kMsgRetry = 1;

    void watch();
    void acceptPending();
    void pause();
    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

    platform::EventLoop& m_loop;
    std::string m_name;
    OnAccepted m_onAccepted;
    platform::TcpListener m_listener;
    bool m_paused = false;
    platform::OneShotId m_retry = 0;
};

} // namespace pc::service
