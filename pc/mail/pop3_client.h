#pragma once

// File: pc/mail/pop3_client.h
// The one class that speaks POP3 (RFC 1939): a blocking client for one
// connection to one server. Every operation sends one command and waits for
// the answer on the calling thread (a mail-check worker or a command
// handler); callers make it on the stack, run a few commands and let it go,
// and it says QUIT on destruction when still connected. Failures are told by
// the results and by lastError(), which holds one of the texts below.
//
//     Pop3Client client(server, 110, "", "");
//     client.setCredentials(user, password);
//     if (client.connect() && client.stat() > 0 && client.uidl(n)) ...

#include "pc/mail/mail_record.h"
#include "pc/mail/pop3_answer.h"
#include "pc/mail/pop3_security.h"
#include "pc/mail/tcp_stream.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc::mail {

inline constexpr std::string_view kPop3Ok = "OK";
inline constexpr std::string_view kPop3NoGreeting = "Server didn't connect";
inline constexpr std::string_view kPop3BadUser = "Bad user name";
inline constexpr std::string_view kPop3BadPassword = "Invalid username/password combination";
inline constexpr std::string_view kPop3StatFailed = "STATus couldn't be retrieved";
inline constexpr std::string_view kPop3RetrFailed = "RETRieve failed";
inline constexpr std::string_view kPop3DeleFailed = "Could not DELEte message";
inline constexpr std::string_view kPop3QuitFailed = "Error while QUITting";
inline constexpr std::string_view kPop3NoSocket = "Unable to create the socket.";
inline constexpr std::string_view kPop3NoConnection = "Unable to connect to server";
inline constexpr std::string_view kPop3SocketError = "Socket Error";
inline constexpr std::string_view kPop3AnswerTooLarge = "Answer too large";
// TLS could not be set up (POP3S or STLS); tlsError() says why.
inline constexpr std::string_view kPop3TlsFailed = "TLS failed";
inline constexpr std::string_view kPop3StlsRefused = "서버가 STLS를 받지 않습니다";

inline constexpr unsigned kPop3Port = 110;
inline constexpr std::chrono::milliseconds kDefaultPop3Timeout { 60000 };

class Pop3Client {
public:
    Pop3Client(std::string server, unsigned port, std::string user, std::string password);
    ~Pop3Client();
    Pop3Client(const Pop3Client&) = delete;
    Pop3Client& operator=(const Pop3Client&) = delete;

    // Replaces both credentials; does nothing when either is absent.
    void setCredentials(std::optional<std::string_view> user, std::optional<std::string_view> password);

    // Guards: every receive waits at most `timeout` ("Socket Error" after
    // it), and a multi-line answer may not grow beyond `maxBytes`.
    void setReceiveTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void setMaxAnswerBytes(std::size_t maxBytes) { m_maxAnswerBytes = maxBytes; }
    // Clear by default. With TLS, connect() fails ("TLS failed") rather
    // than go on in clear when the server refuses STLS or its certificate
    // is not trusted for the server's name.
    void setSecurity(Pop3Security security) { m_security = security; }

    // Greeting, USER and PASS. Succeeds at once when already connected.
    [[nodiscard]] bool connect();
    // The message count, or -1.
    [[nodiscard]] int stat();
    // Fills uids(); `expectedCount` is a size hint only.
    [[nodiscard]] bool uidl(int expectedCount);
    // Fills sizes() from a LIST answer.
    [[nodiscard]] bool list();
    // Fetches message `number` (1-based) into `rawFilePath` (the whole
    // answer, mode 0600) and fills `record` from it. On failure no file is
    // left behind. An answer too large to fetch ("Answer too large") still
    // fills the header fields of `record` from the part that came.
    [[nodiscard]] bool retrieve(int number, MailRecord& record, const std::filesystem::path& rawFilePath);
    // Fills the header fields of `record` from "TOP number 0" (RFC 1939 §7,
    // which servers may leave out): the header without the body.
    [[nodiscard]] bool top(int number, MailRecord& record);
    [[nodiscard]] bool dele(int number);
    // Says QUIT and closes; succeeds at once when not connected.
    bool quit();

    [[nodiscard]] const std::string& lastError() const { return m_lastError; }
    // Why the last connect failed to reach the server ("Unable to connect
    // to server"), and whether the last lost answer ("Socket Error") was a
    // time-out rather than a closed connection.
    [[nodiscard]] std::optional<ConnectError> connectError() const { return m_connectError; }
    [[nodiscard]] bool answerTimedOut() const { return m_answerTimedOut; }
    // Why TLS failed ("TLS failed"): a refused STLS, a certificate that was
    // not trusted (naming the server and the reason), a broken handshake.
    [[nodiscard]] const std::string& tlsError() const { return m_tlsError; }
    [[nodiscard]] const std::string& lastResponse() const { return m_lastResponse; }
    [[nodiscard]] const std::vector<std::string>& uids() const { return m_uids; }
    // Message sizes in octets by number, from the last LIST answer.
    [[nodiscard]] const std::map<int, std::int64_t>& sizes() const { return m_sizes; }
    [[nodiscard]] const std::string& server() const { return m_server; }
    [[nodiscard]] const std::string& user() const { return m_user; }
    [[nodiscard]] const std::string& password() const { return m_password; }
    [[nodiscard]] bool isConnected() const { return m_connected; }

private:
    // One receive of at most 1024 bytes; fails with `failureText` on "-ERR".
    bool checkAnswer(std::string_view failureText);
    // Collects a multi-line answer into `text`.
    bool readMultiLine(std::string& text, std::string_view errFailureText);
    // Sends UIDL or LIST and collects the listing.
    bool readListing(std::string_view command, std::string& text);
    void sendCommand(const std::string& command);
    void dropConnection();
    bool startTls();
    bool agreeOnStls();

    std::string m_server;
    unsigned m_port;
    std::string m_user;
    std::string m_password;
    bool m_connected = false;
    std::string m_lastError { kPop3Ok };
    std::optional<ConnectError> m_connectError;
    bool m_answerTimedOut = false;
    Pop3Security m_security = Pop3Security::Clear;
    std::string m_tlsError;
    std::string m_lastResponse;
    std::vector<std::string> m_uids;
    std::map<int, std::int64_t> m_sizes;
    TcpStream m_socket;
    std::chrono::milliseconds m_timeout = kDefaultPop3Timeout;
    std::size_t m_maxAnswerBytes = kDefaultMaxAnswerBytes;
};

} // namespace pc::mail
