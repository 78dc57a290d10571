#include "pocket/link/socket_client.h"

#include "platform/event_loop.h"
#include "platform/ui.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace pocket::link {

// One socket; closed when the last holder (the link or its reader) lets go,
// so that a reader never receives on a descriptor number that was reused.
struct SocketClient::Connection {
    explicit Connection(int descriptor)
        : fd(descriptor)
    {
    }
    ~Connection() { ::close(fd); }
    int fd;
    std::atomic<bool> closing { false };
};

// What the link shares with its reader thread.
struct SocketClient::Shared {
    LineBlockQueue queue;
    std::mutex pauseMutex;
    std::condition_variable pauseChanged;
    bool pauseReading = false;
    std::atomic<int> runningReaders { 0 };
};

// The start record handed to a reader thread.
struct SocketClient::ReaderStart {
    std::shared_ptr<Connection> connection;
    std::shared_ptr<Shared> shared;
    platform::EventLoop* loop = nullptr;
    platform::MessageTarget* window = nullptr;
    int kind = 0;
    bool notifyOnClose = false;
    RecordSink sink;
};

namespace {

constexpr const char* kQuillonTitle = "Quillon";

void realSleep(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

// Connects the blocking socket, giving up after `timeout`: a PC that drops
// the connection request would otherwise hold the window thread for the
// system's full retry time (minutes) on every attempt.
// Returns 0 once connected, else the errno value of the failure.
int connectWithin(int fd, const sockaddr_in& peer, std::chrono::milliseconds timeout)
{
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)
        return errno;
    int error = 0;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            pollfd watched { fd, POLLOUT, 0 };
            int ready = 0;
            do
                ready = ::poll(&watched, 1, static_cast<int>(timeout.count()));
            while (ready < 0 && errno == EINTR);
            socklen_t length = sizeof error;
            if (ready != 1)
                error = ETIMEDOUT;
            else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
    }
    if (error == 0 && ::fcntl(fd, F_SETFL, flags) != 0)
        error = errno;
    return error;
}

} // namespace

SocketClient::SocketClient(platform::EventLoop& loop, platform::Ui& ui, SleepFunction sleep)
    : m_loop(loop)
    , m_ui(ui)
    , m_sleep(sleep ? std::move(sleep) : SleepFunction(realSleep))
    , m_shared(std::make_shared<Shared>())
{
}

SocketClient::~SocketClient()
{
    close();
    stopReader();
}

void SocketClient::setTitleForKind(int kind)
{
    if (kind == kLinkKindMsn)
        m_title = "MSN";
    else if (kind == kLinkKindIcq)
        m_title = "ICQ";
    else if (kind == kLinkKindYahoo)
        m_title = "YAHOO";
    close();
}

void SocketClient::setPauseReading(bool pause)
{
    {
        std::lock_guard lock(m_shared->pauseMutex);
        m_shared->pauseReading = pause;
    }
    m_shared->pauseChanged.notify_all();
}

LineBlockQueue& SocketClient::blocks()
{
    return m_shared->queue;
}

std::shared_ptr<SocketClient::Connection> SocketClient::connection() const
{
    std::lock_guard lock(m_connectionMutex);
    return m_connection;
}

bool SocketClient::isOpen() const
{
    return connection() != nullptr;
}

int SocketClient::socketFd() const
{
    auto current = connection();
    return current ? current->fd : -1;
}

bool SocketClient::open()
{
    close();
    stopReader();
    // The unterminated tail of the previous connection belongs to no line of
    // the next one.
    m_shared->queue.clearPendingTail();
    m_lastConnectError = EINVAL;
    std::string address = addressText();
    if (address.empty())
        return false;
    int fd = connectWithRetries(address);
    if (fd >= 0 && m_secure)
        fd = m_secure(fd);
    if (fd < 0)
        return false;
    {
        std::lock_guard lock(m_connectionMutex);
        m_connection = std::make_shared<Connection>(fd);
    }
    startReader();
    return true;
}

void SocketClient::close()
{
    std::shared_ptr<Connection> closing;
    {
        std::lock_guard lock(m_connectionMutex);
        closing = std::move(m_connection);
    }
    if (!closing)
        return;
    {
        // Set under the pause lock, so that a paused reader cannot test the
        // flag just before it is set and then sleep through the wake-up.
        std::lock_guard lock(m_shared->pauseMutex);
        closing->closing = true;
    }
    ::shutdown(closing->fd, SHUT_RDWR);
    // Wake a reader that waits while reading is paused.
    m_shared->pauseChanged.notify_all();
}

