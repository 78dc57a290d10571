#include "pocket/link/sign_on_deadline.h"

#include "pocket/link/socket_client.h"

#include <cerrno>

namespace pocket::link {

SignOnDeadline::SignOnDeadline(platform::EventLoop& loop, platform::MessageTarget& target, int msg)
    : m_loop(loop)
    , m_target(target)
    , m_msg(msg)
{
}

SignOnDeadline::~SignOnDeadline()
{
    stop();
}

void SignOnDeadline::start()
{
    stop();
    m_timer = m_loop.setOneShot(&m_target, kSignOnTimeoutMs, m_msg, ++m_number);
}

void SignOnDeadline::stop()
{
    if (m_timer != 0)
        m_loop.cancelOneShot(m_timer);
    m_timer = 0;
}

bool SignOnDeadline::expired(platform::WParam number)
{
    if (m_timer == 0 || number != m_number)
        return false;
    m_timer = 0;
    return true;
}

std::string withCause(std::string_view text, std::string_view cause)
{
    std::string joined(text);
    if (!cause.empty())
        joined.append("\n").append(cause);
    return joined;
}

std::string timedOutCause(std::string_view peer)
{
    return attemptText(peer, ETIMEDOUT);
}

} // namespace pocket::link
