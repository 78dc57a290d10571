#include "pocket/link/testing/loopback.h"

#include "platform/net_address.h"
#include "proto/pc_answer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pocket::link::testing {

namespace {

constexpr int kWaitMs = 5000;

bool waitReadable(int fd)
{
    pollfd entry { fd, POLLIN, 0 };
    return ::poll(&entry, 1, kWaitMs) == 1;
}

} // namespace

LoopbackListener::LoopbackListener()
{
    if (auto listening = platform::listenTcp("127.0.0.1", 0, 8)) {
        m_socket = std::move(*listening);
        m_port = platform::localPort(m_socket.fd()).valueOr(0);
    }
}

int LoopbackListener::accept()
{
    if (!waitReadable(m_socket.fd()))
        return -1;
    return ::accept4(m_socket.fd(), nullptr, nullptr, SOCK_CLOEXEC);
}

bool isReadable(int fd)
{
    pollfd entry { fd, POLLIN, 0 };
    return ::poll(&entry, 1, 0) == 1;
}

std::string answerRecord(int first, int code, std::string text)
{
    auto encoded = proto::encodePcAnswer({ first, code, std::move(text) });
    return std::string(encoded.data(), encoded.size());
}

std::string requestWire(int first, int code, std::string_view text)
{
    return "0xx0:" + std::to_string(first) + " 0xx1:" + std::to_string(code) + " 0xx2:" + std::string(text)
        + std::string(1, '\0');
}

bool sendAll(int fd, std::string_view bytes)
{
    return platform::sendAll(fd, bytes).hasValue();
}

std::string receiveExactly(int fd, std::size_t count)
{
    std::string data;
    char buffer[4096];
    while (data.size() < count && waitReadable(fd)) {
        ssize_t received = ::recv(fd, buffer, std::min(sizeof buffer, count - data.size()), 0);
        if (received <= 0)
            break;
        data.append(buffer, static_cast<std::size_t>(received));
    }
    return data;
}

std::string receiveUntilNul(int fd)
{
    std::string data;
    char byte = 0;
    while (waitReadable(fd) && ::recv(fd, &byte, 1, 0) == 1) {
        data.push_back(byte);
        if (byte == '\0')
            break;
    }
    return data;
}

OneShotHttpServer::OneShotHttpServer(int status, std::string body)
{
    m_thread = std::thread([this, status, body = std::move(body)] {
        int peer = m_listener.accept();
        if (peer < 0)
            return;
        std::string head;
        char byte = 0;
        while (head.find("\r\n\r\n") == std::string::npos && waitReadable(peer) && ::recv(peer, &byte, 1, 0) == 1)
            head.push_back(byte);
        {
            std::lock_guard lock(m_mutex);
            m_head = head;
        }
        std::string reply = "HTTP/1.0 " + std::to_string(status) + (status == 200 ? " OK" : " Not Found")
            + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        sendAll(peer, reply);
        ::close(peer);
    });
}

OneShotHttpServer::~OneShotHttpServer()
{
    m_thread.join();
}

std::string OneShotHttpServer::requestHead()
{
    std::lock_guard lock(m_mutex);
    return m_head;
}

int acceptWithOkHead(LoopbackListener& listener)
{
    int peer = listener.accept();
    if (peer < 0)
        return -1;
    char head[4096];
    (void)::recv(peer, head, sizeof head, 0);
    (void)sendAll(peer, "HTTP/1.0 200 OK\r\n\r\n");
    return peer;
}

TricklingHttpServer::TricklingHttpServer()
{
    m_thread = std::thread([this] {
        int peer = acceptWithOkHead(m_listener);
        if (peer < 0)
            return;
        while (!m_done && sendAll(peer, "0")) {
            pollfd none {};
            (void)::poll(&none, 0, 500);
        }
        ::close(peer);
    });
}

TricklingHttpServer::~TricklingHttpServer()
{
    m_done = true;
    m_thread.join();
}

platform::LResult RecordingTarget::onMessage(int msg, platform::WParam wParam, platform::LParam lParam)
{
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back({ msg, wParam, lParam });
    }
    return handler ? handler(msg, wParam, lParam) : 0;
}

std::vector<Posted> RecordingTarget::messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

std::size_t RecordingTarget::count(int msg) const
{
    std::lock_guard lock(m_mutex);
    std::size_t n = 0;
    for (const auto& m : m_messages)
        n += m.msg == msg ? 1 : 0;
    return n;
}

} // namespace pocket::link::testing
