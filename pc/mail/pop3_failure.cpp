#include "pc/mail/pop3_failure.h"

#include "pc/mail/pop3_client.h"

namespace pc::mail {

namespace {

// A server's reply is shown up to its first line break, and not at length.
constexpr std::size_t kReplyChars = 120;

std::string firstLine(std::string_view reply)
{
    std::string_view line = reply.substr(0, reply.find_first_of("\r\n"));
    if (line.size() > kReplyChars)
        line = line.substr(0, kReplyChars);
    return std::string(line);
}

std::string withReply(std::string cause, const Pop3Client& client)
{
    std::string reply = firstLine(client.lastResponse());
    return reply.empty() ? cause : cause + ": " + reply;
}

std::string connectCause(std::optional<ConnectError> error)
{
    switch (error.value_or(ConnectError::ConnectFailed)) {
    case ConnectError::NameNotFound:
        return "서버 이름을 찾을 수 없습니다";
    case ConnectError::Refused:
        return "연결이 거부되었습니다";
    case ConnectError::TimedOut:
        return "연결 시간이 초과되었습니다";
    case ConnectError::CreateFailed:
        return "소켓을 만들 수 없습니다";
    case ConnectError::ConnectFailed:
        break;
    }
    return "서버에 연결할 수 없습니다";
}

} // namespace

std::string describePop3Failure(const Pop3Client& client)
{
    const std::string& error = client.lastError();
    if (error == kPop3NoConnection || error == kPop3NoSocket)
        return connectCause(client.connectError());
    if (error == kPop3SocketError)
        return client.answerTimedOut() ? "서버의 응답 시간이 초과되었습니다" : "서버가 연결을 끊었습니다";
    if (error == kPop3NoGreeting)
        return withReply("POP3 서버가 응답하지 않습니다", client);
    if (error == kPop3BadUser)
        return withReply("아이디가 거부되었습니다", client);
    if (error == kPop3BadPassword)
        return withReply("아이디 또는 비밀번호가 틀립니다", client);
    if (error == kPop3TlsFailed)
        return client.tlsError() == kPop3StlsRefused ? withReply(client.tlsError(), client) : client.tlsError();
    if (error == kPop3AnswerTooLarge)
        return "서버의 응답이 너무 큽니다";
    return withReply("메일함을 읽을 수 없습니다 (" + error + ")", client);
}

std::string AccountFailure::text() const
{
    return server + " (" + user + "): " + cause;
}

} // namespace pc::mail
