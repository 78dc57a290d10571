#pragma once

// File: platform/tls/tls_pump.h
// The loop of one relayed connection (tls_relay.h): the handshake, then the
// bytes both ways between the TLS socket and the clear end, until either
// side ends or the relay stops. Both sockets are non-blocking; the loop
// waits in poll() on them and on the relay's stop pipe. Runs on the
// connection's own thread; owns none of the descriptors.
//
// Bytes move in large batches, since every system call and every wake-up of
// the thread on the other side costs more than the bytes themselves: the
// clear end is read in large gulps, everything decrypted so far goes to the
// holder in one send, and the records TLS makes are gathered in a queue of
// their own (the connection's write side) and go to the socket together.

#include "platform/tls/byte_queue.h"

#include <chrono>
#include <openssl/ssl.h>
#include <string>

namespace platform {

struct TlsPumpSetup {
    bool isServer = true;
    std::chrono::milliseconds handshakeLimit { 60000 };
    int stopFd = -1; // Readable once the relay stops.
};

class TlsPump {
public:
    // Takes over the descriptors' use for `ssl`: it reads from `tcpFd`, and
    // writes its records into the pump's queue.
    TlsPump(const TlsPumpSetup& setup, SSL* ssl, int tcpFd, int clearFd);

    // False when the handshake failed, ran out of time, or the clear end or
    // the relay gave up first.
    bool handshake();
    std::string peerFingerprint() const;
    // Moves bytes until one side ends; then sends what is left to the other.
    void run();

private:
    enum class Step { Progress, Wait, End };

    Step fromTls();
    Step toClear();
    Step fromClear();
    Step toTls();
    Step toSocket();
    void closeTls();
    bool wait(int timeoutMs, bool clearReadable);

    TlsPumpSetup m_setup;
    SSL* m_ssl;
    int m_tcp;
    int m_clear;
    ByteQueue m_toClear;
    ByteQueue m_toTls;
    ByteQueue m_records; // Made by TLS, not yet on the socket.
    bool m_tlsEnded = false;
    bool m_clearEnded = false;
    bool m_clearHasData = false; // Written during the handshake.
    bool m_tlsWantsRead = false;
};

} // namespace platform
