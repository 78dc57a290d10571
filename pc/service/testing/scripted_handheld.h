#pragma once

// File: pc/service/testing/scripted_handheld.h
// A handheld written for tests: it connects to the PC's command port from a
// chosen loopback address (127.0.0.x, so that two handhelds differ), sends
// PcRequests and raw bytes, and collects PcAnswer records. ScriptedUpload
// speaks the upload port, and httpGet() fetches a URL path from the web
// server. Reads never block longer than the deadline given.

#include "proto/pc_answer.h"
#include "proto/pc_request.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pc::service::testing {

class ScriptedHandheld {
public:
    // Nullptr when the connection fails.
    static std::unique_ptr<ScriptedHandheld> connect(std::uint16_t port, const std::string& from = "127.0.0.1");
    // Speaks over a connected descriptor (a private link's clear end), which it then owns.
    static std::unique_ptr<ScriptedHandheld> adopt(int fd, const std::string& address);
    ~ScriptedHandheld();

    bool send(const proto::PcRequest& request);
    bool sendRaw(std::string_view bytes);

    // Reads what has arrived without waiting; returns false once the PC has
    // closed the connection.
    bool pump();
    // Waits up to `timeout` for the next answer.
    std::optional<proto::PcAnswer> waitAnswer(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Waits up to `timeout` for the PC to close the connection.
    bool waitClosed(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Answers received and not yet taken.
    std::vector<proto::PcAnswer>& answers() { return m_answers; }
    std::optional<proto::PcAnswer> takeAnswer();
    bool isClosed() const { return m_closed; }
    void close();
    const std::string& address() const { return m_address; }

private:
    ScriptedHandheld(int fd, std::string address);

    int m_fd;
    std::string m_address;
    bool m_closed = false;
    proto::AnswerSplitter m_splitter;
    std::vector<proto::PcAnswer> m_answers;
};

class ScriptedUpload {
public:
    static std::unique_ptr<ScriptedUpload> connect(std::uint16_t port, const std::string& from = "127.0.0.1");
    ~ScriptedUpload();

    bool sendBlock(std::string_view bytes);
    // Reads what has arrived; false once the PC has closed the connection.
    bool pump();
    // Whole 1024-byte acknowledgements received so far, as totals.
    const std::vector<std::int32_t>& acks() const { return m_acks; }
    bool waitAcks(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    bool waitClosed(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    bool isClosed() const { return m_closed; }
    void close();

private:
    explicit ScriptedUpload(int fd);

    int m_fd;
    bool m_closed = false;
    std::string m_buffer;
    std::vector<std::int32_t> m_acks;
};

struct HttpReply {
    int status = 0;
    std::string head;
    std::string body;
};

// GET of a path on 127.0.0.1:port from the given local address; nullopt when
// the connection fails.
std::optional<HttpReply> httpGet(std::uint16_t port, const std::string& path, const std::string& from = "127.0.0.1");

// Any request: `head` is everything after the request line's path, e.g.
// " HTTP/1.0\r\nAuthorization: Basic ...\r\n\r\n".
std::optional<HttpReply> httpRequest(std::uint16_t port, const std::string& method, const std::string& path,
    const std::string& headers = "", const std::string& from = "127.0.0.1");

} // namespace pc::service::testing
