#include "platform/tls/prefix_digest.h"

#include "platform/tls/file_digest.h"

#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace platform {

PrefixDigest::PrefixDigest(platform::EventLoop& loop, Hash hash)
    : m_loop(loop)
    , m_hash(std::move(hash))
{
    if (!m_hash) {
        m_hash = [](int fd, std::uint64_t bytes, const std::atomic<bool>& stop) {
            return sha256OfPrefix(fd, bytes, &stop);
        };
    }
}

PrefixDigest::~PrefixDigest()
{
    stopWorker();
}

bool PrefixDigest::start(int fd, std::uint64_t bytes, Done done)
{
    cancel();
    int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return false;
    std::uint64_t number = ++m_number;
    try {
        m_worker = std::thread([this, own, bytes, number] {
            auto hex = m_hash(own, bytes, m_stop);
            ::close(own);
            {
                std::lock_guard lock(m_mutex);
                m_result = std::move(hex);
            }
            m_loop.post(this, kMsgDigestDone, number);
        });
    } catch (const std::system_error&) {
        ::close(own);
        return false;
    }
    m_done = std::move(done);
    return true;
}

void PrefixDigest::cancel()
{
    m_done = nullptr;
    ++m_number; // A result already on its way is stale.
    stopWorker();
}

void PrefixDigest::stopWorker()
{
    if (!m_worker.joinable())
        return;
    m_stop = true;
    m_worker.join();
    m_stop = false;
}

platform::LResult PrefixDigest::onMessage(int msg, platform::WParam wParam, platform::LParam)
{
    if (msg != kMsgDigestDone || wParam != m_number || !m_done)
        return 0;
    stopWorker(); // It has finished: only its thread is left to join.
    std::optional<std::string> hex;
    {
        std::lock_guard lock(m_mutex);
        hex = std::move(m_result);
        m_result.reset();
    }
    Done done = std::move(m_done);
    m_done = nullptr;
    done(std::move(hex));
    return 1;
}

} // namespace platform
