#include "platform/tls/tls_pump.h"

#include "platform/tls/openssl_handles.h"
#include "platform/tls/tls_relay.h"

#include <cerrno>
#include <openssl/err.h>
#include <poll.h>
#include <sys/socket.h>

namespace platform {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

bool isRetry(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

TlsPump::TlsPump(const TlsPumpSetup& setup, SSL* ssl, int tcpFd, int clearFd)
    : m_setup(setup)
    , m_ssl(ssl)
    , m_tcp(tcpFd)
    , m_clear(clearFd)
{
}

bool TlsPump::handshake()
{
    auto giveUp = std::chrono::steady_clock::now() + m_setup.handshakeLimit;
    for (;;) {
        ERR_clear_error();
        int result = m_setup.isServer ? SSL_accept(m_ssl) : SSL_connect(m_ssl);
        if (result == 1)
            return true;
        int error = SSL_get_error(m_ssl, result);
        m_tlsWantsRead = error == SSL_ERROR_WANT_READ;
        m_tlsWantsWrite = error == SSL_ERROR_WANT_WRITE;
        if (!m_tlsWantsRead && !m_tlsWantsWrite)
            return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        // The holder of the clear end may give up first (its own time-out):
        // a clear end that closes ends the handshake.
        if (!wait(static_cast<int>(left.count()), !m_clearHasData))
            return false;
        if (m_clearEnded)
            return false;
    }
}

std::string TlsPump::peerFingerprint() const
{
    X509* certificate = SSL_get0_peer_certificate(m_ssl);
    return certificate ? fingerprintOfCertificate(certificate) : std::string();
}

void TlsPump::run()
{
    for (;;) {
        m_tlsWantsRead = m_tlsWantsWrite = false;
        bool moved = false;
        for (Step step : { fromTls(), toClear(), fromClear(), toTls() }) {
            if (step == Step::End)
                return;
            moved = moved || step == Step::Progress;
        }
        if (m_tlsEnded && m_toClear.empty())
            return; // The peer is done and the holder has everything.
        if (m_clearEnded && m_toTls.empty()) {
            (void)SSL_shutdown(m_ssl);
            return;
        }
        if (!moved && !wait(-1, m_toTls.empty() && !m_clearEnded))
            return;
    }
}

TlsPump::Step TlsPump::fromTls()
{
    if (m_tlsEnded || m_toClear.size() >= TlsRelay::kClearBacklog)
        return Step::Wait;
    char buffer[kReadChunk];
    ERR_clear_error();
    int received = SSL_read(m_ssl, buffer, sizeof buffer);
    if (received > 0) {
        m_toClear.append(buffer, static_cast<std::size_t>(received));
        return Step::Progress;
    }
    int error = SSL_get_error(m_ssl, received);
    if (error == SSL_ERROR_WANT_READ) {
        m_tlsWantsRead = true;
        return Step::Wait;
    }
    if (error == SSL_ERROR_WANT_WRITE) {
        m_tlsWantsWrite = true;
        return Step::Wait;
    }
    // A close_notify, a plain close or a broken record: the peer is done.
    m_tlsEnded = true;
    return Step::Progress;
}

TlsPump::Step TlsPump::toClear()
{
    if (m_toClear.empty())
        return Step::Wait;
    ssize_t sent = ::send(m_clear, m_toClear.data(), m_toClear.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
        m_toClear.erase(0, static_cast<std::size_t>(sent));
        return Step::Progress;
    }
    if (sent < 0 && isRetry(errno))
        return Step::Wait;
    return Step::End; // The holder has closed: nobody to deliver to.
}

TlsPump::Step TlsPump::fromClear()
{
    if (m_clearEnded || !m_toTls.empty())
        return Step::Wait;
    char buffer[kReadChunk];
    ssize_t received = ::recv(m_clear, buffer, sizeof buffer, MSG_DONTWAIT);
    if (received > 0) {
        m_toTls.assign(buffer, static_cast<std::size_t>(received));
        return Step::Progress;
    }
    if (received < 0 && isRetry(errno))
        return Step::Wait;
    m_clearEnded = true;
    return Step::Progress;
}

TlsPump::Step TlsPump::toTls()
{
    if (m_toTls.empty())
        return Step::Wait;
    ERR_clear_error();
    int sent = SSL_write(m_ssl, m_toTls.data(), static_cast<int>(m_toTls.size()));
    if (sent > 0) {
        m_toTls.erase(0, static_cast<std::size_t>(sent));
        return Step::Progress;
    }
    int error = SSL_get_error(m_ssl, sent);
    if (error == SSL_ERROR_WANT_WRITE) {
        m_tlsWantsWrite = true;
        return Step::Wait;
    }
    if (error == SSL_ERROR_WANT_READ) {
        m_tlsWantsRead = true;
        return Step::Wait;
    }
    return Step::End; // The peer is gone: what the holder wrote cannot go out.
}

bool TlsPump::wait(int timeoutMs, bool clearReadable)
{
    short tcpEvents = 0;
    if (m_tlsWantsRead)
        tcpEvents |= POLLIN;
    if (m_tlsWantsWrite)
        tcpEvents |= POLLOUT;
    short clearEvents = 0;
    if (clearReadable)
        clearEvents |= POLLIN;
    if (!m_toClear.empty())
        clearEvents |= POLLOUT;
    pollfd waits[3] = {
        { m_setup.stopFd, POLLIN, 0 },
        { m_tcp, tcpEvents, 0 },
        { m_clear, clearEvents, 0 },
    };
    int ready = ::poll(waits, 3, timeoutMs);
    if (ready < 0)
        return isRetry(errno);
    if (waits[0].revents != 0)
        return false;
    if (clearReadable && (waits[2].revents & (POLLIN | POLLHUP | POLLERR))) {
        // During the handshake nothing is read yet; only a close counts,
        // and bytes written early wait (unwatched) for the handshake.
        if (!SSL_is_init_finished(m_ssl)) {
            char probe;
            ssize_t peeked = ::recv(m_clear, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
            if (peeked == 0 || (peeked < 0 && !isRetry(errno)))
                m_clearEnded = true;
            m_clearHasData = peeked > 0;
        }
    }
    return true;
}

} // namespace platform
