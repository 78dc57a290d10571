#pragma once

// File: pc/web/web_connection.h
// One connection of the web server, as a state machine the listener thread's
// poll loop drives without ever blocking on it: the head is read as it
// arrives, the response is sent as the peer takes it, and every state has a
// deadline. Many connections make progress side by side, so a client that
// trickles its head or reads its response slowly holds only its own
// connection. The loop asks events() what to poll for and deadline() when
// to give up; the handler fills the response. Listener thread only.

#include "pc/web/head_buffer.h"
#include "pc/web/web_response.h"
#include "platform/clock.h"
#include "platform/net_address.h"

#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <string>

namespace platform {
class SecureLinkServer;
}

namespace pc::web {

class WebConnection {
public:
    using Clock = std::chrono::steady_clock;

    enum class State {
        ReadingHead, // Waiting for the blank line.
        HeadReady, // The head is complete (or too large): the handler's turn.
        Waiting, // The handler asked to try again later (a throttled log-on).
        Sending, // The response goes out as the peer takes it.
        Draining, // Sent; reading what the peer still sends before closing.
        Done, // Close it.
    };
    enum class HeadOutcome {
        Complete,
        TooLarge,
        Closed, // The peer closed before the head was complete.
        Failed,
    };

    // How long a refused peer may go on sending before it is cut off.
    static constexpr std::chrono::milliseconds kDrainTime { 1000 };

    WebConnection(std::uint64_t id, platform::SocketFd socket, const sockaddr_in& peer, Clock::time_point now,
        std::chrono::milliseconds headTimeout);

    // Private connections: the first byte decides (secure_link.h); null
    // reads every connection as clear.
    void setSecureLink(platform::SecureLinkServer* secureLink) { m_secureLink = secureLink; }
    bool isPrivate() const { return m_isPrivate; }

    std::uint64_t id() const { return m_id; }
    int fd() const { return m_socket.fd(); }
    const sockaddr_in& peer() const { return m_peer; }
    State state() const { return m_state; }
    Clock::time_point acceptedAt() const { return m_acceptedAt; }
    // When the current state gives up.
    Clock::time_point deadline() const { return m_deadline; }
    // POLLIN and/or POLLOUT for the current state.
    short events() const;

    // ReadingHead: reads what is there. Complete and TooLarge move to
    // HeadReady; Closed and Failed to Done. nullopt: still incomplete.
    std::optional<HeadOutcome> onReadable();
    std::string_view head() const { return m_head.head(); }
    std::string_view held() const { return m_head.held(); }
    HeadOutcome headOutcome() const { return m_headOutcome; }

    // The handler's decision: try again at `retryAt` on the server's clock
    // (the log-on throttle's), giving up at `giveUpAt`.
    void wait(platform::Ticks retryAt, Clock::time_point giveUpAt);
    platform::Ticks retryAt() const { return m_retryAt; }
    // Waiting is over: the handler's turn again, with the same head.
    void resume() { m_state = State::HeadReady; }
    // `drainAfter`: the peer's request was never read (a refused address);
    // read what it sends after the response, so that closing does not
    // reset the connection before the peer has read the answer.
    // The whole response must go out within `timeout` plus its size at
    // `minBytesPerSecond`.
    void respond(WebResponse response, Clock::time_point now, std::chrono::milliseconds timeout,
        std::uint64_t minBytesPerSecond, bool drainAfter = false);

    // Sending: sends what the peer takes now; Draining: reads and drops.
    void onWritable(Clock::time_point now);
    void onDrainReadable();
    void close();

private:
    std::uint64_t m_id;
    platform::SocketFd m_socket;
    sockaddr_in m_peer;
    Clock::time_point m_acceptedAt;
    Clock::time_point m_deadline;
    State m_state = State::ReadingHead;
    HeadBuffer m_head;
    HeadOutcome m_headOutcome = HeadOutcome::Complete;
    WebResponse m_response;
    std::size_t m_bytesSent = 0;
    std::uint64_t m_fileSent = 0;
    bool m_drainAfter = false;
    platform::Ticks m_retryAt { 0 };
    platform::SecureLinkServer* m_secureLink = nullptr;
    bool m_isPrivate = false;
};

} // namespace pc::web