void SocketClient::stopReader()
{
    if (!m_reader.joinable())
        return;
    // A readiness-mode reader may be waiting for the window thread to handle
    // its synchronous message, and this may be that thread: let it end alone.
    // Line and record readers only post, so waiting for them is safe.
    if (m_readerMode == ReceiveMode::Readiness || m_reader.get_id() == std::this_thread::get_id())
        m_reader.detach();
    else
        m_reader.join();
}

std::string SocketClient::addressText()
{
    std::string address;
    if (m_hostIsAddress) {
        address = m_host;
    } else {
        int lastError = 0;
        for (int attempt = 0; attempt < kMaxAttempts && address.empty(); ++attempt) {
            if (attempt > 0)
                m_sleep(kRetryPause);
            addrinfo hints {};
            hints.ai_family = AF_INET;
            hints.ai_socktype = SOCK_STREAM;
            addrinfo* found = nullptr;
            lastError = ::getaddrinfo(m_host.c_str(), nullptr, &hints, &found);
            if (lastError == 0 && found) {
                char text[INET_ADDRSTRLEN] = {};
                auto* in = reinterpret_cast<sockaddr_in*>(found->ai_addr);
                ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
                address = text;
            }
            if (found)
                ::freeaddrinfo(found);
        }
        if (address.empty()) {
            m_lastConnectError = kNameNotFound;
            m_ui.messageBox(kQuillonTitle, resolutionErrorText(resolutionErrorNumber(lastError)),
                platform::Icon::Warning);
            return {};
        }
    }
    std::erase(address, ' ');
    return address;
}

int SocketClient::connectWithRetries(const std::string& address)
{
    sockaddr_in peer {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(m_port);
    bool valid = ::inet_pton(AF_INET, address.c_str(), &peer.sin_addr) == 1;
    m_lastConnectError = valid ? 0 : EINVAL;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        if (attempt > 0)
            m_sleep(kRetryPause);
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            m_lastConnectError = errno;
            continue;
        }
        if (valid && (m_lastConnectError = connectWithin(fd, peer, m_connectTimeout)) == 0)
            return fd;
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }
    return -1;
}

std::string SocketClient::peerText() const
{
    return m_host + ":" + std::to_string(m_port);
}

std::string SocketClient::lastAttemptText() const
{
    return attemptText(peerText(), m_lastConnectError);
}

bool SocketClient::isReaderRunning() const
{
    return m_shared->runningReaders > 0;
}

void SocketClient::startReader()
{
    ++m_shared->runningReaders;
    ReaderStart start { connection(), m_shared, &m_loop, m_window, m_kind, m_notifyOnClose, m_recordSink };
    m_readerMode = m_mode;
    switch (m_mode) {
    case ReceiveMode::Line:
        m_reader = std::thread(readLines, std::move(start));
        break;
    case ReceiveMode::Record:
        m_reader = std::thread(readRecords, std::move(start));
        break;
    case ReceiveMode::Readiness:
        m_reader = std::thread(readReadiness, std::move(start));
        break;
    }
}

