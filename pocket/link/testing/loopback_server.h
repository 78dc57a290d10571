#pragma once

// File: pocket/link/testing/loopback_server.h
// The thread and sockets of a scripted server for tests, on 127.0.0.1 with a
// port chosen by the system: it accepts connections and hands each one's
// arrivals to the owner's handlers, one turn at a time on its own thread and
// holding lock(). The owner's functions that other threads call take the
// same lock, and wake() gives the owner a turn (Handlers::woken) on the
// server's thread. shutDown() closes every connection and the listener, as
// a server that goes away. Build it last in its owner: its thread starts in
// the constructor and calls the handlers.

#include "platform/tcp_listener.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace pocket::link::testing {

class LoopbackServer {
public:
    struct Handlers {
        std::function<void(int fd)> accepted;
        std::function<void(int fd, std::string_view bytes)> received;
        // The peer closed the connection; it is closed after the handler.
        std::function<void(int fd)> ended;
        std::function<void()> woken;
    };

    explicit LoopbackServer(Handlers handlers);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t port() const { return m_port; }
    std::unique_lock<std::mutex> lock() { return std::unique_lock(m_mutex); }
    void wake();
    // May be called holding lock().
    void shutDown();

    // From a handler: sends on a connection, or closes it after the turn.
    void send(int fd, std::string_view bytes);
    void close(int fd);

private:
    void run();
    void turn(const std::vector<int>& readable, bool woken);
    void closeEverything();

    Handlers m_handlers;
    platform::TcpListener m_listener;
    std::uint16_t m_port = 0;
    int m_wake[2] = { -1, -1 };
    std::mutex m_mutex;
    std::vector<int> m_connections;
    std::vector<int> m_closing;
    std::atomic<bool> m_stopping { false };
    std::atomic<bool> m_shuttingDown { false };
    std::thread m_thread; // Last: starts once the rest is ready.
};

// A scripted server's table of connections, each a T with `int fd` and
// `bool dead`: the live one of a descriptor, and the sweep that closes and
// removes the dead ones after a handler.
template <class T> T* connectionOf(std::vector<std::unique_ptr<T>>& connections, int fd)
{
    for (auto& c : connections)
        if (c->fd == fd && !c->dead)
            return c.get();
    return nullptr;
}

template <class T> void forgetDead(std::vector<std::unique_ptr<T>>& connections, LoopbackServer& server)
{
    std::erase_if(connections, [&server](const auto& c) {
        if (c->dead)
            server.close(c->fd);
        return c->dead;
    });
}

} // namespace pocket::link::testing
