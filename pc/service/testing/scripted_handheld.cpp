#include "pc/service/testing/scripted_handheld.h"

#include "platform/net_address.h"
#include "proto/upload_block.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pc::service::testing {

namespace {

using Clock = std::chrono::steady_clock;

int connectFrom(std::uint16_t port, const std::string& from)
{
    auto socket = platform::connectTcpFrom(from, "127.0.0.1", port);
    return socket ? socket->release() : -1;
}

bool sendAllBytes(int fd, std::string_view bytes)
{
    return platform::sendAll(fd, bytes).hasValue();
}

// Reads what is there; returns false when the peer closed. `waitMs` bounds
// the wait for the first byte.
bool readAvailable(int fd, std::string& into, int waitMs)
{
    pollfd p { fd, POLLIN, 0 };
    if (::poll(&p, 1, waitMs) <= 0)
        return true;
    char buffer[8192];
    ssize_t received = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (received == 0)
        return false;
    if (received < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    into.append(buffer, static_cast<std::size_t>(received));
    return true;
}

int remainingMs(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Tries `attempt` (which reads what has arrived) until it gives a result,
// `open()` says the connection is gone, or the deadline passes; waits for
// input on `fd` between tries. Gives the empty result on failure.
template <typename Attempt, typename Open>
auto retryUntil(std::chrono::milliseconds timeout, const int& fd, Attempt attempt, Open open) -> decltype(attempt())
{
    auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto result = attempt())
            return result;
        if (!open() || Clock::now() >= deadline)
            return {};
        pollfd p { fd, POLLIN, 0 };
        ::poll(&p, 1, remainingMs(deadline));
    }
}

} // namespace

std::unique_ptr<ScriptedHandheld> ScriptedHandheld::connect(std::uint16_t port, const std::string& from)
{
    int fd = connectFrom(port, from);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<ScriptedHandheld>(new ScriptedHandheld(fd, from));
}

std::unique_ptr<ScriptedHandheld> ScriptedHandheld::adopt(int fd, const std::string& address)
{
    return std::unique_ptr<ScriptedHandheld>(new ScriptedHandheld(fd, address));
}

ScriptedHandheld::ScriptedHandheld(int fd, std::string address)
    : m_fd(fd)
    , m_address(std::move(address))
{
}

ScriptedHandheld::~ScriptedHandheld()
{
    close();
}

void ScriptedHandheld::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool ScriptedHandheld::send(const proto::PcRequest& request)
{
    return sendRaw(proto::formatPcRequest(request));
}

bool ScriptedHandheld::sendRaw(std::string_view bytes)
{
    return m_fd >= 0 && sendAllBytes(m_fd, bytes);
}

bool ScriptedHandheld::pump()
{
    if (m_closed || m_fd < 0)
        return false;
    for (;;) {
        std::string bytes;
        if (!readAvailable(m_fd, bytes, 0)) {
            m_closed = true;
            break;
        }
        if (bytes.empty())
            break;
        m_splitter.feed(bytes);
    }
    while (auto answer = m_splitter.next())
        m_answers.push_back(*answer);
    return !m_closed;
}

std::optional<proto::PcAnswer> ScriptedHandheld::takeAnswer()
{
    pump();
    if (m_answers.empty())
        return std::nullopt;
    proto::PcAnswer answer = m_answers.front();
    m_answers.erase(m_answers.begin());
    return answer;
}

std::optional<proto::PcAnswer> ScriptedHandheld::waitAnswer(std::chrono::milliseconds timeout)
{
    return retryUntil(
        timeout, m_fd, [&] { return takeAnswer(); }, [&] { return !m_closed && m_fd >= 0; });
}

bool ScriptedHandheld::waitClosed(std::chrono::milliseconds timeout)
{
    return retryUntil(
        timeout, m_fd, [&] { return !pump(); }, [] { return true; });
}

std::unique_ptr<ScriptedUpload> ScriptedUpload::connect(std::uint16_t port, const std::string& from)
{
    int fd = connectFrom(port, from);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<ScriptedUpload>(new ScriptedUpload(fd));
}

ScriptedUpload::ScriptedUpload(int fd)
    : m_fd(fd)
{
}

ScriptedUpload::~ScriptedUpload()
{
    close();
}

void ScriptedUpload::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool ScriptedUpload::sendBlock(std::string_view bytes)
{
    return m_fd >= 0 && sendAllBytes(m_fd, bytes);
}

bool ScriptedUpload::pump()
{
    if (m_closed || m_fd < 0)
        return false;
    for (;;) {
        std::size_t before = m_buffer.size();
        if (!readAvailable(m_fd, m_buffer, 0)) {
            m_closed = true;
            break;
        }
        if (m_buffer.size() == before)
            break;
    }
    while (m_buffer.size() >= proto::kUploadBlockBytes) {
        auto total = proto::parseUploadAck(std::string_view(m_buffer).substr(0, proto::kUploadBlockBytes));
        m_acks.push_back(total.value_or(-1));
        m_buffer.erase(0, proto::kUploadBlockBytes);
    }
    return !m_closed;
}

bool ScriptedUpload::waitAcks(std::size_t count, std::chrono::milliseconds timeout)
{
    auto arrived = [&] {
        pump();
        return m_acks.size() >= count;
    };
    return retryUntil(timeout, m_fd, arrived, [&] { return !m_closed && m_fd >= 0; });
}

bool ScriptedUpload::waitClosed(std::chrono::milliseconds timeout)
{
    return retryUntil(
        timeout, m_fd, [&] { return !pump(); }, [] { return true; });
}

std::optional<HttpReply> httpGet(std::uint16_t port, const std::string& path, const std::string& from)
{
    return httpRequest(port, "GET", path, "", from);
}

std::optional<HttpReply> httpRequest(std::uint16_t port, const std::string& method, const std::string& path,
    const std::string& headers, const std::string& from)
{
    int fd = connectFrom(port, from);
    if (fd < 0)
        return std::nullopt;
    std::string request = method + " " + path + " HTTP/1.0\r\n" + headers + "\r\n";
    sendAllBytes(fd, request);
    std::string reply;
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        std::size_t before = reply.size();
        if (!readAvailable(fd, reply, remainingMs(deadline)))
            break;
        if (reply.size() == before && Clock::now() >= deadline)
            break;
    }
    ::close(fd);
    HttpReply parsed;
    std::size_t headEnd = reply.find("\r\n\r\n");
    parsed.head = reply.substr(0, headEnd);
    if (headEnd != std::string::npos)
        parsed.body = reply.substr(headEnd + 4);
    if (reply.size() > 12 && reply.compare(0, 5, "HTTP/") == 0)
        parsed.status = std::atoi(reply.c_str() + 9);
    return parsed;
}

} // namespace pc::service::testing
