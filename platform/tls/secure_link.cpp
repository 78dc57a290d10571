#include "platform/tls/secure_link.h"

#include "platform/trace.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <sys/socket.h>

namespace platform {

std::optional<SecureLinkMode> parseSecureLinkMode(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "allowed")
        return SecureLinkMode::Allowed;
    if (lower == "required")
        return SecureLinkMode::Required;
    if (lower == "off")
        return SecureLinkMode::Off;
    return std::nullopt;
}

std::string_view secureLinkModeName(SecureLinkMode mode)
{
    switch (mode) {
    case SecureLinkMode::Allowed:
        return "allowed";
    case SecureLinkMode::Required:
        return "required";
    case SecureLinkMode::Off:
        return "off";
    }
    return "allowed";
}

SecureLinkServer::SecureLinkServer(TlsRelay* relay, SecureLinkMode mode)
    : m_relay(relay)
    , m_mode(mode)
{
}

FirstByte SecureLinkServer::admit(SocketFd& socket)
{
    SecureLinkMode mode = m_mode;
    if (mode == SecureLinkMode::Off)
        return FirstByte::Clear;
    unsigned char first = 0;
    ssize_t peeked = ::recv(socket.fd(), &first, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return FirstByte::Undecided;
    if (peeked <= 0)
        return FirstByte::Clear; // Closed or failed: the reader sees that as it would.
    if (first != kTlsHandshakeRecord || !m_relay)
        return mode == SecureLinkMode::Required ? FirstByte::Refused : FirstByte::Clear;
    auto clear = m_relay->accept(std::move(socket));
    if (!clear) {
        trace("private link: " + describe(clear.error()));
        return FirstByte::Refused;
    }
    socket = std::move(*clear);
    return FirstByte::Private;
}

} // namespace platform
