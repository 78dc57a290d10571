#include "pocket/msn/socket_msn_link.h"

#include "pocket/link/link_messages.h"

#include <sys/socket.h>

#include <cerrno>

namespace pocket::msn {

namespace {
    // What readAvailable() returns to the reader thread to make it stop.
    constexpr platform::LResult kStopReading = -1;
    constexpr std::size_t kReadBytes = 1024;
} // namespace

SocketMsnLink::SocketMsnLink(platform::EventLoop& loop, platform::Ui& ui, link::SleepFunction sleep)
    : m_client(loop, ui, std::move(sleep))
{
    m_client.setTitleForKind(link::kLinkKindMsn);
    m_client.setKind(link::kLinkKindMsn);
    m_client.setReceiveMode(link::ReceiveMode::Readiness);
    m_client.setWindow(this);
}

SocketMsnLink::~SocketMsnLink()
{
    m_client.close();
}

bool SocketMsnLink::open(const LinkTarget& target)
{
    m_splitter.clear();
    m_notifyOnClose = target.notifyOnClose;
    m_peerEnded = false;
    m_client.setHost(target.host);
    m_client.setPort(target.port);
    m_client.setHostIsAddress(target.hostIsAddress);
    return m_client.open();
}

std::string SocketMsnLink::failureText() const
{
    return m_client.lastAttemptText();
}

void SocketMsnLink::close()
{
    m_client.close();
    m_splitter.clear();
}

bool SocketMsnLink::isOpen() const
{
    return m_client.isOpen();
}

bool SocketMsnLink::send(std::string_view bytes)
{
    return m_client.sendBytes(bytes);
}

platform::LResult SocketMsnLink::onMessage(int msg, platform::WParam, platform::LParam)
{
    if (msg == link::kMsgMsnBlockQueued)
        return readAvailable();
    // The reader reports the end after readAvailable() has closed the
    // connection; a newer connection opened since then is not affected.
    if (msg == link::kMsgMsnClosed && !m_client.isOpen() && m_peerEnded) {
        m_peerEnded = false;
        endConnection();
    }
    return 0;
}

platform::LResult SocketMsnLink::readAvailable()
{
    int fd = m_client.socketFd();
    if (fd < 0)
        return kStopReading; // Closed here: the end is no news.
    char buffer[kReadBytes];
    ssize_t received = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return 0;
    if (received <= 0) {
        m_client.close();
        m_peerEnded = true;
        return kStopReading; // The reader then posts the closed message.
    }
    m_splitter.feed({ buffer, static_cast<std::size_t>(received) });
    std::vector<MsnUnit> units;
    for (;;) {
        auto unit = m_splitter.next();
        if (!unit) {
            // A peer that breaks the limits gets no more of our attention.
            m_client.close();
            m_peerEnded = true;
            return kStopReading;
        }
        if (!*unit)
            break;
        units.push_back(std::move(**unit));
    }
    if (!units.empty() && m_onUnits)
        m_onUnits(std::move(units));
    return 0;
}

void SocketMsnLink::endConnection()
{
    m_splitter.clear();
    if (m_notifyOnClose && m_onClosed)
        m_onClosed();
}

} // namespace pocket::msn
