#pragma once

// File: pc/mail/scripted_pop3_server.h
// A loopback POP3 peer for tests that need answers a real server never
// gives: "-ERR" at a chosen step, answers cut into pieces, silence. It
// accepts one connection on 127.0.0.1 (ephemeral port) and plays a script of
// steps: wait for one command line (unless the step has none), then send the
// step's chunks one by one. After the script it reads until the client
// closes. Test-only; the script runs on its own thread.

#include "platform/net_address.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pc::mail::testing {

struct ScriptStep {
    std::string expect; // Command the step waits for ("" = send at once).
    std::vector<std::string> chunks; // Sent in order, one send each.
    bool closeAfter = false; // Close the connection after sending.
};

class ScriptedPop3Server {
public:
    explicit ScriptedPop3Server(std::vector<ScriptStep> script);
    ~ScriptedPop3Server();

    std::uint16_t port() const { return m_port; }

    // Waits for the connection to end and returns every command line the
    // client sent, without line ends.
    std::vector<std::string> finish();

private:
    void run();
    bool readLine(int fd, std::string& line);

    std::vector<ScriptStep> m_script;
    platform::SocketFd m_listener;
    std::uint16_t m_port = 0;
    std::string m_pending;
    std::vector<std::string> m_received;
    std::thread m_thread;
};

// The greeting and the answers to USER and PASS.
std::vector<ScriptStep> loginSteps();

} // namespace pc::mail::testing
