#pragma once

// File: pocket/link/socket_client.h
// The handheld's TCP client, one per connection: the MSN notification session
// and chats (kind 1, line mode), the ICQ session (kind 2, readiness mode) and
// the PC command connection (kind 100, record mode). Open resolves and
// connects (at most 5 attempts, one second apart, each waiting at most 20
// seconds for the peer) and starts one reader
// thread; the reader only receives and reports to the link's window target
// through the event loop: line mode queues blocks of whole lines and posts
// 4025, readiness mode sends 5025 and lets the window read, record mode hands
// whole 1032-byte records to a sink.
//
// The link object belongs to the window thread; the reader thread shares only
// the block queue, the pause-reading flag and the record sink with it.
// sendBytes() may also be called from worker threads.

#include "pocket/link/line_block_queue.h"
#include "pocket/link/link_messages.h"
#include "proto/pc_answer.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace platform {
class EventLoop;
class MessageTarget;
class Ui;
}

namespace pocket::link {

enum class ReceiveMode {
    Line,      // MSN: cut into line blocks, post 4025.
    Record,    // PC: 1032-byte answer records to the record sink.
    Readiness, // ICQ: send 5025 when readable; the window reads.
};

// Where a record-mode reader delivers. Both run on the reader thread.
struct RecordSink {
    std::function<void(const proto::AnswerRecord&)> onRecord;
    std::function<void()> onEnd; // The connection ended (closed or failed).
};

// Waits between look-ups and connection attempts; tests pass one that
// returns at once.
using SleepFunction = std::function<void(std::chrono::milliseconds)>;

// Takes a freshly connected socket and gives back the descriptor to speak
// over (the clear end of a private link), or -1 to refuse the peer; it owns
// the socket it is given. Runs on the thread that opens.
using SecureSocket = std::function<int(int fd)>;

class SocketClient {
public:
    static constexpr int kMaxAttempts = 5;
    static constexpr std::chrono::milliseconds kRetryPause { 1000 };
    // How long one connection attempt may wait for the peer's answer.
    static constexpr std::chrono::milliseconds kDefaultConnectTimeout { 20000 };

    SocketClient(platform::EventLoop& loop, platform::Ui& ui, SleepFunction sleep = {});
    virtual ~SocketClient();
    SocketClient(const SocketClient&) = delete;
    SocketClient& operator=(const SocketClient&) = delete;

    // The title-setting operation: "MSN", "ICQ" or "YAHOO" for kinds 1 to 3;
    // every kind sets the socket to closed.
    void setTitleForKind(int kind);

    void setKind(int kind) { m_kind = kind; }
    void setHost(std::string host) { m_host = std::move(host); }
    void setPort(std::uint16_t port) { m_port = port; }
    void setHostIsAddress(bool isAddress) { m_hostIsAddress = isAddress; }
    void setReceiveMode(ReceiveMode mode) { m_mode = mode; }
    void setWindow(platform::MessageTarget* window) { m_window = window; }
    void setNotifyOnClose(bool notify) { m_notifyOnClose = notify; }
    void setRecordSink(RecordSink sink) { m_recordSink = std::move(sink); }
    void setConnectTimeout(std::chrono::milliseconds timeout) { m_connectTimeout = timeout; }
    // Empty: the connection is used as it is.
    void setSecureSocket(SecureSocket secure) { m_secure = std::move(secure); }
    // While set, the line-mode reader leaves the socket alone.
    void setPauseReading(bool pause);

    int kind() const { return m_kind; }
    const std::string& host() const { return m_host; }
    std::uint16_t port() const { return m_port; }
    const std::string& title() const { return m_title; }
    bool isOpen() const;
    // The socket, for a readiness-mode window that reads it itself; -1 when closed.
    int socketFd() const;

    // Closes an open socket first, connects and starts the reader. Resolution
    // failures show their message box titled "Quillon".
    bool open();
    // Why the last open() could not connect: an errno value (ETIMEDOUT when
    // the peer did not answer in time, EINVAL for an address that is not
    // one), kNameNotFound when the host name could not be looked up, 0
    // after a connection.
    int lastConnectError() const { return m_lastConnectError; }
    // "host:port" of the last open().
    std::string peerText() const;
    // What the last open() tried and how it ended: "host:port — 연결이
    // 거부되었습니다".
    std::string lastAttemptText() const;
    // Shuts down the receive side and releases the socket.
    void close();

    // The MSN notification session's send: the text (up to a NUL) in one
    // send call, with the message boxes of a missing or broken connection.
    bool sendText(std::string_view text);
    // One send call of the bytes, without any message; false when there is
    // no socket or the send failed.
    bool sendBytes(std::string_view bytes);

    // Whether a reader thread is still receiving.
    bool isReaderRunning() const;

    // Line mode: the reader's blocks and pending tail.
    LineBlockQueue& blocks();

private:
    struct Connection;
    struct Shared;
    struct ReaderStart;

    std::string addressText();
    int connectWithRetries(const std::string& address);
    void startReader();
    void stopReader();
    void postClosedForKind();
    static void readLines(ReaderStart start);
    static void readRecords(ReaderStart start);
    static void readReadiness(ReaderStart start);

    platform::EventLoop& m_loop;
    platform::Ui& m_ui;
    SleepFunction m_sleep;

    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<Connection> connection() const;

    mutable std::mutex m_connectionMutex; // Guards m_connection: workers send too.
    std::shared_ptr<Connection> m_connection;
    std::thread m_reader;
    ReceiveMode m_readerMode = ReceiveMode::Line;

    std::string m_host;
    std::uint16_t m_port = 0;
    platform::MessageTarget* m_window = nullptr;
    int m_kind = 0;
    bool m_hostIsAddress = false;
    bool m_notifyOnClose = false;
    ReceiveMode m_mode = ReceiveMode::Line;
    std::chrono::milliseconds m_connectTimeout = kDefaultConnectTimeout;
    int m_lastConnectError = 0;
    std::string m_title;
    RecordSink m_recordSink;
    SecureSocket m_secure;
};

// The message box text for a failed host look-up, by Winsock error number;
// resolutionErrorNumber() maps a getaddrinfo() result onto those numbers.
std::string resolutionErrorText(int winsockError);
// SocketClient::lastConnectError() after a failed host name look-up.
constexpr int kNameNotFound = -1;
// "연결이 거부되었습니다" and the like, for SocketClient::lastConnectError().
std::string connectErrorText(int error);
// "host:port — " and that text; the text alone without a peer.
std::string attemptText(std::string_view peer, int error);
int resolutionErrorNumber(int getaddrinfoError);

} // namespace pocket::link
