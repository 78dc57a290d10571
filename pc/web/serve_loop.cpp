#include "pc/web/serve_loop.h"

#include "pc/web/http_client.h"
#include "pc/web/http_server.h"
#include "pc/web/web_trace.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <poll.h>

namespace pc::web {

namespace {

// While a request waits for the log-on throttle, the loop looks at the
// server's clock this often (that clock may be a test's, moved by hand).
constexpr std::chrono::milliseconds kWaitingTick { 20 };
constexpr std::chrono::milliseconds kLongestPoll { 1000 };
// A throttled request is dropped if it still waits after this long.
constexpr std::chrono::milliseconds kLongestWait { 2 * 60 * 1000 };

sockaddr_in socketAddress(const std::string& dotted)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, dotted.c_str(), &address.sin_addr);
    return address;
}

} // namespace

ServeLoop::ServeLoop(CHttpServer& server, platform::TcpListener& listener, CHttpClient& handler, int wakeHandle,
    const std::atomic<bool>& stopRequested, std::atomic<std::uint64_t>& accepted)
    : m_server(server)
    , m_listener(listener)
    , m_handler(handler)
    , m_wakeHandle(wakeHandle)
    , m_stopRequested(stopRequested)
    , m_accepted(accepted)
{
}

ServeLoop::~ServeLoop() = default;

void ServeLoop::run()
{
    while (!m_stopRequested)
        pollOnce(timeToNextEvent(Clock::now()));
    finishAnswersUnderWay();
}

std::chrono::milliseconds ServeLoop::timeToNextEvent(Clock::time_point now) const
{
    std::chrono::milliseconds wait = kLongestPoll;
    for (const auto& connection : m_connections) {
        if (connection->state() == WebConnection::State::Waiting)
            wait = std::min(wait, kWaitingTick);
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(connection->deadline() - now);
        wait = std::min(wait, std::max(left + std::chrono::milliseconds(1), std::chrono::milliseconds(0)));
    }
    if (m_acceptPaused) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_acceptResumeAt - now);
        wait = std::min(wait, std::max(left, std::chrono::milliseconds(0)));
    }
    return wait;
}

void ServeLoop::pollOnce(std::chrono::milliseconds longest)
{
    std::vector<pollfd> waits;
    waits.reserve(m_connections.size() + 2);
    waits.push_back({ m_wakeHandle, POLLIN, 0 });
    waits.push_back({ m_acceptPaused ? -1 : m_listener.fd(), POLLIN, 0 });
    for (const auto& connection : m_connections)
        waits.push_back({ connection->fd(), connection->events(), 0 });
    int ready = ::poll(waits.data(), waits.size(), static_cast<int>(longest.count()));
    if (ready < 0 && errno != EINTR) {
        webTrace(traceText("An error occurred checking the readibility of the listening socket, GetLastError:%d\n",
            errno));
    }
    if (m_stopRequested)
        return;
    auto now = Clock::now();
    // Connections first: those accepted below have no poll entry yet.
    std::size_t count = m_connections.size();
    for (std::size_t i = 0; ready > 0 && i < count; ++i) {
        WebConnection& connection = *m_connections[i];
        short revents = waits[i + 2].revents;
        if (revents == 0)
            continue;
        if (connection.state() == WebConnection::State::ReadingHead) {
            if (connection.onReadable() && connection.state() == WebConnection::State::HeadReady)
                answer(connection, now);
            else if (connection.state() == WebConnection::State::Done)
                webTrace("The client closed the connection before its request was complete\n");
        } else if (connection.state() == WebConnection::State::Sending) {
            connection.onWritable(now);
        } else if (connection.state() == WebConnection::State::Draining) {
            connection.onDrainReadable();
        }
    }
    if (ready > 0 && (waits[1].revents & POLLIN))
        acceptPending(now);
    passTime(now);
    removeDone();
}

void ServeLoop::acceptPending(Clock::time_point now)
{
    for (int i = 0; i < kAcceptsPerWake; ++i) {
        auto accepted = m_listener.accept();
        if (accepted) {
            ++m_accepted;
            admit(std::move(*accepted), now);
            continue;
        }
        if (platform::isOutOfDescriptors(accepted.error())) {
            // The pending connection stays; a listener polled now would
            // wake the loop at once, forever.
            m_acceptPaused = true;
            m_acceptResumeAt = now + kAcceptRetry;
        } else if (accepted.error().systemError != EAGAIN && accepted.error().systemError != EWOULDBLOCK) {
            webTrace(traceText("An error occurred accepting a client connection, GetLastError:%d\n",
                accepted.error().systemError));
        }
        return;
    }
}

