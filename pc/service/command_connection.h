#pragma once

// File: pc/service/command_connection.h
// One handheld's connection to the command port. It reads whatever arrives,
// splits the stream at NUL bytes and hands each whole request text to its
// owner; it sends answer records whole. It makes no protocol decisions.
// Owned by RemoteService, which numbers its connections; lives on the
// window thread.

#include "platform/clock.h"
#include "pc/service/first_byte_gate.h"
#include "platform/event_loop.h"
#include "platform/tcp_listener.h"
#include "proto/pc_request.h"

#include <cstdint>
#include <functional>
#include <string>

namespace pc::service {

class CommandConnection {
public:
    struct Events {
        std::function<void(CommandConnection&, const std::string& unit)> onRequest;
        // A clear connection where only private ones are served (closed).
        std::function<void(CommandConnection&)> onRefused;
        // Private connections (TLS) beside clear ones; null: clear only.
        platform::SecureLinkServer* secureLink = nullptr;
        std::function<void(CommandConnection&)> onClosed; // The peer closed or the read failed.
    };

    CommandConnection(platform::EventLoop& loop, std::uint64_t id, platform::AcceptedSocket accepted, Events events);
    ~CommandConnection();
    CommandConnection(const CommandConnection&) = delete;
    CommandConnection& operator=(const CommandConnection&) = delete;

    // Sends bytes whole; false when the send failed.
    bool send(std::string_view bytes);
    // Stops watching and closes the socket; safe to call twice.
    void close();
    bool isOpen() const { return m_socket.isOpen(); }
    // Whether the connection came over the private link.
    bool isPrivate() const { return m_gate.isPrivate(); }

    std::uint64_t id() const { return m_id; }
    const std::string& peerAddress() const { return m_peerAddress; }
    const std::string& localAddress() const { return m_localAddress; }
    // When the connection was accepted, on the loop's clock.
    platform::Ticks acceptedAt() const { return m_acceptedAt; }

private:
    void onReadable();
    void onPeerClosed();

    platform::EventLoop& m_loop;
    std::uint64_t m_id;
    platform::SocketFd m_socket;
    std::string m_peerAddress;
    std::string m_localAddress;
    platform::Ticks m_acceptedAt;
    Events m_events;
    FirstByteGate m_gate;
    platform::SocketCallbacks m_callbacks;
    proto::RequestSplitter m_splitter;
};

} // namespace pc::service
