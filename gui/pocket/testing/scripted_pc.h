#pragma once

// File: gui/pocket/testing/scripted_pc.h
// A scripted PC for the window's tests, on loopback: the command port, on
// which the test reads each request the handheld sends and writes the
// answers, the upload port, and a web server that serves a set of files
// (changeable while it runs) until it is destroyed. A file may stall: the
// server sends part of it and waits until the handheld hangs up.

#include "platform/net_address.h"
#include "pocket/link/testing/loopback.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gui::handheld::testing {

struct WebFile {
    int status = 200;
    std::string body;
    bool stall = false; // Sends 1 KB of a long body, then waits.
};

class ScriptedPc {
public:
    ScriptedPc()
    {
        m_web = std::thread([this] { serveWeb(); });
    }
    ~ScriptedPc()
    {
        m_stop = true;
        // Wakes the web server's accept.
        (void)platform::connectTcp("127.0.0.1", m_webListener.port());
        m_web.join();
        if (m_peer >= 0)
            ::close(m_peer);
        if (m_uploadPeer >= 0)
            ::close(m_uploadPeer);
    }

    std::uint16_t commandPort() const { return m_command.port(); }
    std::uint16_t uploadPort() const { return m_upload.port(); }
    std::uint16_t webPort() const { return m_webListener.port(); }
    std::string webUrl(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(webPort()) + path; }

    // Takes the handheld's command connection.
    bool acceptCommand()
    {
        m_peer = m_command.accept();
        return m_peer >= 0;
    }
    bool acceptUpload()
    {
        m_uploadPeer = m_upload.accept();
        return m_uploadPeer >= 0;
    }
    // The next request, as "0xx0:N 0xx1:CODE 0xx2:TEXT" without its NUL.
    std::string nextRequest()
    {
        std::string wire = pocket::link::testing::receiveUntilNul(m_peer);
        if (!wire.empty() && wire.back() == '\0')
            wire.pop_back();
        return wire;
    }
    static std::string request(int first, int code, const std::string& text)
    {
        return "0xx0:" + std::to_string(first) + " 0xx1:" + std::to_string(code) + " 0xx2:" + text;
    }
    void answer(int first, int code, const std::string& text)
    {
        (void)pocket::link::testing::sendAll(m_peer, pocket::link::testing::answerRecord(first, code, text));
    }
    // Whether a request waits on the command connection now.
    bool hasRequest() const { return m_peer >= 0 && pocket::link::testing::isReadable(m_peer); }

    void serve(const std::string& path, WebFile file)
    {
        std::lock_guard lock(m_mutex);
        m_files[path] = std::move(file);
    }
    std::vector<std::string> requestedPaths()
    {
        std::lock_guard lock(m_mutex);
        return m_paths;
    }

private:
    void serveWeb()
    {
        while (!m_stop) {
            int peer = m_webListener.accept();
            if (peer < 0)
                continue;
            if (m_stop) {
                ::close(peer);
                break;
            }
            const std::string head = readHead(peer);
            const std::size_t start = head.find(' ') + 1;
            const std::string path = head.substr(start, head.find(' ', start) - start);
            WebFile file { 404, "no such file" };
            {
                std::lock_guard lock(m_mutex);
                m_paths.push_back(path);
                if (auto found = m_files.find(path); found != m_files.end())
                    file = found->second;
            }
            if (file.stall) {
                (void)pocket::link::testing::sendAll(
                    peer, "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1024, 's'));
                char byte = 0;
                pollfd entry { peer, POLLIN, 0 };
                while (!m_stop && ::poll(&entry, 1, 100) >= 0) {
                    if ((entry.revents & (POLLIN | POLLHUP)) && ::recv(peer, &byte, 1, 0) <= 0)
                        break;
                }
            } else {
                (void)pocket::link::testing::sendAll(peer,
                    "HTTP/1.0 " + std::to_string(file.status) + (file.status == 200 ? " OK" : " Not Found")
                        + "\r\nContent-Length: " + std::to_string(file.body.size()) + "\r\n\r\n" + file.body);
            }
            ::close(peer);
        }
    }

    static std::string readHead(int peer)
    {
        std::string head;
        char byte = 0;
        pollfd entry { peer, POLLIN, 0 };
        while (head.find("\r\n\r\n") == std::string::npos && ::poll(&entry, 1, 5000) == 1
            && ::recv(peer, &byte, 1, 0) == 1)
            head.push_back(byte);
        return head;
    }

    pocket::link::testing::LoopbackListener m_command;
    pocket::link::testing::LoopbackListener m_upload;
    pocket::link::testing::LoopbackListener m_webListener;
    int m_peer = -1;
    int m_uploadPeer = -1;
    std::atomic<bool> m_stop { false };
    std::mutex m_mutex;
    std::map<std::string, WebFile> m_files;
    std::vector<std::string> m_paths;
    std::thread m_web;
};

} // namespace gui::handheld::testing
