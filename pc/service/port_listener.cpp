#include "pc/service/port_listener.h"

#include "platform/trace.h"

#include <cerrno>

namespace pc::service {

PortListener::PortListener(platform::EventLoop& loop, std::string name, OnAccepted onAccepted)
    : m_loop(loop)
    , m_name(std::move(name))
    , m_onAccepted(std::move(onAccepted))
{
}

PortListener::~PortListener()
{
    close();
}

platform::IoResult<void> PortListener::open(const std::string& address, std::uint16_t port)
{
    close();
    m_listener = TRY(platform::TcpListener::listen(address, port));
    watch();
    return {};
}

void PortListener::close()
{
    if (m_retry != 0) {
        m_loop.cancelOneShot(m_retry);
        m_retry = 0;
    }
    if (m_listener.isOpen() && !m_paused)
        m_loop.unwatchSocket(m_listener.fd());
    m_listener.close();
    m_paused = false;
}

void PortListener::watch()
{
    platform::SocketCallbacks callbacks;
    callbacks.onAccept = [this] { acceptPending(); };
    m_loop.watchSocket(m_listener.fd(), std::move(callbacks));
}

void PortListener::acceptPending()
{
    for (int i = 0; i < kAcceptsPerWake && m_listener.isOpen() && !m_paused; ++i) {
        auto accepted = m_listener.accept();
        if (accepted) {
            m_onAccepted(std::move(*accepted));
            continue;
        }
        if (platform::isOutOfDescriptors(accepted.error()))
            pause();
        else if (accepted.error().systemError != EAGAIN && accepted.error().systemError != EWOULDBLOCK)
            platform::trace(m_name + ": " + platform::describe(accepted.error()));
        return;
    }
}

void PortListener::pause()
{
    platform::trace(m_name + ": out of descriptors; not accepting until one frees");
    m_paused = true;
    m_loop.unwatchSocket(m_listener.fd());
    m_retry = m_loop.setOneShot(this, kRetryMs, kMsgRetry);
}

void PortListener::onDescriptorFreed()
{
    if (!m_paused || !m_listener.isOpen())
        return;
    if (m_retry != 0) {
        m_loop.cancelOneShot(m_retry);
        m_retry = 0;
    }
    m_paused = false;
    watch();
}

platform::LResult PortListener::onMessage(int msg, platform::WParam, platform::LParam)
{
    if (msg != kMsgRetry)
        return 0;
    m_retry = 0;
    onDescriptorFreed();
    return 1;
}

} // namespace pc::service
