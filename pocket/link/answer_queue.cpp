#include "pocket/link/answer_queue.h"

namespace pocket::link {

std::optional<std::size_t> AnswerQueue::store(proto::PcAnswer answer)
{
    std::lock_guard lock(m_mutex);
    if (m_count == kAnswerSlots)
        return std::nullopt;
    // Slots are used round the ring, so the oldest freed slot is reused last.
    for (std::size_t i = 0; i < kAnswerSlots; ++i) {
        std::size_t slot = (m_next + i) % kAnswerSlots;
        if (m_slots[slot])
            continue;
        m_slots[slot] = std::move(answer);
        m_next = (slot + 1) % kAnswerSlots;
        ++m_count;
        return slot;
    }
    return std::nullopt;
}

std::optional<proto::PcAnswer> AnswerQueue::take(std::size_t slot)
{
    std::lock_guard lock(m_mutex);
    if (slot >= kAnswerSlots || !m_slots[slot])
        return std::nullopt;
    std::optional<proto::PcAnswer> answer = std::move(m_slots[slot]);
    m_slots[slot].reset();
    --m_count;
    return answer;
}

void AnswerQueue::clear()
{
    std::lock_guard lock(m_mutex);
    for (auto& slot : m_slots)
        slot.reset();
    m_count = 0;
    m_next = 0;
}

std::size_t AnswerQueue::size() const
{
    std::lock_guard lock(m_mutex);
    return m_count;
}

} // namespace pocket::link
