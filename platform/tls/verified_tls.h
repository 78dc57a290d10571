#pragma once

// File: platform/tls/verified_tls.h
// TLS as a client on a connected socket, with the server's certificate
// checked: it must chain to a trusted authority (trusted_authorities.h) and
// name the host the caller asked for (its DNS name, or its address when the
// host is a dotted or IPv6 address). TLS 1.2 or newer. Used by the POP3
// client for POP3S (TLS from the first byte) and STLS (TLS after the
// server agreed).
//
//     auto tls = VerifiedTls::handshake(fd, "mail.example.com", 30s);
//     if (!tls) log(tls.error().context); // names the server and the reason
//
// The socket stays the caller's; it is made non-blocking for the session.
// Every wait is bounded by the time-out given.

#include "platform/result.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

class VerifiedTls {
public:
    // Errors: PermissionDenied (the certificate is not trusted or names
    // another server: "<host>의 인증서를 확인할 수 없습니다: <reason>"),
    // Timeout, Protocol (no TLS came back), Closed.
    static IoResult<std::unique_ptr<VerifiedTls>> handshake(int fd, const std::string& host,
        std::chrono::milliseconds timeout);
    ~VerifiedTls();
    VerifiedTls(const VerifiedTls&) = delete;
    VerifiedTls& operator=(const VerifiedTls&) = delete;

    IoResult<void> sendAll(std::string_view bytes, std::chrono::milliseconds timeout);
    // At most `maxBytes`; "" when the server closed the connection.
    IoResult<std::string> receiveSome(std::size_t maxBytes, std::chrono::milliseconds timeout);

private:
    struct State;
    explicit VerifiedTls(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace platform
