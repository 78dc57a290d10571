#pragma once

// File: pc/convert/dde_server.h
// The server side of the DDE stand-in: registers a service name (its socket
// in the service folder) and answers the conversations clients open on it.
// One thread of its own accepts connections and reads their transactions;
// every handler call is made on that thread, one at a time, so a handler
// needs no locking against itself. Unregistered when destroyed.

#include "pc/convert/dde_wire.h"
#include "platform/result.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace pc::convert {

struct DdeConversationInfo {
    std::uint64_t id = 0; // Unique within the server.
    std::string topic;
};

class DdeServerHandler {
public:
    virtual ~DdeServerHandler() = default;
    // Whether a client may open a conversation on the topic.
    virtual bool acceptTopic(std::string_view topic) = 0;
    // The command without its terminating zero; true acknowledges it.
    virtual bool execute(const DdeConversationInfo&, std::string_view) { return false; }
    // The item's data, or nullopt to refuse.
    virtual std::optional<std::string> request(const DdeConversationInfo&, std::string_view, std::uint32_t)
    {
        return std::nullopt;
    }
    virtual bool poke(const DdeConversationInfo&, std::string_view, std::uint32_t, std::string_view)
    {
        return false;
    }
    // The conversation has ended (either side closed it).
    virtual void disconnected(const DdeConversationInfo&) { }
};

class DdeServer {
public:
    // Registers the service; Unavailable when another live server has it.
    // The handler outlives the server.
    static platform::IoResult<std::unique_ptr<DdeServer>> start(
        std::string service, DdeServerHandler& handler);
    ~DdeServer();
    DdeServer(const DdeServer&) = delete;
    DdeServer& operator=(const DdeServer&) = delete;

    const std::string& service() const { return m_service; }

private:
    struct Connection;

    DdeServer(std::string service, DdeServerHandler& handler, int listener, int wakeRead, int wakeWrite,
        std::filesystem::path socketPath);
    void run();
    bool onReadable(Connection& connection);
    bool handle(Connection& connection, const DdeFrame& frame);

    std::string m_service;
    DdeServerHandler& m_handler;
    int m_listener;
    int m_wakeRead;
    int m_wakeWrite;
    std::filesystem::path m_socketPath;
    std::uint64_t m_nextId = 1;
    std::thread m_thread;
};

// Writes all of `bytes` to a socket; false when the peer has gone.
bool sendAllBytes(int fd, std::string_view bytes);

} // namespace pc::convert
