#pragma once

// File: pocket/viewer/viewer_transfer.h
// One download at a time from the PC or the web into a local file, on a
// worker thread: mail contents, mail attachments and saved web pages. The
// running activity's name ("웹 페이지 저장", "메일 내용 다운중") is what the
// "현재 [%s]을 하는 중입니다" questions name. BackgroundDownload is the face the
// mail client and the web view use; ThreadDownload runs it with fetchToFile.
// Both live on the window thread; only the fetch runs on the worker.

#include "platform/event_loop.h"
#include "platform/http_fetch.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace platform {
class Ui;
}

namespace pocket::viewer {

class BackgroundDownload {
public:
    virtual ~BackgroundDownload() = default;
    virtual bool isRunning() const = 0;
    virtual std::string activity() const = 0;
    // Ends the running download; its completion is not reported.
    virtual void cancel() = 0;
    // Starts fetching `url` into `destination`; `done` runs on the window
    // thread with the outcome. False when the worker cannot be started or a
    // download is still running.
    virtual bool start(std::string url, std::filesystem::path destination, std::string activity,
        std::function<void(bool ok)> done)
        = 0;
};

class ThreadDownload final : public BackgroundDownload, public platform::MessageTarget {
public:
    static constexpr int kMsgDownloadDone = 1541; // wParam: ok, lParam: generation.

    ThreadDownload(platform::EventLoop& loop, platform::Ui& ui);
    ~ThreadDownload() override;

    bool isRunning() const override { return m_running; }
    std::string activity() const override { return m_running ? m_activity : std::string(); }
    void cancel() override;
    bool start(std::string url, std::filesystem::path destination, std::string activity,
        std::function<void(bool ok)> done) override;

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    void join();

    platform::EventLoop& m_loop;
    platform::Ui& m_ui;
    platform::HttpFetch m_fetch;
    std::thread m_thread;
    bool m_running = false;
    std::string m_activity;
    std::function<void(bool)> m_done;
    std::atomic<platform::LParam> m_generation { 0 };
};

} // namespace pocket::viewer
