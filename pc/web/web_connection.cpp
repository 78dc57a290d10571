#include "pc/web/web_connection.h"

#include "platform/tls/secure_link.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>

namespace pc::web {

namespace {

bool wouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

WebConnection::WebConnection(std::uint64_t id, platform::SocketFd socket, const sockaddr_in& peer,
    Clock::time_point now, std::chrono::milliseconds headTimeout)
    : m_id(id)
    , m_socket(std::move(socket))
    , m_peer(peer)
    , m_acceptedAt(now)
    , m_deadline(now + headTimeout)
{
    (void)platform::setNonBlocking(m_socket.fd());
}

short WebConnection::events() const
{
    switch (m_state) {
    case State::ReadingHead:
    case State::Draining:
        return POLLIN;
    case State::Sending:
        return POLLOUT;
    case State::HeadReady:
    case State::Waiting:
    case State::Done:
        break;
    }
    return 0;
}

std::optional<WebConnection::HeadOutcome> WebConnection::onReadable()
{
    if (m_secureLink) {
        switch (m_secureLink->admit(m_socket)) {
        case platform::FirstByte::Undecided:
            return std::nullopt;
        case platform::FirstByte::Refused:
            m_headOutcome = HeadOutcome::Failed;
            m_state = State::Done;
            return m_headOutcome;
        case platform::FirstByte::Private:
            m_isPrivate = true;
            (void)platform::setNonBlocking(m_socket.fd());
            m_secureLink = nullptr;
            // The handshake runs in the relay: the head arrives later.
            return std::nullopt;
        case platform::FirstByte::Clear:
            m_secureLink = nullptr;
            break;
        }
    }
    char chunk[4096];
    ssize_t received = ::recv(m_socket.fd(), chunk, std::min(sizeof chunk, m_head.readHint()), 0);
    if (received < 0 && wouldBlock(errno))
        return std::nullopt;
    if (received <= 0) {
        m_headOutcome = received == 0 ? HeadOutcome::Closed : HeadOutcome::Failed;
        m_state = State::Done;
        return m_headOutcome;
    }
    switch (m_head.feed(std::string_view(chunk, static_cast<std::size_t>(received)))) {
    case HeadBuffer::State::Complete:
        m_headOutcome = HeadOutcome::Complete;
        break;
    case HeadBuffer::State::TooLarge:
        m_headOutcome = HeadOutcome::TooLarge;
        break;
    case HeadBuffer::State::Incomplete:
        return std::nullopt;
    }
    m_state = State::HeadReady;
    return m_headOutcome;
}

void WebConnection::wait(platform::Ticks retryAt, Clock::time_point giveUpAt)
{
    m_state = State::Waiting;
    m_retryAt = retryAt;
    m_deadline = giveUpAt;
}

void WebConnection::respond(WebResponse response, Clock::time_point now, std::chrono::milliseconds timeout,
    std::uint64_t minBytesPerSecond, bool drainAfter)
{
    m_response = std::move(response);
    m_bytesSent = 0;
    m_fileSent = 0;
    m_drainAfter = drainAfter;
    // The whole response must go out within the time-out plus the time its
    // size takes at the minimum rate: a peer that reads a few bytes now and
    // then cannot stretch it.
    auto forSize = std::chrono::milliseconds(m_response.totalBytes() * 1000 / std::max<std::uint64_t>(minBytesPerSecond, 1));
    m_deadline = now + timeout + forSize;
    m_state = State::Sending;
}

void WebConnection::onWritable(Clock::time_point now)
{
    while (m_bytesSent < m_response.bytes.size()) {
        bool more = m_response.bodyFile >= 0 && m_response.bodyLength > 0;
        ssize_t sent = ::send(m_socket.fd(), m_response.bytes.data() + m_bytesSent,
            m_response.bytes.size() - m_bytesSent, MSG_NOSIGNAL | (more ? MSG_MORE : 0));
        if (sent < 0 && wouldBlock(errno))
            return;
        if (sent <= 0) {
            close();
            return;
        }
        m_bytesSent += static_cast<std::size_t>(sent);
    }
    // sendfile moves at most 0x7ffff000 bytes per call.
    constexpr std::uint64_t kMaxChunk = 1u << 30;
    while (m_response.bodyFile >= 0 && m_fileSent < m_response.bodyLength) {
        auto chunk = static_cast<std::size_t>(std::min(m_response.bodyLength - m_fileSent, kMaxChunk));
        ssize_t sent = ::sendfile(m_socket.fd(), m_response.bodyFile, nullptr, chunk);
        if (sent < 0 && wouldBlock(errno))
            return;
        if (sent <= 0)
            break; // Failed, or the file shrank while being sent.
        m_fileSent += static_cast<std::uint64_t>(sent);
    }
    m_response.closeFile();
    if (!m_drainAfter) {
        close();
        return;
    }
    ::shutdown(m_socket.fd(), SHUT_WR);
    m_state = State::Draining;
    m_deadline = now + kDrainTime;
}

void WebConnection::onDrainReadable()
{
    char sink[4096];
    ssize_t received = ::recv(m_socket.fd(), sink, sizeof sink, 0);
    if (received < 0 && wouldBlock(errno))
        return;
    if (received <= 0)
        close();
}

void WebConnection::close()
{
    m_response.closeFile();
    m_socket.reset();
    m_state = State::Done;
}

} // namespace pc::web
