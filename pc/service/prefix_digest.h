#pragma once

// File: pc/service/prefix_digest.h
// The SHA-256 of the part of a file the PC already holds, made on a thread
// of its own: an upload continued after a cut may hold gigabytes, and the
// window thread serves every other handheld request meanwhile. The result
// comes back to the window thread as a posted message. One digest at a
// time; a new start() or a cancel() stops the running one (within a MiB of
// reading) and its result is never told.
//
//     digest.start(fd, held, [this](std::optional<std::string> hex) { ... });

#include "platform/event_loop.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace pc::service {

class PrefixDigest final : public platform::MessageTarget {
public:
    static constexpr int kMsgDigestDone = 5201; // wParam: the start's number.

    // The hashing itself, run on the digest's thread: nullopt when the file
    // is shorter or unreadable, or when `stop` turned true.
    using Hash = std::function<std::optional<std::string>(int fd, std::uint64_t bytes, const std::atomic<bool>& stop)>;
    using Done = std::function<void(std::optional<std::string> sha256Hex)>;

    // `hash` defaults to platform::sha256OfPrefix.
    explicit PrefixDigest(platform::EventLoop& loop, Hash hash = {});
    ~PrefixDigest() override;

    // Hashes the first `bytes` of the open file `fd` through a duplicate of
    // the descriptor (the caller may close `fd` at once); `done` runs on the
    // window thread. False when no thread could be started (nothing is told).
    bool start(int fd, std::uint64_t bytes, Done done);
    void cancel();
    bool isRunning() const { return static_cast<bool>(m_done); }

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    void stopWorker();

    platform::EventLoop& m_loop;
    Hash m_hash;
    std::thread m_worker;
    std::atomic<bool> m_stop { false };
    std::uint64_t m_number = 0; // Of the latest start.
    Done m_done; // Empty: nothing to tell.
    std::mutex m_mutex;
    std::optional<std::string> m_result; // Guarded by m_mutex.
};

} // namespace pc::service
