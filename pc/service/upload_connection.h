#pragma once

// File: pc/service/upload_connection.h
// One connection to the upload port. Each receive of up to 1024 bytes is one
// block for the owner, which answers with the acknowledgement to send.
// Owned by RemoteService, which numbers its connections; lives on the
// window thread.

#include "pc/service/first_byte_gate.h"
#include "platform/event_loop.h"
#include "platform/tcp_listener.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc::service {

class UploadConnection {
public:
    struct Events {
        // nullopt for a failed receive.
        std::function<void(UploadConnection&, std::optional<std::string_view> block)> onBlock;
        // A clear connection where only private ones are served (closed).
        std::function<void(UploadConnection&)> onRefused;
        // Private connections (TLS) beside clear ones; null: clear only.
        platform::SecureLinkServer* secureLink = nullptr;
        std::function<void(UploadConnection&)> onClosed;
    };

    UploadConnection(platform::EventLoop& loop, std::uint64_t id, platform::AcceptedSocket accepted, Events events);
    ~UploadConnection();
    UploadConnection(const UploadConnection&) = delete;
    UploadConnection& operator=(const UploadConnection&) = delete;

    bool send(std::string_view bytes);
    // The largest receive handed over as one block: 1024 bytes (a block of
    // the lock-step upload) unless raised for a windowed upload's frames.
    void setReceiveBytes(std::size_t bytes) { m_buffer.resize(std::max(bytes, m_buffer.size())); }
    void close();
    bool isOpen() const { return m_socket.isOpen(); }
    // Whether the connection came over the private link.
    bool isPrivate() const { return m_gate.isPrivate(); }
    std::uint64_t id() const { return m_id; }
    const std::string& peerAddress() const { return m_peerAddress; }

private:
    void onReadable();
    void onPeerClosed();

    platform::EventLoop& m_loop;
    std::uint64_t m_id;
    platform::SocketFd m_socket;
    std::string m_peerAddress;
    Events m_events;
    FirstByteGate m_gate;
    std::vector<char> m_buffer;
    platform::SocketCallbacks m_callbacks;
};

} // namespace pc::service
