#pragma once

// File: pocket/link/line_block_queue.h
// The block queue of a line-oriented link (the MSN sessions): the reader
// thread cuts what it receives into blocks of whole lines and queues them in
// 15 slots; the window thread takes them oldest first, one per 4025 message.
// The bytes after the last line feed wait in the pending tail, where the chat
// dispatcher also reads a message body that has no line end.
//
//     queue.acceptChunk("A 1\r\nB 2"); // queues "A 1\r", tail "B 2"
//     queue.acceptChunk(" 3\r\n");     // queues "B 2 3\r", tail ""
//     auto block = queue.take();       // "A 1\r"
//
// Thread-safe: one reader thread calls acceptChunk, the window thread calls
// the rest; one mutex guards the slots and the tail.

#include <array>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::link {

constexpr std::size_t kReceiveBytes = 1024; // One receive of a line-mode reader.
constexpr std::size_t kBlockBytes = 1124;   // A queued block, terminating NUL included.
constexpr std::size_t kTailBytes = 1024;    // The pending tail, terminating NUL included.
constexpr std::size_t kBlockSlots = 15;

class LineBlockQueue {
public:
    struct Accepted {
        std::size_t queued = 0; // Blocks queued for this chunk.
        bool dropped = false;   // Some or all of the chunk was lost to a full queue.
    };

    // Reader thread: takes one received chunk. The text up to the last line
    // feed is queued (without that line feed); the rest becomes the pending
    // tail. Text that cannot fit a block or the tail is never cut off: a block
    // longer than kBlockBytes - 1 is queued as several blocks, split after a
    // line feed where one fits, and a tail that would outgrow kTailBytes - 1
    // gives its oldest bytes to a block. While the queue is full the chunk is
    // dropped and the tail cleared.
    Accepted acceptChunk(std::string_view chunk);

    // Window thread: the oldest block, or nothing when the slot at the read
    // index is empty (a 4025 posted for a dropped chunk).
    std::optional<std::string> take();

    std::string pendingTail() const;
    void clearPendingTail();

    // Frees every queued block, sets both indices to 0 and clears the tail.
    void clear();

    std::size_t queuedCount() const;
    bool isFull() const;

private:
    bool queueBlockLocked(std::string_view text);
    bool isFullLocked() const { return m_slots[m_writeIndex].has_value(); }

    mutable std::mutex m_mutex;
    std::array<std::optional<std::string>, kBlockSlots> m_slots;
    std::size_t m_readIndex = 0;
    std::size_t m_writeIndex = 0;
    std::string m_tail;
};

} // namespace pocket::link
