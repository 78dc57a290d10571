#include "pocket/link/line_block_queue.h"

namespace pocket::link {

namespace {

constexpr std::size_t kMaxBlockText = kBlockBytes - 1;
constexpr std::size_t kMaxTailText = kTailBytes - 1;

} // namespace

LineBlockQueue::Accepted LineBlockQueue::acceptChunk(std::string_view chunk)
{
    std::lock_guard lock(m_mutex);
    Accepted accepted;
    if (isFullLocked()) {
        // The window thread has not freed the oldest slot yet: the data is
        // lost, and a tail without its front would only mislead.
        m_tail.clear();
        accepted.dropped = true;
        return accepted;
    }

    std::string combined = m_tail;
    combined.append(chunk);
    std::size_t lastLf = combined.rfind('\n');
    bool hasLines = lastLf != std::string::npos;
    std::string lines = hasLines ? combined.substr(0, lastLf) : std::string();
    std::string rest = hasLines ? combined.substr(lastLf + 1) : combined;

    if (rest.size() > kMaxTailText) {
        // A line longer than the tail can hold: hand its oldest bytes on as
        // text of their own instead of losing them.
        std::size_t excess = rest.size() - kMaxTailText;
        if (hasLines)
            lines.push_back('\n');
        lines.append(rest, 0, excess);
        rest.erase(0, excess);
        hasLines = true;
    }
    m_tail = std::move(rest);
    if (!hasLines)
        return accepted;

    std::string_view remaining = lines;
    while (remaining.size() > kMaxBlockText) {
        std::size_t cut = remaining.substr(0, kMaxBlockText + 1).rfind('\n');
        std::size_t skip = 1;
        if (cut == std::string_view::npos || cut == 0) {
            cut = kMaxBlockText;
            skip = 0;
        }
        if (!queueBlockLocked(remaining.substr(0, cut))) {
            accepted.dropped = true;
            return accepted;
        }
        ++accepted.queued;
        remaining.remove_prefix(cut + skip);
    }
    if (!queueBlockLocked(remaining)) {
        accepted.dropped = true;
        return accepted;
    }
    ++accepted.queued;
    return accepted;
}

bool LineBlockQueue::queueBlockLocked(std::string_view text)
{
    if (isFullLocked()) {
        m_tail.clear();
        return false;
    }
    m_slots[m_writeIndex].emplace(text);
    m_writeIndex = (m_writeIndex + 1) % kBlockSlots;
    // Full now: further data is dropped until the oldest block is taken, so
    // the tail no longer continues anything that will be queued.
    if (isFullLocked())
        m_tail.clear();
    return true;
}

std::optional<std::string> LineBlockQueue::take()
{
    std::lock_guard lock(m_mutex);
    auto& slot = m_slots[m_readIndex];
    if (!slot)
        return std::nullopt;
    std::optional<std::string> block = std::move(slot);
    slot.reset();
    m_readIndex = (m_readIndex + 1) % kBlockSlots;
    return block;
}

std::string LineBlockQueue::pendingTail() const
{
    std::lock_guard lock(m_mutex);
    return m_tail;
}

void LineBlockQueue::clearPendingTail()
{
    std::lock_guard lock(m_mutex);
    m_tail.clear();
}

void LineBlockQueue::clear()
{
    std::lock_guard lock(m_mutex);
    for (auto& slot : m_slots)
        slot.reset();
    m_readIndex = 0;
    m_writeIndex = 0;
    m_tail.clear();
}

std::size_t LineBlockQueue::queuedCount() const
{
    std::lock_guard lock(m_mutex);
    std::size_t count = 0;
    for (const auto& slot : m_slots)
        count += slot.has_value() ? 1 : 0;
    return count;
}

bool LineBlockQueue::isFull() const
{
    std::lock_guard lock(m_mutex);
    return isFullLocked();
}

} // namespace pocket::link
