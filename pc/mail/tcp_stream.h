#pragma once

// File: pc/mail/tcp_stream.h
// A blocking TCP connection for the POP3 client, with a time-out on connect
// and on every receive, and TLS with the server's certificate checked once
// startTls() succeeded. Owns its socket; used by one thread.

#include "platform/result.h"
#include "platform/tls/verified_tls.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace pc::mail {

enum class ConnectError {
    CreateFailed, // No socket could be made.
    ConnectFailed, // Unreachable, or another failure to connect.
    NameNotFound, // The name did not resolve.
    Refused, // Nothing listens on the port.
    TimedOut, // No answer within the time-out.
};

class TcpStream {
public:
    TcpStream() = default;
    ~TcpStream();
    TcpStream(TcpStream&& other) noexcept;
    TcpStream& operator=(TcpStream&& other) noexcept;
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // Connects to host:port (a name or a dotted address), trying each address
    // the name resolves to; the error is the last address's.
    [[nodiscard]] static platform::Result<TcpStream, ConnectError> connect(const std::string& host,
        std::uint16_t port, std::chrono::milliseconds timeout);

    [[nodiscard]] bool isOpen() const { return m_fd >= 0; }

    // TLS from here on (platform/tls/verified_tls.h): the certificate must
    // name `host`. A failure leaves the stream closed.
    [[nodiscard]] platform::IoResult<void> startTls(const std::string& host, std::chrono::milliseconds timeout);
    [[nodiscard]] bool isPrivate() const { return m_tls != nullptr; }

    // Sends all bytes.
    [[nodiscard]] platform::IoResult<void> sendAll(std::string_view bytes);

    // One receive of at most `maxBytes`; an empty result means the peer
    // closed the connection. Waiting longer than `timeout` is
    // ErrorCode::Timeout.
    [[nodiscard]] platform::IoResult<std::string> receiveSome(std::size_t maxBytes,
        std::chrono::milliseconds timeout);

    void close();

private:
    explicit TcpStream(int fd)
        : m_fd(fd)
    {
    }
    int m_fd = -1;
    std::unique_ptr<platform::VerifiedTls> m_tls;
};

} // namespace pc::mail
