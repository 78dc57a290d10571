#pragma once

// File: pocket/link/testing/loopback.h
// Test helpers: a loopback listener on an ephemeral port, and a message target
// that records what a link posts to its window.

#include "platform/event_loop.h"
#include "platform/net_address.h"
#include "platform/testing/loopback_port.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::link::testing {

// A listening socket on 127.0.0.1 with a port chosen by the system.
class LoopbackListener {
public:
    LoopbackListener();
    std::uint16_t port() const { return m_port; }
    // Waits (with a deadline) for the next connection; -1 on time-out.
    int accept();
    // The listening socket, for a server that polls it itself.
    int fd() const { return m_socket.fd(); }

private:
    platform::SocketFd m_socket;
    std::uint16_t m_port = 0;
};

// A port on 127.0.0.1 where nothing listens.
using platform::testing::closedLoopbackPort;

// The bytes of one answer record as the PC sends it.
std::string answerRecord(int first, int code, std::string text);
// The bytes of one request ("0xx0:N 0xx1:CODE 0xx2:TEXT" and a NUL) as the PC
// receives it.
std::string requestWire(int first, int code, std::string_view text);

bool sendAll(int fd, std::string_view bytes);
// Whether data (or the end) waits on the descriptor now.
bool isReadable(int fd);
// Reads exactly `count` bytes, waiting at most a few seconds.
std::string receiveExactly(int fd, std::size_t count);
// Reads up to and including the next NUL byte.
std::string receiveUntilNul(int fd);

// Serves one HTTP request on its own thread with the given status and body,
// and keeps the request head it received.
class OneShotHttpServer {
public:
    OneShotHttpServer(int status, std::string body);
    ~OneShotHttpServer();
    std::uint16_t port() const { return m_listener.port(); }
    // The request head; valid once the fetch has returned.
    std::string requestHead();

private:
    LoopbackListener m_listener;
    std::thread m_thread;
    std::mutex m_mutex;
    std::string m_head;
};

// Accepts the next connection, takes its request and answers with a 200 head
// without a length (the body runs to the close); the connection, or -1.
int acceptWithOkHead(LoopbackListener& listener);

// A PC that answers one HTTP request with a 200 head and then trickles the
// body, two bytes a second (never idle, never done), until destroyed.
class TricklingHttpServer {
public:
    TricklingHttpServer();
    ~TricklingHttpServer();
    std::uint16_t port() const { return m_listener.port(); }

private:
    LoopbackListener m_listener;
    std::atomic<bool> m_done { false };
    std::thread m_thread;
};

struct Posted {
    int msg = 0;
    platform::WParam wParam = 0;
    platform::LParam lParam = 0;
};

// Records every message it receives; an optional handler answers them.
class RecordingTarget final : public platform::MessageTarget {
public:
    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;
    std::vector<Posted> messages() const;
    std::size_t count(int msg) const;
    std::function<platform::LResult(int, platform::WParam, platform::LParam)> handler;

private:
    mutable std::mutex m_mutex;
    std::vector<Posted> m_messages;
};

} // namespace pocket::link::testing
