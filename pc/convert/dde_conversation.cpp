#include "pc/convert/dde_conversation.h"

#include "pc/convert/dde_names.h"
#include "pc/convert/dde_server.h"
#include "platform/process.h"
#include "platform/trace.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace pc::convert {

namespace {

// The pending table starts with DDEML's 17 buckets.
constexpr std::size_t kPendingBuckets = 17;
constexpr std::chrono::milliseconds kConnectRetry { 50 };

} // namespace

DdeConversation::DdeConversation()
    : m_pending(kPendingBuckets)
{
}

DdeConversation::~DdeConversation()
{
    disconnect();
}

void DdeConversation::report(std::string_view message, bool isError)
{
    platform::trace(std::string(isError ? "DDE error: " : "DDE: ") + std::string(message));
}

void DdeConversation::notify(const std::array<std::uint32_t, 5>&)
{
}

void DdeConversation::completed(int, bool, const std::string&)
{
}

std::string DdeConversation::serverCommandText() const
{
    std::string text;
    for (const auto& part : m_serverCommand)
        text += (text.empty() ? "" : " ") + part;
    return text;
}

bool DdeConversation::connect(std::string_view service, std::string_view topic)
{
    if (isConnected())
        return false;
    if (!ddeServiceFolder())
        return false;
    if (tryConnect(service, topic))
        return true;
    if (!m_serverCommand.empty()) {
        if (auto started = platform::launchDetached(m_serverCommand); !started) {
            report("Cannot execute server: " + serverCommandText(), true);
            return false;
        }
        // The program registers its service a moment after it starts.
        auto deadline = std::chrono::steady_clock::now() + m_startWait;
        while (std::chrono::steady_clock::now() < deadline) {
            if (tryConnect(service, topic))
                return true;
            std::this_thread::sleep_for(kConnectRetry);
        }
    }
    report("Cannot connect to DDE server", true);
    return false;
}

bool DdeConversation::tryConnect(std::string_view service, std::string_view topic)
{
    auto fd = connectDdeService(service);
    if (!fd)
        return false;
    m_fd = *fd;
    m_splitter = DdeFrameSplitter();
    m_arrived.clear();
    DdeFrame frame;
    frame.type = DdeFrameType::Connect;
    frame.name = std::string(topic);
    std::uint32_t transaction = 0;
    DdeFrame reply;
    if (sendFrame(std::move(frame), transaction) && awaitReply(transaction, reply, m_timeout) && reply.flag)
        return true;
    disconnect();
    return false;
}

void DdeConversation::disconnect()
{
    if (m_fd < 0)
        return;
    DdeFrame frame;
    frame.type = DdeFrameType::Disconnect;
    (void)sendAllBytes(m_fd, encodeDdeFrame(frame));
    ::close(m_fd);
    m_fd = -1;
    m_pending.clear();
    m_arrived.clear();
}

bool DdeConversation::sendFrame(DdeFrame frame, std::uint32_t& transaction)
{
    transaction = m_nextTransaction++;
    frame.transaction = transaction;
    if (sendAllBytes(m_fd, encodeDdeFrame(frame)))
        return true;
    dropConnection();
    return false;
}

void DdeConversation::dropConnection()
{
    // The server went away: the conversation is over.
    ::close(m_fd);
    m_fd = -1;
    m_pending.clear();
    m_arrived.clear();
}