bool SocketClient::sendBytes(std::string_view bytes)
{
    auto connection = this->connection();
    if (!connection)
        return false;
    ssize_t sent = ::send(connection->fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    return sent == static_cast<ssize_t>(bytes.size());
}

bool SocketClient::sendText(std::string_view text)
{
    if (!isOpen()) {
        m_ui.messageBox(m_title, "메신저 서버와 연결이 종료되었습니다. 다시 접속해주세요.",
            platform::Icon::Warning);
        close();
        return false;
    }
    // The text ends at its terminator, which the server does not get.
    if (!sendBytes(text.substr(0, text.find('\0')))) {
        m_ui.messageBox(m_title,
            "네트웍 문제나 " + m_title + " 서버와 연결이 종료되어 메세지를 보낼 수 없습니다.",
            platform::Icon::Warning);
        postClosedForKind();
        return false;
    }
    return true;
}

void SocketClient::postClosedForKind()
{
    if (int msg = closedMessageForKind(m_kind))
        m_loop.post(m_window, msg);
}

namespace {

// Counts a reader out when it ends, however it ends.
struct RunningGuard {
    std::atomic<int>& count;
    ~RunningGuard() { --count; }
};

} // namespace

void SocketClient::readLines(ReaderStart start)
{
    RunningGuard running { start.shared->runningReaders };
    auto& shared = *start.shared;
    auto& connection = *start.connection;
    char buffer[kReceiveBytes];
    for (;;) {
        {
            std::unique_lock lock(shared.pauseMutex);
            shared.pauseChanged.wait(lock, [&] { return !shared.pauseReading || connection.closing; });
        }
        if (connection.closing)
            break;
        ssize_t received = ::recv(connection.fd, buffer, sizeof buffer, 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0)
            break;
        if (start.kind == kLinkKindMsn) {
            auto accepted = shared.queue.acceptChunk({ buffer, static_cast<std::size_t>(received) });
            // One message per queued block, and one for a chunk that queued
            // nothing; the window does nothing for a 4025 without a block.
            std::size_t posts = std::max<std::size_t>(accepted.queued, 1);
            for (std::size_t i = 0; i < posts; ++i)
                start.loop->post(start.window, kMsgMsnBlockQueued);
        } else if (int msg = readableMessageForKind(start.kind)) {
            start.loop->post(start.window, msg);
        }
    }
    if (start.notifyOnClose) {
        if (int msg = closedMessageForKind(start.kind))
            start.loop->post(start.window, msg);
    }
}

void SocketClient::readRecords(ReaderStart start)
{
    RunningGuard running { start.shared->runningReaders };
    // The PC sends every answer as one 1032-byte record; TCP may still split
    // or join them, so records are cut from the stream by their fixed size.
    proto::AnswerRecord record {};
    std::size_t filled = 0;
    for (;;) {
        ssize_t received = ::recv(start.connection->fd, record.data() + filled, record.size() - filled, 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0)
            break;
        filled += static_cast<std::size_t>(received);
        if (filled < record.size())
            continue;
        if (start.sink.onRecord)
            start.sink.onRecord(record);
        filled = 0;
        record.fill(0);
    }
    if (start.sink.onEnd)
        start.sink.onEnd();
}

void SocketClient::readReadiness(ReaderStart start)
{
    RunningGuard running { start.shared->runningReaders };
    int fd = start.connection->fd;
    int readable = readableMessageForKind(start.kind);
    for (;;) {
        // poll() rather than select(): an fd_set holds no descriptor number
        // at or above FD_SETSIZE.
        pollfd watched { fd, POLLIN, 0 };
        int ready = ::poll(&watched, 1, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || start.connection->closing)
            return; // Ends silently.
        if (start.loop->send(start.window, readable) == -1)
            break;
    }
    if (int msg = closedMessageForKind(start.kind))
        start.loop->post(start.window, msg);
}

int resolutionErrorNumber(int getaddrinfoError)
{
    switch (getaddrinfoError) {
    case EAI_NONAME:
        return 11001;
    case EAI_AGAIN:
        return 11002;
    case EAI_FAIL:
        return 11003;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return 11004;
#endif
    case EAI_SYSTEM:
        return 10050;
    default:
        return 0;
    }
}

std::string resolutionErrorText(int winsockError)
{
    switch (winsockError) {
    case 10093:
        return "이 함수를 사용하기전에 성공적인 WSAStartup 함수의 호출이 이루어져야 합니다.";
    case 10050:
        return "네트웍 서브 시스템에서 에러가 났습니다.";
    case 11001:
        return "올바른 호스트 응답을 찾을 수 없습니다.";
    case 11002:
        return "올바른 호스트가 발견되지 않거나 서버에서 에러가 났습니다.";
    case 11003:
        return "회복할 수 없는 에러가 발생 했습니다.";
    case 11004:
        return "요청한 형태의 데이터가 기록되지 않았습니다.";
    case 10036:
        return "블럭킹 윈속 v1.1이 진행상태에 있거나, 서비스 프로바이더가 아직 콜백함수를 진행하고 있습니다.";
    case 10014:
        return "name 매개변수가 user address space의 올바를 형태가 아닙니다.";
    case 10004:
        return "블럭킹 윈속 v1.1 이 WSACancelBlockingCall 함수에서 취소되었습니다.";
    default:
        return "호스트 정보를 찾는데 실패하였습니다.";
    }
}

std::string connectErrorText(int error)
{
    switch (error) {
    case 0:
        return "연결되었습니다";
    case ECONNREFUSED:
        return "연결이 거부되었습니다";
    case ETIMEDOUT:
        return "응답이 없습니다 (시간 초과)";
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ENETDOWN:
        return "서버에 닿을 수 없습니다 (네트워크 확인)";
    case EINVAL:
        return "주소가 올바르지 않습니다";
    case kNameNotFound:
        return "서버 이름을 찾을 수 없습니다 (DNS)";
    default:
        return std::string("연결하지 못했습니다 (") + std::strerror(error) + ")";
    }
}

std::string attemptText(std::string_view peer, int error)
{
    if (peer.empty())
        return connectErrorText(error);
    return std::string(peer) + " — " + connectErrorText(error);
}

} // namespace pocket::link