void ServeLoop::admit(platform::AcceptedSocket accepted, Clock::time_point now)
{
    // Connections closed earlier in this wake-up are gone already.
    std::vector<const WebConnection*> live;
    for (const auto& connection : m_connections) {
        if (connection->state() != WebConnection::State::Done)
            live.push_back(connection.get());
    }
    std::vector<std::string> addresses;
    std::vector<platform::OpenConnection> open;
    addresses.reserve(live.size());
    open.reserve(live.size());
    for (const WebConnection* connection : live) {
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &connection->peer().sin_addr, text, sizeof text);
        addresses.emplace_back(text);
    }
    for (std::size_t i = 0; i < live.size(); ++i) {
        const WebConnection& connection = *live[i];
        // Answers going out are never cut short for a newcomer.
        bool busy = connection.state() == WebConnection::State::Sending
            || connection.state() == WebConnection::State::Draining;
        auto age = std::chrono::duration_cast<platform::Ticks>(connection.acceptedAt().time_since_epoch());
        open.push_back({ connection.id(), addresses[i], busy, age });
    }
    platform::Admission admission = platform::admitConnection(open, accepted.peerAddress, CHttpServer::kLimits);
    if (!admission.admit)
        return; // The socket closes here.
    if (admission.evict) {
        for (auto& connection : m_connections) {
            if (connection->id() == *admission.evict)
                connection->close();
        }
    }
    sockaddr_in peer = socketAddress(accepted.peerAddress);
    auto timeout = std::chrono::milliseconds(m_server.config().timeoutMs);
    auto connection = std::make_unique<WebConnection>(m_nextId++, std::move(accepted.socket), peer, now, timeout);
    connection->setSecureLink(m_server.config().secureLink);
    if (!m_server.isClientAllowed(peer.sin_addr)) {
        // Refused before anything is read: a half-sent head from an address
        // that is not served holds nothing.
        WebResponse refusal;
        m_handler.refuseAddress(peer, refusal);
        connection->respond(std::move(refusal), now, timeout, m_server.config().minSendBytesPerSecond, true);
        connection->onWritable(now);
    }
    m_connections.push_back(std::move(connection));
}

void ServeLoop::answer(WebConnection& connection, Clock::time_point now)
{
    auto timeout = std::chrono::milliseconds(m_server.config().timeoutMs);
    WebResponse response;
    if (connection.headOutcome() == WebConnection::HeadOutcome::TooLarge) {
        m_handler.refuseTooLarge(connection.held(), connection.peer(), response);
    } else if (auto wait = m_handler.serve(connection.head(), connection.peer(), response)) {
        connection.wait(m_server.clock().ticks() + *wait, now + kLongestWait);
        return;
    }
    connection.respond(std::move(response), now, timeout, m_server.config().minSendBytesPerSecond);
    connection.onWritable(now);
}

void ServeLoop::passTime(Clock::time_point now)
{
    platform::Ticks ticks = m_server.clock().ticks();
    for (auto& connection : m_connections) {
        if (connection->state() == WebConnection::State::Waiting && ticks >= connection->retryAt()) {
            connection->resume();
            answer(*connection, now);
            continue;
        }
        if (connection->state() == WebConnection::State::Done || now < connection->deadline())
            continue;
        if (connection->state() == WebConnection::State::ReadingHead)
            webTrace("Timed out waiting for response from socket\n");
        connection->close();
    }
    if (m_acceptPaused && now >= m_acceptResumeAt)
        m_acceptPaused = false;
}

void ServeLoop::removeDone()
{
    std::size_t before = m_connections.size();
    std::erase_if(m_connections, [](const auto& c) { return c->state() == WebConnection::State::Done; });
    // A closed connection gave a descriptor back.
    if (m_connections.size() < before)
        m_acceptPaused = false;
}

void ServeLoop::finishAnswersUnderWay()
{
    // Answers already going out get a moment to finish; everything else is
    // dropped, and nothing more is read.
    auto giveUp = Clock::now() + kStopGrace;
    for (auto& connection : m_connections) {
        if (connection->state() != WebConnection::State::Sending)
            connection->close();
    }
    removeDone();
    while (!m_connections.empty() && Clock::now() < giveUp) {
        std::vector<pollfd> waits;
        for (const auto& connection : m_connections)
            waits.push_back({ connection->fd(), POLLOUT, 0 });
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now());
        (void)::poll(waits.data(), waits.size(), static_cast<int>(std::max<long long>(left.count(), 0)));
        auto now = Clock::now();
        for (std::size_t i = 0; i < m_connections.size(); ++i) {
            if (waits[i].revents != 0 && m_connections[i]->state() == WebConnection::State::Sending)
                m_connections[i]->onWritable(now);
            if (m_connections[i]->state() != WebConnection::State::Sending)
                m_connections[i]->close();
        }
        removeDone();
    }
    m_connections.clear();
}

} // namespace pc::web
