#include "pocket/icq/request_pacer.h"

namespace pocket::icq {

RequestPacer::RequestPacer(platform::EventLoop& loop)
    : m_loop(loop)
{
}

RequestPacer::~RequestPacer()
{
    m_loop.killTimer(*this, kTimerId);
}

void RequestPacer::start(std::vector<std::string> numbers, SendOne send)
{
    m_numbers = std::move(numbers);
    m_next = 0;
    m_send = std::move(send);
    if (m_numbers.empty())
        m_loop.killTimer(*this, kTimerId);
    else
        m_loop.setTimer(*this, kTimerId, kIntervalMs);
}

void RequestPacer::stop()
{
    m_loop.killTimer(*this, kTimerId);
    m_numbers.clear();
    m_next = 0;
}

void RequestPacer::onTimer(int id)
{
    if (id != kTimerId)
        return;
    if (!isRunning()) {
        stop();
        return;
    }
    const std::string number = m_numbers[m_next++];
    // The send may stop this pacer (a reset after a failed send).
    if (!m_send(number) || !isRunning())
        stop();
}

} // namespace pocket::icq
