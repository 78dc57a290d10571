#include "platform/tls/verified_tls.h"

#include "platform/tls/openssl_handles.h"
#include "platform/trusted_authorities.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <openssl/err.h>
#include <openssl/x509v3.h>
#include <poll.h>

namespace platform {

struct VerifiedTls::State {
    SslContextPtr context;
    SslPtr ssl;
    int fd = -1;
};

namespace {

using Clock = std::chrono::steady_clock;

bool isAddress(const std::string& host)
{
    unsigned char buffer[16];
    return ::inet_pton(AF_INET, host.c_str(), buffer) == 1 || ::inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

// Waits for what OpenSSL asked for (`result` of its last call); false when
// the call failed for good or the deadline passed (`timedOut` set).
bool waitForRetry(SSL* ssl, int fd, int result, Clock::time_point deadline, bool& timedOut)
{
    int reason = SSL_get_error(ssl, result);
    if (reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE)
        return false;
    pollfd entry { fd, static_cast<short>(reason == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT), 0 };
    while (true) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            timedOut = true;
            return false;
        }
        int rc = ::poll(&entry, 1, static_cast<int>(std::min<long long>(left, 0x7FFFFFFF)));
        if (rc < 0 && errno == EINTR)
            continue;
        timedOut = rc == 0;
        return rc > 0;
    }
}

IoResult<SslContextPtr> makeContext()
{
    SslContextPtr context(SSL_CTX_new(TLS_client_method()));
    if (!context)
        return Error { ErrorCode::IoError, "TLS: " + lastSslErrorText(), 0 };
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
    // A server that closes without a close notice reads as a close; the
    // protocol on top knows whether its answer was whole.
    SSL_CTX_set_options(context.get(), SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_default_verify_paths(context.get());
    SSL_CTX_load_verify_dir(context.get(), kSystemCaFolder);
    std::string extra = extraCaFile();
    if (!extra.empty() && SSL_CTX_load_verify_file(context.get(), extra.c_str()) != 1)
        return Error { ErrorCode::PermissionDenied,
            std::string(kCaFileVariable) + " " + extra + ": " + lastSslErrorText(), 0 };
    return context;
}

// The host the certificate must name: its DNS name, or its address.
bool expectHost(SSL* ssl, const std::string& host)
{
    if (isAddress(host))
        return X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str()) == 1;
    SSL_set_tlsext_host_name(ssl, host.c_str());
    return SSL_set1_host(ssl, host.c_str()) == 1;
}

} // namespace

VerifiedTls::VerifiedTls(std::unique_ptr<State> state)
    : m_state(std::move(state))
{
}

VerifiedTls::~VerifiedTls()
{
    // A close notice, if the socket takes it at once; no wait.
    if (m_state && m_state->ssl)
        SSL_shutdown(m_state->ssl.get());
}

IoResult<std::unique_ptr<VerifiedTls>> VerifiedTls::handshake(int fd, const std::string& host,
    std::chrono::milliseconds timeout)
{
    auto state = std::make_unique<State>();
    state->fd = fd;
    auto context = makeContext();
    if (!context)
        return context.error();
    state->context = std::move(*context);
    state->ssl.reset(SSL_new(state->context.get()));
    if (!state->ssl || SSL_set_fd(state->ssl.get(), fd) != 1 || !expectHost(state->ssl.get(), host))
        return Error { ErrorCode::IoError, "TLS " + host + ": " + lastSslErrorText(), 0 };
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL, 0) | O_NONBLOCK);

    auto deadline = Clock::now() + timeout;
    bool timedOut = false;
    int result = 0;
    while ((result = SSL_connect(state->ssl.get())) != 1) {
        if (waitForRetry(state->ssl.get(), fd, result, deadline, timedOut))
            continue;
        long verdict = SSL_get_verify_result(state->ssl.get());
        if (verdict != X509_V_OK) {
            ERR_clear_error();
            return Error { ErrorCode::PermissionDenied,
                host + "의 인증서를 확인할 수 없습니다: " + X509_verify_cert_error_string(verdict), 0 };
        }
        if (timedOut)
            return Error { ErrorCode::Timeout, "TLS " + host + ": no handshake within the time-out", 0 };
        std::string detail = lastSslErrorText();
        return Error { ErrorCode::Protocol, "TLS " + host + ": " + (detail.empty() ? "handshake failed" : detail),
            0 };
    }
    return std::unique_ptr<VerifiedTls>(new VerifiedTls(std::move(state)));
}

IoResult<void> VerifiedTls::sendAll(std::string_view bytes, std::chrono::milliseconds timeout)
{
    auto deadline = Clock::now() + timeout;
    while (!bytes.empty()) {
        int written = SSL_write(m_state->ssl.get(), bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20)));
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        bool timedOut = false;
        if (!waitForRetry(m_state->ssl.get(), m_state->fd, written, deadline, timedOut))
            return Error { timedOut ? ErrorCode::Timeout : ErrorCode::Closed, "TLS send: " + lastSslErrorText(), 0 };
    }
    return {};
}

IoResult<std::string> VerifiedTls::receiveSome(std::size_t maxBytes, std::chrono::milliseconds timeout)
{
    auto deadline = Clock::now() + timeout;
    std::string buffer(maxBytes, '\0');
    while (true) {
        int got = SSL_read(m_state->ssl.get(), buffer.data(), static_cast<int>(std::min<std::size_t>(maxBytes, 1 << 20)));
        if (got > 0) {
            buffer.resize(static_cast<std::size_t>(got));
            return buffer;
        }
        int reason = SSL_get_error(m_state->ssl.get(), got);
        if (reason == SSL_ERROR_ZERO_RETURN)
            return std::string();
        bool timedOut = false;
        if (!waitForRetry(m_state->ssl.get(), m_state->fd, got, deadline, timedOut)) {
            if (timedOut)
                return Error { ErrorCode::Timeout, "receive timed out", 0 };
            return Error { ErrorCode::IoError, "TLS receive: " + lastSslErrorText(), 0 };
        }
    }
}

} // namespace platform
