#pragma once

// File: pc/mail/serial_worker.h
// One worker thread that runs jobs one after the other, in the order they
// were posted. A mail check that arrives while another runs therefore waits
// for it instead of sharing its state. Destroying the worker lets the job at
// work finish, drops the jobs not yet begun, and joins the thread.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pc::mail {

class SerialWorker {
public:
    SerialWorker() = default;
    ~SerialWorker();
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    // Queues a job; false when the thread could not be started.
    [[nodiscard]] bool post(std::function<void()> job);

    // Waits until no job is queued or running; false at the deadline.
    bool waitIdle(std::chrono::milliseconds timeout);

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace pc::mail
