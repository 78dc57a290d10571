#pragma once

// File: platform/tls/tls_relay.h
// TLS 1.3 for the links between the two programs, kept out of the code that
// speaks over them. A relay takes the connected TCP socket and gives back
// the other end of a local socket pair: whoever holds that end reads and
// writes exactly the bytes of the clear protocol, and a thread of the relay
// does the handshake and moves the bytes in and out of TLS. Closing the
// clear end ends the TLS connection (after what was written has gone out);
// a TLS connection that ends or fails closes the clear end, which its
// holder sees as a peer that closed. So the holder's limits, time-outs and
// close handling apply to private connections unchanged.
//
//     auto relay = TRY(platform::TlsRelay::forServer(identity));
//     socket = TRY(relay->accept(std::move(socket)));  // now the clear end
//
// The relay object owns its threads: destroying it ends every connection
// and joins them. Its member functions are safe from any thread.

#include "platform/net_address.h"
#include "platform/result.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

class TlsIdentity;

struct TlsClientLink {
    SocketFd clear;          // The clear end; nothing has been sent through it yet.
    std::string fingerprint; // The PC's, as tls_identity.h writes it.
};

class TlsRelay {
public:
    // A server's handshake that has not finished by then is dropped, even
    // if the holder of the clear end has no time-out of its own.
    static constexpr std::chrono::milliseconds kServerHandshakeLimit { 60000 };
    // Bytes decrypted but not yet taken by the holder of the clear end;
    // past this the relay stops reading from the peer.
    static constexpr std::size_t kClearBacklog = 256 * 1024;
    static constexpr int kPairBufferBytes = 1024 * 1024;
    static constexpr std::size_t kTlsReadBufferBytes = 256 * 1024;

    static IoResult<std::unique_ptr<TlsRelay>> forServer(const TlsIdentity& identity);
    static IoResult<std::unique_ptr<TlsRelay>> forClient();
    ~TlsRelay();
    TlsRelay(const TlsRelay&) = delete;
    TlsRelay& operator=(const TlsRelay&) = delete;

    // Server: a connection whose first byte was a TLS record. Returns the
    // clear end at once; the handshake goes on in the relay's thread.
    IoResult<SocketFd> accept(SocketFd socket);

    // Client: the handshake on a connected socket, waited for at most
    // `timeout`. The server's certificate is not judged here: the caller
    // compares the fingerprint and closes the clear end to refuse it.
    IoResult<TlsClientLink> connect(SocketFd socket, std::chrono::milliseconds timeout);

    // Connections whose thread still runs.
    std::size_t activeConnections();

private:
    struct Worker;

    explicit TlsRelay(void* context, bool isServer);
    IoResult<SocketFd> startWorker(SocketFd socket, std::chrono::milliseconds handshakeLimit,
        std::shared_ptr<struct HandshakeOutcome> outcome);
    void reapFinished();

    void* m_context; // SSL_CTX*, shared by every connection.
    bool m_isServer;
    SocketFd m_stopRead;
    SocketFd m_stopWrite;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Worker>> m_workers; // Guarded by m_mutex.
};

// The first byte of every TLS connection: a handshake record.
inline constexpr unsigned char kTlsHandshakeRecord = 0x16;

} // namespace platform
