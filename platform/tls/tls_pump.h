#pragma once

// File: platform/tls/tls_pump.h
// The loop of one relayed connection (tls_relay.h): the handshake, then the
// bytes both ways between the TLS socket and the clear end, until either
// side ends or the relay stops. Both sockets are non-blocking; the loop
// waits in poll() on them and on the relay's stop pipe. Runs on the
// connection's own thread; owns none of the descriptors.

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
    bool wait(int timeoutMs, bool clearReadable);

    TlsPumpSetup m_setup;
    SSL* m_ssl;
    int m_tcp;
    int m_clear;
    std::string m_toClear;
    std::string m_toTls;
    bool m_tlsEnded = false;
    bool m_clearEnded = false;
    bool m_clearHasData = false; // Written during the handshake.
    bool m_tlsWantsRead = false;
    bool m_tlsWantsWrite = false;
};

} // namespace platform
