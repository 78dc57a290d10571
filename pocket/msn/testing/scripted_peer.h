#pragma once

// File: pocket/msn/testing/scripted_peer.h
// A scripted MSN server for tests: listens on 127.0.0.1 with a port chosen
// by the system and serves the given connections one after the other on its
// own thread. Each connection is a list of {expect, reply} steps: the peer
// reads until it has received `expect` (the bytes must match), then sends
// `reply`. After the last step it closes the connection, or keeps it open
// until the test ends when `holdOpen` is set.

#include "platform/net_address.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pocket::msn::testing {

struct Step {
    std::string expect;
    std::string reply;
};

struct ScriptedConnection {
    std::vector<Step> steps;
    bool holdOpen = false;
};

class ScriptedPeer {
public:
    explicit ScriptedPeer(std::vector<ScriptedConnection> connections);
    ~ScriptedPeer();

    std::uint16_t port() const { return m_port; }
    // Waits (with a deadline) until every step has run; false on time-out
    // or when the peer received something else than expected.
    bool waitDone();
    // What went wrong, for the test's message.
    std::string failure() const;

private:
    void serve(std::vector<ScriptedConnection> connections);
    bool runSteps(int fd, const ScriptedConnection& connection);
    void fail(std::string why);

    platform::SocketFd m_listener;
    int m_wake[2] = { -1, -1 };
    std::uint16_t m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_done = false;
    std::string m_failure;
};

} // namespace pocket::msn::testing
