#include "pc/mail/pop3_client.h"

#include "pc/mail/private_files.h"
#include "pc/mail/raw_message.h"

#include <strings.h>
#include <system_error>

namespace pc::mail {

namespace {

// The header of the first part of an answer: behind the status line, up to
// the empty line (or all of it when the header itself was cut off).
std::string headerOf(std::string_view answer)
{
    std::size_t separator = answer.find("\r\n\r\n");
    std::size_t headEnd = separator == std::string_view::npos ? answer.size() : separator + 4;
    return splitRawMessage(answer.substr(0, headEnd)).header;
}

} // namespace

Pop3Client::Pop3Client(std::string server, unsigned port, std::string user, std::string password)
    : m_server(std::move(server))
    , m_port(port)
    , m_user(std::move(user))
    , m_password(std::move(password))
{
    // Linux needs no socket-layer start-up.
}

Pop3Client::~Pop3Client()
{
    if (m_connected)
        quit();
}

void Pop3Client::setCredentials(std::optional<std::string_view> user, std::optional<std::string_view> password)
{
    if (!user || !password)
        return;
    m_user = std::string(*user);
    m_password = std::string(*password);
}

void Pop3Client::dropConnection()
{
    m_socket.close();
    m_connected = false;
}

void Pop3Client::sendCommand(const std::string& command)
{
    // Send failures of single-line commands are left to the answer check.
    (void)m_socket.sendAll(command);
}

bool Pop3Client::checkAnswer(std::string_view failureText)
{
    auto answer = m_socket.receiveSome(kSingleLineBufferBytes, m_timeout);
    if (!answer || answer->empty()) {
        m_lastError = kPop3SocketError;
        m_answerTimedOut = !answer && answer.error().code == platform::ErrorCode::Timeout;
        // The dialogue is out of step after a lost answer: end it.
        dropConnection();
        return false;
    }
    m_lastResponse = std::move(*answer);
    if (!passesSingleLineCheck(m_lastResponse)) {
        m_lastError = failureText;
        return false;
    }
    return true;
}

bool Pop3Client::startTls()
{
    auto started = m_socket.startTls(m_server, m_timeout);
    if (started)
        return true;
    m_lastError = kPop3TlsFailed;
    m_tlsError = started.error().code == platform::ErrorCode::PermissionDenied
        ? started.error().context
        : "TLS 연결에 실패했습니다 (" + started.error().context + ")";
    return false;
}

bool Pop3Client::agreeOnStls()
{
    sendCommand("STLS\r\n");
    if (!checkAnswer(kPop3TlsFailed)) {
        if (m_lastError == kPop3TlsFailed)
            m_tlsError = kPop3StlsRefused;
        return false;
    }
    // Only a plain yes goes on; anything else would leave the password in clear.
    if (m_lastResponse.size() < 3 || ::strncasecmp(m_lastResponse.data(), "+OK", 3) != 0) {
        m_lastError = kPop3TlsFailed;
        m_tlsError = kPop3StlsRefused;
        return false;
    }
    return startTls();
}

bool Pop3Client::connect()
{
    if (m_connected)
        return true;
    auto socket = TcpStream::connect(m_server, static_cast<std::uint16_t>(m_port), m_timeout);
    m_connectError.reset();
    if (!socket) {
        m_connectError = socket.error();
        m_lastError = socket.error() == ConnectError::CreateFailed ? kPop3NoSocket : kPop3NoConnection;
        return false;
    }
    m_socket = std::move(*socket);
    m_tlsError.clear();
    bool ok = m_security != Pop3Security::Pop3s || startTls();
    ok = ok && checkAnswer(kPop3NoGreeting);
    if (ok && m_security == Pop3Security::Stls)
        ok = agreeOnStls();
    if (ok) {
        sendCommand("USER " + m_user + "\r\n");
        ok = checkAnswer(kPop3BadUser);
    }
    if (ok) {
        sendCommand("PASS " + m_password + "\r\n");
        ok = checkAnswer(kPop3BadPassword);
    }
    if (!ok) {
        dropConnection();
        return false;
    }
    m_connected = true;
    return true;
}

int Pop3Client::stat()
{
    sendCommand("STAT\r\n");
    if (!checkAnswer(kPop3StatFailed))
        return -1;
    return parseStatCount(m_lastResponse);
}

bool Pop3Client::readMultiLine(std::string& text, std::string_view errFailureText)
{
    MultiLineAnswer answer(m_maxAnswerBytes);
    while (true) {
        auto chunk = m_socket.receiveSome(kMultiLineChunkBytes, m_timeout);
        if (!chunk) {
            m_lastError = kPop3SocketError;
            m_answerTimedOut = chunk.error().code == platform::ErrorCode::Timeout;
            dropConnection();
            return false;
        }
        if (chunk->empty()) {
            // Closed before the terminator: what came is not a whole answer.
            m_lastError = answer.closed() == MultiLineError::ErrAnswer ? errFailureText : kPop3SocketError;
            dropConnection();
            return false;
        }
        auto progress = answer.feed(*chunk);
        if (!progress) {
            if (progress.error() == MultiLineError::ErrAnswer) {
                m_lastError = errFailureText;
                return false;
            }
            // The rest of the answer is not read: the dialogue ends, and the
            // caller keeps what came.
            m_lastError = kPop3AnswerTooLarge;
            text = answer.takeText();
            dropConnection();
            return false;
        }
        if (*progress == MultiLineAnswer::Progress::Complete) {
            text = answer.takeText();
            return true;
        }
    }
}

bool Pop3Client::readListing(std::string_view command, std::string& text)
{
    if (!m_socket.sendAll(command))
        return false;
    // No failure text belongs to UIDL or LIST: a "-ERR" keeps the last one.
    std::string keptError = m_lastError;
    return readMultiLine(text, keptError);
}

bool Pop3Client::uidl(int expectedCount)
{
    std::string text;
    if (!readListing("UIDL\r\n", text))
        return false;
    m_uids = parseUidlAnswer(text);
    if (expectedCount > 0)
        m_uids.reserve(static_cast<std::size_t>(expectedCount));
    return true;
}

bool Pop3Client::list()
{
    std::string text;
    if (!readListing("LIST\r\n", text))
        return false;
    m_sizes = parseListAnswer(text);
    return true;
}

bool Pop3Client::retrieve(int number, MailRecord& record, const std::filesystem::path& rawFilePath)
{
    if (!m_socket.sendAll("RETR " + std::to_string(number) + "\r\n"))
        return false;
    std::string text;
    if (!readMultiLine(text, kPop3RetrFailed)) {
        if (m_lastError == kPop3AnswerTooLarge)
            record.fill(headerOf(text), {});
        return false;
    }
    if (!writePrivateFile(rawFilePath, text)) {
        std::error_code ignored;
        std::filesystem::remove(rawFilePath, ignored);
        m_lastError = kPop3RetrFailed;
        return false;
    }
    RawParts parts = splitRawMessage(text);
    record.fill(std::move(parts.header), std::move(parts.body));
    return true;
}

bool Pop3Client::top(int number, MailRecord& record)
{
    if (!m_socket.sendAll("TOP " + std::to_string(number) + " 0\r\n"))
        return false;
    std::string text;
    if (!readMultiLine(text, kPop3RetrFailed))
        return false;
    record.fill(splitRawMessage(text).header, {});
    return true;
}

bool Pop3Client::dele(int number)
{
    sendCommand("DELE " + std::to_string(number) + "\r\n");
    return checkAnswer(kPop3DeleFailed);
}

bool Pop3Client::quit()
{
    if (!m_connected)
        return true;
    sendCommand("QUIT\r\n");
    bool ok = checkAnswer(kPop3QuitFailed);
    dropConnection();
    return ok;
}

} // namespace pc::mail
