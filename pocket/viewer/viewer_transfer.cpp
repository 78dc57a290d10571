#include "pocket/viewer/viewer_transfer.h"

#include "pocket/link/fetch_to_file.h"

namespace pocket::viewer {

ThreadDownload::ThreadDownload(platform::EventLoop& loop, platform::Ui& ui)
    : m_loop(loop)
    , m_ui(ui)
{
}

ThreadDownload::~ThreadDownload()
{
    ++m_generation;
    m_fetch.cancel();
    join();
}

void ThreadDownload::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void ThreadDownload::cancel()
{
    if (!m_running)
        return;
    ++m_generation;
    m_fetch.cancel();
    join();
    m_running = false;
    m_done = nullptr;
}

bool ThreadDownload::start(std::string url, std::filesystem::path destination, std::string activity,
    std::function<void(bool ok)> done)
{
    if (m_running)
        return false;
    join();
    platform::LParam generation = ++m_generation;
    m_activity = std::move(activity);
    m_done = std::move(done);
    m_running = true;
    try {
        m_thread = std::thread([this, url = std::move(url), destination = std::move(destination), generation] {
            bool ok = link::fetchToFile(m_fetch, m_ui, url, destination);
            m_loop.post(this, kMsgDownloadDone, ok ? 1 : 0, generation);
        });
    } catch (const std::system_error&) {
        m_running = false;
        m_done = nullptr;
        return false;
    }
    return true;
}

platform::LResult ThreadDownload::onMessage(int msg, platform::WParam wParam, platform::LParam lParam)
{
    if (msg != kMsgDownloadDone || lParam != m_generation)
        return 0;
    join();
    m_running = false;
    auto done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(wParam != 0);
    return 0;
}

} // namespace pocket::viewer
