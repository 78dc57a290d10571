#pragma once

// File: platform/tls/secure_link.h
// The PC's choice between private (TLS) and clear connections on its ports.
// Both kinds arrive on the same port: a TLS connection begins with a
// handshake record (byte 0x16), while every request of the clear protocol
// begins with a printable character (a command's "0xx0:", an HTTP method),
// so the first byte tells them apart without reading it.
//
// A connection class calls admit() when its socket first turns readable,
// before it reads anything. Safe from any thread (the window thread and the
// web server's listener thread share one object).

#include "platform/net_address.h"
#include "platform/tls/tls_relay.h"

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class SecureLinkMode {
    Allowed, // Private and clear connections are both served.
    Required, // Clear connections are refused.
    Off, // Everything is read as clear; a TLS hello is garbage to the parser.
};

// "allowed", "required", "off" in any case; nullopt for anything else.
std::optional<SecureLinkMode> parseSecureLinkMode(std::string_view text);
std::string_view secureLinkModeName(SecureLinkMode mode);

enum class FirstByte {
    Undecided, // Nothing has arrived yet: ask again when readable.
    Clear, // Read the socket as it is.
    Private, // The socket is now the clear end of a TLS relay.
    Refused, // A clear connection where only private ones are served: close it.
};

class SecureLinkServer {
public:
    // `relay` (a server relay) outlives this object; null when the PC has no
    // identity, which serves clear connections only.
    SecureLinkServer(TlsRelay* relay, SecureLinkMode mode);

    void setMode(SecureLinkMode mode) { m_mode = mode; }
    SecureLinkMode mode() const { return m_mode; }

    // Looks at the first byte waiting on `socket` without taking it, and
    // replaces `socket` by the relay's clear end for a TLS hello.
    FirstByte admit(SocketFd& socket);

private:
    TlsRelay* m_relay;
    std::atomic<SecureLinkMode> m_mode;
};

} // namespace platform
