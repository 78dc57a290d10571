#pragma once

// File: platform/tls/byte_queue.h
// Bytes waiting to be passed on: taken from the front, added at the back,
// with room reserved at the back so that a read or a record can land there
// directly. Taking from the front only moves an offset; the bytes left are
// moved to the front only when the room behind them runs out and they are
// fewer than the space already taken, so no byte is moved more than about
// once however the queue is drained.

#include <cstddef>
#include <cstring>
#include <memory>

namespace platform {

class ByteQueue {
public:
    std::size_t size() const { return m_end - m_begin; }
    bool empty() const { return m_end == m_begin; }
    const char* data() const { return m_bytes.get() + m_begin; }

    // Drops `count` bytes (at most size()) from the front.
    void consume(std::size_t count)
    {
        m_begin += count < size() ? count : size();
        if (m_begin == m_end)
            m_begin = m_end = 0;
    }

    // Room for at least `count` bytes at the back; commit() what was put there.
    char* reserve(std::size_t count);
    void commit(std::size_t count) { m_end += count; }

    void append(const void* bytes, std::size_t count)
    {
        std::memcpy(reserve(count), bytes, count);
        commit(count);
    }

private:
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_capacity = 0;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};

inline char* ByteQueue::reserve(std::size_t count)
{
    if (m_capacity - m_end >= count)
        return m_bytes.get() + m_end;
    std::size_t live = size();
    if (m_begin >= live && m_capacity - live >= count) {
        std::memmove(m_bytes.get(), data(), live);
    } else {
        std::size_t capacity = m_capacity * 2 > live + count ? m_capacity * 2 : live + count;
        auto bytes = std::make_unique_for_overwrite<char[]>(capacity);
        if (live > 0)
            std::memcpy(bytes.get(), data(), live);
        m_bytes = std::move(bytes);
        m_capacity = capacity;
    }
    m_begin = 0;
    m_end = live;
    return m_bytes.get() + m_end;
}

} // namespace platform
