#pragma once

// File: pocket/icq/testing/scripted_server.h
// A scripted OSCAR peer on loopback for tests: it accepts one connection and
// plays its steps in order, sending bytes or reading the next FLAP frame
// from the client. The frames it read are kept for the test to look at.

#include "pocket/icq/flap_splitter.h"
#include "pocket/link/testing/loopback.h"

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pocket::icq::testing {

struct Step {
    enum Kind { Send, Expect } kind = Send;
    std::string bytes; // For Send.
};

inline Step sendStep(std::string bytes) { return { Step::Send, std::move(bytes) }; }
inline Step expectStep() { return { Step::Expect, {} }; }

class ScriptedServer {
public:
    // onDone runs on the server's thread once the script has ended (to wake
    // a test's event loop); the connection is closed then.
    explicit ScriptedServer(std::vector<Step> steps, std::function<void()> onDone = {})
        : m_onDone(std::move(onDone))
        , m_thread([this, steps = std::move(steps)] { run(steps); })
    {
    }
    ~ScriptedServer() { m_thread.join(); }

    std::uint16_t port() const { return m_listener.port(); }
    bool done() const { return m_done; }
    bool failed() const { return m_failed; }
    std::vector<FlapFrame> received() const
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

private:
    void run(const std::vector<Step>& steps)
    {
        m_fd = m_listener.accept();
        if (m_fd < 0) {
            m_failed = true;
            m_done = true;
            if (m_onDone)
                m_onDone();
            return;
        }
        for (const auto& step : steps) {
            if (step.kind == Step::Send) {
                link::testing::sendAll(m_fd, step.bytes);
                continue;
            }
            auto frame = readFrame();
            if (!frame) {
                m_failed = true;
                break;
            }
            std::lock_guard lock(m_mutex);
            m_received.push_back(std::move(*frame));
        }
        ::close(m_fd);
        m_done = true;
        if (m_onDone)
            m_onDone();
    }

    std::optional<FlapFrame> readFrame()
    {
        for (;;) {
            if (auto next = m_splitter.next())
                return *next ? std::optional<FlapFrame>(std::move(**next)) : std::nullopt;
            const auto bytes = link::testing::receiveExactly(m_fd, m_splitter.bytesWanted());
            if (bytes.empty())
                return std::nullopt;
            m_splitter.feed(bytes);
        }
    }

    link::testing::LoopbackListener m_listener;
    int m_fd = -1;
    FlapSplitter m_splitter;
    mutable std::mutex m_mutex;
    std::vector<FlapFrame> m_received;
    std::atomic<bool> m_done { false };
    std::atomic<bool> m_failed { false };
    std::function<void()> m_onDone;
    std::thread m_thread; // Last: starts once the rest is ready.
};

} // namespace pocket::icq::testing
