#pragma once

// File: pocket/link/answer_queue.h
// The 51-slot queue between the PC connection's reader thread and the window
// thread: the reader stores each answer in a free slot and posts the slot's
// index; the window thread takes the answer out and frees the slot. Answers
// arriving while every slot is full are dropped. Thread-safe.

#include "proto/pc_answer.h"

#include <array>
#include <cstddef>
#include <mutex>
#include <optional>

namespace pocket::link {

constexpr std::size_t kAnswerSlots = 51;

class AnswerQueue {
public:
    // Reader thread: the slot the answer went into, or nothing when full.
    std::optional<std::size_t> store(proto::PcAnswer answer);
    // Window thread: the answer in the slot, which becomes free; nothing when
    // the slot is empty (the queue was emptied after the index was posted).
    std::optional<proto::PcAnswer> take(std::size_t slot);
    void clear();
    std::size_t size() const;

private:
    mutable std::mutex m_mutex;
    std::array<std::optional<proto::PcAnswer>, kAnswerSlots> m_slots;
    std::size_t m_next = 0; // Where the search for a free slot starts.
    std::size_t m_count = 0;
};

} // namespace pocket::link
