#include "pocket/link/request_number.h"

namespace pocket::link {

RequestNumber::RequestNumber(platform::EventLoop& loop, platform::MessageTarget& owner, int timeoutMessage)
    : m_loop(loop)
    , m_owner(owner)
    , m_timeoutMessage(timeoutMessage)
{
}

RequestNumber::~RequestNumber()
{
    stopTimer();
}

void RequestNumber::startTimer(std::chrono::milliseconds timeout)
{
    stopTimer();
    m_waiting = true;
    m_timer = m_loop.setOneShot(&m_owner, static_cast<unsigned>(timeout.count()), m_timeoutMessage,
        static_cast<platform::WParam>(m_current));
}

bool RequestNumber::acceptAnswer(int first)
{
    if (first != m_current)
        return false;
    stopTimer();
    m_waiting = false;
    ++m_current;
    return true;
}

bool RequestNumber::onTimeout(platform::WParam number)
{
    if (!m_waiting || number != static_cast<platform::WParam>(m_current))
        return false;
    m_timer = 0;
    m_waiting = false;
    ++m_current;
    return true;
}

void RequestNumber::cancel()
{
    stopTimer();
    if (m_waiting) {
        m_waiting = false;
        ++m_current;
    }
}

void RequestNumber::stopTimer()
{
    if (m_timer != 0)
        m_loop.cancelOneShot(m_timer);
    m_timer = 0;
}

} // namespace pocket::link
