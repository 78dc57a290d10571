#pragma once

// File: pc/web/raw_socket.h
// One IPv4 TCP socket descriptor, closed by its owner. The thin layer between
// the web server and the system calls: errno becomes platform::Error here.
// Not thread-safe; each socket belongs to one thread at a time.

#include "platform/result.h"

#include <cstdint>
#include <netinet/in.h>
#include <string_view>

namespace pc::web {

class CRawSocket {
public:
    static constexpr int kInvalid = -1;
    static constexpr int kBacklog = 5;

    CRawSocket() = default;
    explicit CRawSocket(int handle)
        : m_handle(handle)
    {
    }
    ~CRawSocket() { close(); }
    CRawSocket(const CRawSocket&) = delete;
    CRawSocket& operator=(const CRawSocket&) = delete;
    CRawSocket(CRawSocket&& other) noexcept
        : m_handle(other.detach())
    {
    }
    CRawSocket& operator=(CRawSocket&& other) noexcept;

    // An IPv4 stream socket, close-on-exec, with SO_REUSEADDR so that a
    // restarted server can bind while old connections linger in TIME_WAIT.
    [[nodiscard]] platform::IoResult<void> create();
    [[nodiscard]] platform::IoResult<void> bind(const sockaddr_in& address);
    [[nodiscard]] platform::IoResult<void> listen(int backlog = kBacklog);
    // Accepts one connection and fills the peer's address.
    [[nodiscard]] platform::IoResult<CRawSocket> accept(sockaddr_in& peer);

    // Sends every byte, resuming after partial sends; more = MSG_MORE.
    [[nodiscard]] platform::IoResult<void> sendAll(std::string_view bytes, bool more = false);
    // Sends `length` bytes of an open file from its current offset.
    [[nodiscard]] platform::IoResult<std::uint64_t> sendFile(int fileHandle, std::uint64_t length);
    // Returns the byte count; 0 means the peer closed its side.
    [[nodiscard]] platform::IoResult<std::size_t> receive(char* buffer, std::size_t size);
    // Waits up to timeoutMs for data (or end of stream) to read.
    [[nodiscard]] platform::IoResult<bool> isReadable(int timeoutMs);
    // Bounds how long one send may block on a peer that does not read.
    [[nodiscard]] platform::IoResult<void> setSendTimeout(int timeoutMs);

    // The locally bound address (to learn an ephemeral port).
    [[nodiscard]] platform::IoResult<sockaddr_in> localAddress() const;

    void attach(int handle);
    int detach();
    void close();
    int handle() const { return m_handle; }
    bool isValid() const { return m_handle != kInvalid; }

private:
    int m_handle = kInvalid;
};

} // namespace pc::web
