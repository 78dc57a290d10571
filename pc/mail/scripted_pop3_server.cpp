#include "pc/mail/scripted_pop3_server.h"

#include <sys/socket.h>
#include <unistd.h>

namespace pc::mail::testing {

ScriptedPop3Server::ScriptedPop3Server(std::vector<ScriptStep> script)
    : m_script(std::move(script))
{
    if (auto listening = platform::listenTcp("127.0.0.1", 0, 1)) {
        m_listener = std::move(*listening);
        m_port = platform::localPort(m_listener.fd()).valueOr(0);
    }
    m_thread = std::thread([this] { run(); });
}

ScriptedPop3Server::~ScriptedPop3Server()
{
    if (m_thread.joinable()) {
        // Unblock an accept that never got a client.
        ::shutdown(m_listener.fd(), SHUT_RDWR);
        m_thread.join();
    }
}

bool ScriptedPop3Server::readLine(int fd, std::string& line)
{
    while (true) {
        auto lf = m_pending.find('\n');
        if (lf != std::string::npos) {
            line = m_pending.substr(0, lf);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            m_pending.erase(0, lf + 1);
            return true;
        }
        char buffer[4096];
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        m_pending.append(buffer, static_cast<std::size_t>(got));
    }
}

void ScriptedPop3Server::run()
{
    int fd = ::accept(m_listener.fd(), nullptr, nullptr);
    if (fd < 0)
        return;
    std::string line;
    bool open = true;
    for (const ScriptStep& step : m_script) {
        if (!step.expect.empty()) {
            if (!readLine(fd, line)) {
                open = false;
                break;
            }
            m_received.push_back(line);
        }
        for (const std::string& chunk : step.chunks)
            ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (step.closeAfter) {
            open = false;
            break;
        }
    }
    while (open && readLine(fd, line))
        m_received.push_back(line);
    ::close(fd);
}

std::vector<std::string> ScriptedPop3Server::finish()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_received;
}

std::vector<ScriptStep> loginSteps()
{
    return {
        { "", { "+OK ready\r\n" } },
        { "USER", { "+OK\r\n" } },
        { "PASS", { "+OK logged in\r\n" } },
    };
}

} // namespace pc::mail::testing
