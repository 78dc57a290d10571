#pragma once

// File: platform/tls/prefix_digest.h
// The SHA-256 of the beginning of a file, made on a thread of its own: the
// part of an upload continued after a cut may be gigabytes, and the window
// thread goes on with its other work meanwhile (the PC serves every other
// handheld request, the handheld stays responsive). The result
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

namespace platform {

class PrefixDigest final : public MessageTarget {
public:
    static constexpr int kMsgDigestDone = 5201; // wParam: the start's number.

    // The hashing itself, run on the digest's thread: nullopt when the file
    // is shorter or unreadable, or when `stop` turned true.
    using Hash = std::function<std::optional<std::string>(int fd, std::uint64_t bytes, const std::atomic<bool>& stop)>;
    using Done = std::function<void(std::optional<std::string> sha256Hex)>;

    // `hash` defaults to platform::sha256OfPrefix.
    explicit PrefixDigest(EventLoop& loop, Hash hash = {});
    ~PrefixDigest() override;

    // Hashes the first `bytes` of the open file `fd` through a duplicate of
    // the descriptor (the caller may close `fd` at once); `done` runs on the
    // window thread. False when no thread could be started (nothing is told).
    bool start(int fd, std::uint64_t bytes, Done done);
    void cancel();

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

} // namespace platform
