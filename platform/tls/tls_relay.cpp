#include "platform/tls/tls_relay.h"

#include "platform/tcp_listener.h"
#include "platform/tls/openssl_handles.h"
#include "platform/tls/tls_identity.h"
#include "platform/tls/tls_pump.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <openssl/err.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

struct HandshakeOutcome {
    std::promise<std::string> fingerprint; // Empty text: the handshake failed.
};

struct TlsRelay::Worker {
    std::thread thread;
    std::atomic<bool> done { false };
};

namespace {

constexpr const char* kCipherSuites = "TLS_AES_128_GCM_SHA256:TLS_AES_256_GCM_SHA384:TLS_CHACHA20_POLY1305_SHA256";

SSL_CTX* context(void* p)
{
    return static_cast<SSL_CTX*>(p);
}

IoResult<SslContextPtr> newContext(bool isServer)
{
    SslContextPtr ctx(SSL_CTX_new(isServer ? TLS_server_method() : TLS_client_method()));
    if (!ctx)
        return Error { ErrorCode::IoError, "TLS context: " + lastSslErrorText(), 0 };
    SSL_CTX_set_min_proto_version(ctx.get(), TLS1_3_VERSION);
    SSL_CTX_set_max_proto_version(ctx.get(), TLS1_3_VERSION);
    SSL_CTX_set_mode(ctx.get(), SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Both ends are ours: the suite that costs least on machines with AES
    // instructions comes first, and the server keeps to its own order.
    if (SSL_CTX_set_ciphersuites(ctx.get(), kCipherSuites) != 1)
        return Error { ErrorCode::IoError, "TLS cipher suites: " + lastSslErrorText(), 0 };
    SSL_CTX_set_options(ctx.get(), SSL_OP_CIPHER_SERVER_PREFERENCE);
    // Each connection is new: no tickets to resume with.
    SSL_CTX_set_num_tickets(ctx.get(), 0);
    // The client pins the server's key itself (after the handshake).
    SSL_CTX_set_verify(ctx.get(), SSL_VERIFY_NONE, nullptr);
    return ctx;
}

// Sends on the TCP socket fail with EPIPE instead of ending the program.
void holdBrokenPipeSignal()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

} // namespace

std::string lastSslErrorText()
{
    std::string text;
    while (unsigned long code = ERR_get_error()) {
        char line[256];
        ERR_error_string_n(code, line, sizeof line);
        if (!text.empty())
            text += "; ";
        text += line;
    }
    return text.empty() ? "unknown TLS error" : text;
}

TlsRelay::TlsRelay(void* ctx, bool isServer)
    : m_context(ctx)
    , m_isServer(isServer)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) == 0) {
        m_stopRead = SocketFd(fds[0]);
        m_stopWrite = SocketFd(fds[1]);
    }
}

TlsRelay::~TlsRelay()
{
    if (m_stopWrite.isOpen()) {
        char byte = 1;
        (void)!::write(m_stopWrite.fd(), &byte, 1);
    }
    std::vector<std::unique_ptr<Worker>> workers;
    {
        std::lock_guard lock(m_mutex);
        workers.swap(m_workers);
    }
    for (auto& worker : workers)
        worker->thread.join();
    SSL_CTX_free(context(m_context));
}

IoResult<std::unique_ptr<TlsRelay>> TlsRelay::forServer(const TlsIdentity& identity)
{
    auto ctx = TRY(newContext(true));
    auto parsed = TRY(parseIdentity(identity.keyPem(), identity.certificatePem()));
    if (SSL_CTX_use_certificate(ctx.get(), parsed.certificate.get()) != 1
        || SSL_CTX_use_PrivateKey(ctx.get(), parsed.key.get()) != 1)
        return Error { ErrorCode::Protocol, "TLS identity: " + lastSslErrorText(), 0 };
    return std::unique_ptr<TlsRelay>(new TlsRelay(ctx.release(), true));
}

IoResult<std::unique_ptr<TlsRelay>> TlsRelay::forClient()
{
    auto ctx = TRY(newContext(false));
    return std::unique_ptr<TlsRelay>(new TlsRelay(ctx.release(), false));
}

IoResult<SocketFd> TlsRelay::accept(SocketFd socket)
{
    return startWorker(std::move(socket), kServerHandshakeLimit, nullptr);
}

IoResult<TlsClientLink> TlsRelay::connect(SocketFd socket, std::chrono::milliseconds timeout)
{
    auto outcome = std::make_shared<HandshakeOutcome>();
    auto seen = outcome->fingerprint.get_future();
    TlsClientLink link;
    link.clear = TRY(startWorker(std::move(socket), timeout, outcome));
    // The worker keeps the handshake's own deadline; this wait is a little
    // longer so that its verdict, not this one, names the failure.
    if (seen.wait_for(timeout + std::chrono::seconds(1)) != std::future_status::ready)
        return Error { ErrorCode::Timeout, "TLS handshake", 0 };
    link.fingerprint = seen.get();
    if (link.fingerprint.empty())
        return Error { ErrorCode::Protocol, "TLS handshake failed", 0 };
    return link;
}

IoResult<SocketFd> TlsRelay::startWorker(SocketFd socket, std::chrono::milliseconds handshakeLimit,
    std::shared_ptr<HandshakeOutcome> outcome)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return errorFromErrno("socketpair", errno);
    SocketFd clear(pair[0]);
    SocketFd inner(pair[1]);
    // Room for a full upload window on each side, so the relay is not the
    // narrowest point of a fast transfer.
    for (int fd : pair) {
        int bytes = kPairBufferBytes;
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }
    SslPtr ssl(SSL_new(context(m_context)));
    if (!ssl)
        return Error { ErrorCode::IoError, "TLS session: " + lastSslErrorText(), 0 };
    TRY(setNonBlocking(socket.fd()));
    // Small answers and acknowledgements go out at once, as on a clear link.
    (void)setNoDelay(socket.fd());
    TRY(setNonBlocking(inner.fd()));
    // Read records in large gulps instead of one header and one body at a
    // time: two system calls per 16 KiB record made the relay the narrowest
    // point of a fast transfer.
    SSL_set_read_ahead(ssl.get(), 1);
    SSL_set_default_read_buffer_len(ssl.get(), kTlsReadBufferBytes);
    reapFinished();
    auto worker = std::make_unique<Worker>();
    Worker* self = worker.get();
    TlsPumpSetup setup { m_isServer, handshakeLimit, m_stopRead.fd() };
    worker->thread = std::thread([self, setup, outcome, ssl = std::move(ssl), tcp = std::move(socket),
                                     clearSide = std::move(inner)]() mutable {
        holdBrokenPipeSignal();
        TlsPump pump(setup, ssl.get(), tcp.fd(), clearSide.fd());
        bool shaken = pump.handshake();
        if (outcome)
            outcome->fingerprint.set_value(shaken ? pump.peerFingerprint() : std::string());
        if (shaken)
            pump.run();
        ssl.reset();
        tcp.reset();
        clearSide.reset();
        self->done = true;
    });
    std::lock_guard lock(m_mutex);
    m_workers.push_back(std::move(worker));
    return clear;
}

void TlsRelay::reapFinished()
{
    std::vector<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard lock(m_mutex);
        for (auto& worker : m_workers) {
            if (worker->done)
                finished.push_back(std::move(worker));
        }
        std::erase(m_workers, nullptr);
    }
    for (auto& worker : finished)
        worker->thread.join();
}

std::size_t TlsRelay::activeConnections()
{
    reapFinished();
    std::lock_guard lock(m_mutex);
    return m_workers.size();
}

} // namespace platform
