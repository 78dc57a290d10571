#pragma once

// File: platform/tcp_listener.h
// The one listening TCP socket of the programs (command, upload and web
// ports, test peers): non-blocking, close-on-exec, SO_REUSEADDR, and a
// backlog that takes a burst of connections. accept() says who connected.
// Running out of descriptors is reported as such (isOutOfDescriptors), so
// that a server stops watching its listener instead of spinning on it.
//
//     auto listener = TRY(platform::TcpListener::listen("127.0.0.1", 0));
//     if (auto accepted = listener.accept())
//         serve(std::move(accepted->socket), accepted->peerAddress);
//
// Tests can make the next accepts fail as the system would
// (failNextAccepts(EMFILE, 3)) and count how often accept was tried.
// A listener belongs to one thread at a time.

#include "platform/net_address.h"
#include "platform/result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

struct AcceptedSocket {
    SocketFd socket;          // Blocking, close-on-exec.
    std::string peerAddress;  // Dotted IPv4 text.
    std::string localAddress; // The address the peer connected to.
};

class TcpListener {
public:
    // Room for a burst of connections while the owner is busy.
    static constexpr int kBacklog = 128;

    TcpListener() = default;
    // Listens on address ("" or "0.0.0.0": all) and port (0: an ephemeral one).
    static IoResult<TcpListener> listen(std::string_view address, std::uint16_t port, int backlog = kBacklog);

    // Takes one pending connection. With none pending the error's
    // systemError is EAGAIN.
    IoResult<AcceptedSocket> accept();

    int fd() const { return m_socket.fd(); }
    bool isOpen() const { return m_socket.isOpen(); }
    std::uint16_t port() const;
    void close() { m_socket.reset(); }

    // Fault injection for tests: the next `count` accepts of every listener
    // in the process fail with `errnoValue`, leaving the pending connection
    // where it is, as a real EMFILE does.
    static void failNextAccepts(int errnoValue, int count);
    // Accept calls made by every listener in the process.
    static std::uint64_t acceptAttempts();

private:
    explicit TcpListener(SocketFd socket)
        : m_socket(std::move(socket))
    {
    }

    SocketFd m_socket;
};

// Whether an accept failed for want of descriptors or memory: the pending
// connection stays, and the listener stays readable until one frees.
bool isOutOfDescriptors(const Error& error);

// Bounds how long one blocking send may wait for a peer that does not read.
IoResult<void> setSendTimeout(int fd, int timeoutMs);
// Sends small records at once instead of waiting to fill a segment.
IoResult<void> setNoDelay(int fd);

} // namespace platform
