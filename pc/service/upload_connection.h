#pragma once

// File: pc/service/upload_connection.h
// One connection to the upload port. Each receive of up to 1024 bytes is one
// block for the owner, which answers with the acknowledgement to send.
// Owned by RemoteService; lives on the window thread.

#include "pc/service/tcp_socket.h"
#include "platform/event_loop.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pc::service {

class UploadConnection {
public:
    struct Events {
        // nullopt for a failed receive.
        std::function<void(UploadConnection&, std::optional<std::string_view> block)> onBlock;
        std::function<void(UploadConnection&)> onClosed;
    };

    UploadConnection(platform::EventLoop& loop, Accepted accepted, Events events);
    ~UploadConnection();
    UploadConnection(const UploadConnection&) = delete;
    UploadConnection& operator=(const UploadConnection&) = delete;

    bool send(std::string_view bytes);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    const std::string& peerAddress() const { return m_peerAddress; }

private:
    void onReadable();
    void onPeerClosed();

    platform::EventLoop& m_loop;
    int m_fd = -1;
    std::string m_peerAddress;
    Events m_events;
};

} // namespace pc::service
