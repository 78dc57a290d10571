#include "platform/tls/tls_pump.h"

#include "platform/tls/openssl_handles.h"
#include "platform/tls/tls_relay.h"

#include <algorithm>
#include <cerrno>
#include <openssl/err.h>
#include <poll.h>
#include <sys/socket.h>

namespace platform {

namespace {

// The most one record carries, and so the most one SSL_read returns.
constexpr std::size_t kRecordBytes = 16 * 1024;
// What one receive takes from the clear end.
constexpr std::size_t kClearGulp = 256 * 1024;
// Records made but not yet on the socket; past this no more are made.
constexpr std::size_t kRecordBacklog = 256 * 1024;

bool isRetry(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

// A write side for the connection that adds every record to a ByteQueue
// and never makes TLS wait: the pump sends the queue to the socket itself.
int queueWrite(BIO* bio, const char* bytes, std::size_t size, std::size_t* written)
{
    static_cast<ByteQueue*>(BIO_get_data(bio))->append(bytes, size);
    *written = size;
    return 1;
}

long queueControl(BIO* bio, int command, long, void*)
{
    switch (command) {
    case BIO_CTRL_FLUSH:
        return 1; // The pump sends the queue once TLS hands control back.
    case BIO_CTRL_WPENDING:
        return static_cast<long>(static_cast<ByteQueue*>(BIO_get_data(bio))->size());
    default:
        return 0;
    }
}

const BIO_METHOD* queueMethod()
{
    static BIO_METHOD* method = [] {
        BIO_METHOD* made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "record queue");
        if (made) {
            BIO_meth_set_write_ex(made, queueWrite);
            BIO_meth_set_ctrl(made, queueControl);
        }
        return made;
    }();
    return method;
}

} // namespace

TlsPump::TlsPump(const TlsPumpSetup& setup, SSL* ssl, int tcpFd, int clearFd)
    : m_setup(setup)
    , m_ssl(ssl)
    , m_tcp(tcpFd)
    , m_clear(clearFd)
{
    SSL_set_rfd(m_ssl, m_tcp);
    BIO* records = queueMethod() ? BIO_new(queueMethod()) : nullptr;
    if (records) {
        BIO_set_data(records, &m_records);
        BIO_set_init(records, 1);
        SSL_set0_wbio(m_ssl, records);
    } else {
        SSL_set_wfd(m_ssl, m_tcp); // Records go out one by one.
    }
}

bool TlsPump::handshake()
{
    auto giveUp = std::chrono::steady_clock::now() + m_setup.handshakeLimit;
    for (;;) {
        ERR_clear_error();
        int result = m_setup.isServer ? SSL_accept(m_ssl) : SSL_connect(m_ssl);
        int error = SSL_get_error(m_ssl, result);
        // What this step wrote goes out now; the rest when the socket takes it.
        (void)toSocket();
        if (result == 1)
            return true;
        m_tlsWantsRead = error == SSL_ERROR_WANT_READ;
        if (!m_tlsWantsRead)
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
        // SSL_get_error() reads the queue: empty it once a pass, not once a
        // record (clearing it costs more than a small record).
        ERR_clear_error();
        m_tlsWantsRead = false;
        bool moved = false;
        for (Step step : { fromTls(), toClear(), fromClear(), toTls(), toSocket() }) {
            if (step == Step::End)
                return;
            moved = moved || step == Step::Progress;
        }
        if (m_tlsEnded && m_toClear.empty())
            return; // The peer is done and the holder has everything.
        if (m_clearEnded && m_toTls.empty() && m_records.empty()) {
            closeTls();
            return;
        }
        if (!moved && !wait(-1, m_toTls.empty() && !m_clearEnded))
            return;
    }
}

TlsPump::Step TlsPump::fromTls()
{
    Step step = Step::Wait;
    // Every record already here, so that the holder gets them in one send.
    while (!m_tlsEnded && m_toClear.size() < TlsRelay::kClearBacklog) {
        std::size_t received = 0;
        int result = SSL_read_ex(m_ssl, m_toClear.reserve(kRecordBytes), kRecordBytes, &received);
        if (result == 1) {
            m_toClear.commit(received);
            step = Step::Progress;
            continue;
        }
        if (SSL_get_error(m_ssl, result) == SSL_ERROR_WANT_READ) {
            m_tlsWantsRead = true;
            return step;
        }
        // A close_notify, a plain close or a broken record: the peer is done.
        m_tlsEnded = true;
        return Step::Progress;
    }
    return step;
}

TlsPump::Step TlsPump::toClear()
{
    if (m_toClear.empty())
        return Step::Wait;
    ssize_t sent = ::send(m_clear, m_toClear.data(), m_toClear.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
        m_toClear.consume(static_cast<std::size_t>(sent));
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
    ssize_t received = ::recv(m_clear, m_toTls.reserve(kClearGulp), kClearGulp, MSG_DONTWAIT);
    if (received > 0) {
        m_toTls.commit(static_cast<std::size_t>(received));
        return Step::Progress;
    }
    if (received < 0 && isRetry(errno))
        return Step::Wait;
    m_clearEnded = true;
    return Step::Progress;
}

TlsPump::Step TlsPump::toTls()
{
    Step step = Step::Wait;
    while (!m_toTls.empty() && m_records.size() < kRecordBacklog) {
        std::size_t written = 0;
        int result = SSL_write_ex(m_ssl, m_toTls.data(), m_toTls.size(), &written);
        if (result == 1) {
            m_toTls.consume(written);
            step = Step::Progress;
            continue;
        }
        if (SSL_get_error(m_ssl, result) == SSL_ERROR_WANT_READ) {
            m_tlsWantsRead = true;
            return step;
        }
        return Step::End; // The connection broke: what the holder wrote cannot go out.
    }
    return step;
}

TlsPump::Step TlsPump::toSocket()
{
    if (m_records.empty())
        return Step::Wait;
    ssize_t sent = ::send(m_tcp, m_records.data(), m_records.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
        m_records.consume(static_cast<std::size_t>(sent));
        return Step::Progress;
    }
    if (sent < 0 && isRetry(errno))
        return Step::Wait;
    return Step::End; // The peer is gone.
}

void TlsPump::closeTls()
{
    ERR_clear_error();
    (void)SSL_shutdown(m_ssl);
    (void)toSocket(); // The close notice, if the socket takes it now.
}

bool TlsPump::wait(int timeoutMs, bool clearReadable)
{
    short tcpEvents = 0;
    if (m_tlsWantsRead)
        tcpEvents |= POLLIN;
    if (!m_records.empty())
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
