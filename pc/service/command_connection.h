#pragma once

// File: pc/service/command_connection.h
// One handheld's connection to the command port. It reads whatever arrives,
// splits the stream at NUL bytes and hands each whole request text to its
// owner; it sends answer records whole. It makes no protocol decisions.
// Owned by RemoteService; lives on the window thread.

#include "pc/service/tcp_socket.h"
#include "platform/event_loop.h"
#include "proto/pc_request.h"

#include <functional>
#include <string>

namespace pc::service {

class CommandConnection {
public:
    struct Events {
        std::function<void(CommandConnection&, const std::string& unit)> onRequest;
        std::function<void(CommandConnection&)> onClosed; // The peer closed or the read failed.
    };

    CommandConnection(platform::EventLoop& loop, Accepted accepted, Events events);
    ~CommandConnection();
    CommandConnection(const CommandConnection&) = delete;
    CommandConnection& operator=(const CommandConnection&) = delete;

    // Sends bytes whole; false when the send failed.
    bool send(std::string_view bytes);
    // Stops watching and closes the socket; safe to call twice.
    void close();
    bool isOpen() const { return m_fd >= 0; }

    const std::string& peerAddress() const { return m_peerAddress; }
    const std::string& localAddress() const { return m_localAddress; }

private:
    void onReadable();

    platform::EventLoop& m_loop;
    int m_fd = -1;
    std::string m_peerAddress;
    std::string m_localAddress;
    Events m_events;
    proto::RequestSplitter m_splitter;
};

} // namespace pc::service