bool DdeConversation::readSome(std::chrono::steady_clock::time_point deadline)
{
    auto left
        = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd fd { m_fd, POLLIN, 0 };
    int ready = ::poll(&fd, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
    if (ready < 0 && errno == EINTR)
        return true;
    if (ready <= 0)
        return false;
    char buffer[65536];
    ssize_t received = ::recv(m_fd, buffer, sizeof buffer, 0);
    if (received <= 0)
        return false;
    m_splitter.feed(std::string_view(buffer, static_cast<std::size_t>(received)));
    while (true) {
        auto frame = m_splitter.next();
        if (!frame)
            return false;
        if (!*frame)
            return true;
        m_arrived.push_back(std::move(**frame));
    }
}

bool DdeConversation::awaitReply(
    std::uint32_t transaction, DdeFrame& reply, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        auto it = std::find_if(m_arrived.begin(), m_arrived.end(),
            [&](const DdeFrame& f) { return f.type == DdeFrameType::Reply && f.transaction == transaction; });
        if (it != m_arrived.end()) {
            reply = std::move(*it);
            m_arrived.erase(it);
            // Replies of asynchronous transactions read on the way complete now.
            auto others = std::move(m_arrived);
            m_arrived.clear();
            for (const auto& other : others)
                deliver(other);
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        if (!readSome(deadline)) {
            if (std::chrono::steady_clock::now() < deadline)
                dropConnection();
            return false;
        }
    }
}

void DdeConversation::deliver(const DdeFrame& reply)
{
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        if (it->second == reply.transaction) {
            int requestId = it->first;
            m_pending.erase(it);
            completed(requestId, reply.flag, reply.data);
            return;
        }
    }
}

bool DdeConversation::transact(DdeFrame frame, const char* failure, DdeFrame* replyOut)
{
    if (!isConnected())
        return false;
    std::uint32_t transaction = 0;
    DdeFrame reply;
    bool ok = sendFrame(std::move(frame), transaction) && isConnected()
        && awaitReply(transaction, reply, m_timeout) && reply.flag;
    if (!ok) {
        report(failure, true);
        return false;
    }
    if (replyOut)
        *replyOut = std::move(reply);
    return true;
}

bool DdeConversation::startAsync(DdeFrame frame, int requestId, const char* failure)
{
    if (!isConnected())
        return false;
    if (m_pending.contains(requestId))
        return false;
    std::uint32_t transaction = 0;
    if (!sendFrame(std::move(frame), transaction)) {
        report(failure, true);
        return false;
    }
    m_pending.emplace(requestId, transaction);
    return true;
}

bool DdeConversation::execute(std::string_view command)
{
    DdeFrame frame;
    frame.type = DdeFrameType::Execute;
    frame.data = std::string(command) + '\0';
    return transact(std::move(frame), "XTYP_EXECUTE failure", nullptr);
}

bool DdeConversation::executeAsync(std::string_view command, int requestId)
{
    DdeFrame frame;
    frame.type = DdeFrameType::Execute;
    frame.data = std::string(command) + '\0';
    return startAsync(std::move(frame), requestId, "XTYP_EXECUTE failure");
}

bool DdeConversation::request(std::string_view item, std::uint32_t format, std::string& dataOut)
{
    DdeFrame frame;
    frame.type = DdeFrameType::Request;
    frame.name = std::string(item);
    frame.format = format;
    DdeFrame reply;
    if (!transact(std::move(frame), "XTYP_REQUEST failure", &reply))
        return false;
    dataOut = std::move(reply.data);
    return true;
}

bool DdeConversation::requestAsync(std::string_view item, int requestId, std::uint32_t format)
{
    DdeFrame frame;
    frame.type = DdeFrameType::Request;
    frame.name = std::string(item);
    frame.format = format;
    return startAsync(std::move(frame), requestId, "XTYP_REQUEST failure");
}

bool DdeConversation::poke(std::string_view item, std::string_view data, std::uint32_t format)
{
    DdeFrame frame;
    frame.type = DdeFrameType::Poke;
    frame.name = std::string(item);
    frame.format = format;
    frame.data = std::string(data);
    return transact(std::move(frame), "XTYP_POKE failure", nullptr);
}

void DdeConversation::abandon(int requestId)
{
    if (requestId == -1)
        m_pending.clear();
    else
        m_pending.erase(requestId);
}

void DdeConversation::pumpReplies(std::chrono::milliseconds wait)
{
    if (!isConnected())
        return;
    auto deadline = std::chrono::steady_clock::now() + wait;
    while (!m_pending.empty() && isConnected()) {
        auto arrived = std::move(m_arrived);
        m_arrived.clear();
        for (const auto& reply : arrived)
            deliver(reply);
        if (m_pending.empty() || !readSome(deadline))
            break;
    }
    auto arrived = std::move(m_arrived);
    m_arrived.clear();
    for (const auto& reply : arrived)
        deliver(reply);
}

} // namespace pc::convert
