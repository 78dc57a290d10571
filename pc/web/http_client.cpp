#include "pc/web/http_client.h"

#include "pc/web/byte_range.h"

#include "pc/web/content_type_cache.h"
#include "pc/web/folder_listing.h"
#include "pc/web/http_date.h"
#include "pc/web/http_request_parser.h"
#include "pc/web/http_server.h"
#include "pc/web/url_mapping.h"
#include "pc/web/web_trace.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pc::web {
namespace {

constexpr std::string_view kHtmlType = "text/html";
// Reported in logon traces, where the original system gave its own code.
constexpr int kLogonFailureCode = 1326;

// An open file, closed by its owner.
class FileHandle {
public:
    explicit FileHandle(int handle)
        : m_handle(handle)
    {
    }
    ~FileHandle()
    {
        if (m_handle >= 0)
            ::close(m_handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return m_handle; }
    int release() { return std::exchange(m_handle, -1); }

private:
    int m_handle;
};

bool isDirectory(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string addressText(const sockaddr_in& peer)
{
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
    return text;
}

std::string firstLine(std::string_view text)
{
    constexpr std::size_t kMaxLoggedLine = 1024;
    std::string_view line = text.substr(0, text.find_first_of("\r\n"));
    return std::string(line.substr(0, kMaxLoggedLine));
}

} // namespace

CHttpClient::CHttpClient(CHttpServer& server)
    : m_server(server)
{
}

void CHttpClient::begin(const sockaddr_in& peer, WebResponse& out)
{
    // Every request starts from a fresh record, so that credentials and
    // dates of one request never carry over into the next.
    m_request = CHttpRequestInfo {};
    m_request.clientAddress = peer;
    m_loggedOn = false;
    m_out = &out;
}

std::optional<platform::Ticks> CHttpClient::serve(std::string_view head, const sockaddr_in& peer, WebResponse& out)
{
    begin(peer, out);
    if (!parseRequest(head, m_request) || !preHandle()) {
        returnError(400);
    } else {
        // Credentials from an address that guessed wrong wait their turn.
        if (m_request.authorizationType == AuthorizationType::Basic) {
            auto wait = m_server.logonThrottle().delayFor(addressText(peer), m_server.clock().ticks());
            if (wait.count() > 0) {
                m_request.password.clear();
                m_out = nullptr;
                return wait;
            }
        }
        serveRequest();
    }
    m_request.password.clear();
    m_out = nullptr;
    return std::nullopt;
}

void CHttpClient::refuseTooLarge(std::string_view held, const sockaddr_in& peer, WebResponse& out)
{
    begin(peer, out);
    m_request.requestLine = firstLine(held);
    m_request.version = httpVersion(1, 0);
    returnError(400);
    m_out = nullptr;
}

void CHttpClient::refuseAddress(const sockaddr_in& peer, WebResponse& out)
{
    begin(peer, out);
    m_request.version = httpVersion(1, 0);
    returnError(400);
    m_out = nullptr;
}

void CHttpClient::serveRequest()
{
    if (m_request.authorizationType == AuthorizationType::Basic)
        logOn();
    switch (m_request.verb) {
    case HttpVerb::Get:
    case HttpVerb::Head:
        serveGetOrHead();
        break;
    case HttpVerb::Delete:
        serveDelete();
        break;
    default:
        returnError(501);
        break;
    }
}

void CHttpClient::logOn()
{
    m_loggedOn = m_server.logonCheck().logon(m_request.user, m_request.password);
    m_request.password.clear();
    std::string address = addressText(m_request.clientAddress);
    if (m_loggedOn) {
        m_server.logonThrottle().onSuccess(address);
        return;
    }
    auto failure = m_server.logonThrottle().onFailure(address, m_server.clock().ticks());
    // A guesser's tries are traced once per burst, not once per try.
    if (failure.startsBurst || failure.startsDelay) {
        webTrace(traceText(
            "Failed to logon using user name: %s, GetLastError:%d\n", m_request.user.c_str(), kLogonFailureCode));
    }
}

void CHttpClient::serveGetOrHead()
{
    auto mapped = mapUrlToLocalPath();
    if (!mapped)
        returnError(404);
    else if (mapped->isFolder)
        transmitFolder(mapped->localPath);
    else
        transmitFile(mapped->localPath);
}

void CHttpClient::serveDelete()
{
    // Credentials must pass the logon check: a failed logon never deletes
    // under the server's own identity.
    if (m_request.authorizationType == AuthorizationType::None || !m_loggedOn) {
        returnUnauthorized(m_request.url);
        return;
    }
    auto mapped = mapUrlToLocalPath();
    if (!mapped || mapped->isFolder || isDirectory(mapped->localPath)) {
        returnError(404);
        return;
    }
    if (::unlink(mapped->localPath.c_str()) == 0)
        returnFileDeleted(mapped->localPath);
    else if (errno == EACCES || errno == EPERM)
        returnUnauthorized(m_request.url);
    else
        returnError(500);
}

std::optional<MappedPath> CHttpClient::mapUrlToLocalPath()
{
    const auto& folders = m_server.config().folders;
    auto match = findFolderForUrl(m_request.url, folders);
    if (!match)
        return std::nullopt;
    const CWebFolder& entry = folders[match->entryIndex];
    MappedPath mapped;
    if (match->rest.empty()) {
        mapped.isFolder = entry.listing == 1;
        mapped.localPath = mapped.isFolder ? entry.folder : joinLocalPath(entry.folder, entry.defaultFile);
    } else {
        mapped.localPath = joinLocalPath(entry.folder, match->rest);
        mapped.isFolder = entry.listing == 1 && isDirectory(mapped.localPath);
        if (mapped.isFolder && !m_request.url.ends_with('/'))
            m_request.url.push_back('/');
    }
    if (!staysInsideFolder(mapped.localPath, entry.folder))
        return std::nullopt;
    return mapped;
}

void CHttpClient::transmitFile(const std::string& localPath)
{
    // Non-blocking open, so that a fifo cannot stall the listener.
    FileHandle file(::open(localPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) {
        if ((errno == EACCES || errno == EPERM) && !isDirectory(localPath))
            returnUnauthorized(m_request.url);
        else
            returnError(404);
        return;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        returnError(404);
        return;
    }
    (void)::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    const auto size = static_cast<std::uint64_t>(info.st_size);
    const std::time_t current = now();
    // A file dated in the future is announced as modified now.
    const std::time_t modified = std::min<std::time_t>(info.st_mtime, current);
    const bool body = m_request.verb == HttpVerb::Get;
    // A handheld continuing a cut download asks for the rest.
    ByteRange range;
    // If-Range names the version it holds the first part of: another date
    // means another file (or the same one changed), which goes whole.
    const bool sameVersion = !m_request.hasIfRange || m_request.ifRange == formatHttpDate(modified);
    if (body && m_request.hasRange && m_request.sendsHeaders() && sameVersion)
        range = parseByteRange(m_request.range, size);
    if (range.kind == ByteRange::Kind::Unsatisfiable) {
        send(startHeaders(416, current).contentRange(contentRangeValue(range, size)).contentLength(0).finish());
        postLog(416, 0);
        return;
    }
    const bool partial = range.kind == ByteRange::Kind::Partial;
    const std::uint64_t length = partial ? range.length() : size;
    const int status = partial ? 206 : 200;
    if (partial && ::lseek(file.get(), static_cast<off_t>(range.first), SEEK_SET) < 0) {
        returnError(500);
        return;
    }
    if (m_request.sendsHeaders()) {
        std::string type = m_server.contentTypes().contentTypeFor(extensionOf(localPath));
        HeaderBlock headers = startHeaders(status, current);
        headers.lastModified(modified).contentLength(length).contentType(type);
        if (partial)
            headers.contentRange(contentRangeValue(range, size));
        send(headers.finish());
    }
    if (body && length > 0 && m_out) {
        m_out->closeFile();
        m_out->bodyFile = file.release();
        m_out->bodyLength = length;
    }
    postLog(status, length);
}

void CHttpClient::transmitFolder(const std::string& localPath)
{
    auto listing = buildFolderListing(localPath, m_request.url);
    if (!listing) {
        returnError(500);
        return;
    }
    const std::time_t current = now();
    HeaderBlock headers = startHeaders(200, current);
    if (listing->latestWrite)
        headers.lastModified(*listing->latestWrite);
    headers.contentLength(listing->body.size()).contentType(kHtmlType);
    std::string response = headers.finish();
    if (sendsBody())
        response += listing->body;
    send(response);
    postLog(200, listing->body.size());
}

void CHttpClient::returnError(int status)
{
    sendPage(status, errorPage(status), false);
}

void CHttpClient::returnMoved(const std::string& url)
{
    sendPage(301, movedPage(), true, [&](HeaderBlock& headers) { headers.location(url); });
}

void CHttpClient::returnFileDeleted(const std::string&)
{
    sendPage(200, deletedPage(), true);
}

void CHttpClient::returnUnauthorized(const std::string& realm)
{
    sendPage(401, unauthorizedPage(), true, [&](HeaderBlock& headers) { headers.wwwAuthenticate(realm); });
}

void CHttpClient::postLog(int, std::uint64_t)
{
}

void CHttpClient::sendPage(
    int status, const std::string& body, bool alwaysHeaders, const std::function<void(HeaderBlock&)>& extra)
{
    std::string response;
    if (alwaysHeaders || m_request.sendsHeaders()) {
        HeaderBlock headers = startHeaders(status, now());
        if (extra)
            extra(headers);
        response = headers.contentLength(body.size()).contentType(kHtmlType).finish();
    }
    if (sendsBody())
        response += body;
    send(response);
    postLog(status, body.size());
}

void CHttpClient::send(std::string_view bytes)
{
    if (m_out)
        m_out->bytes.append(bytes);
}

HeaderBlock CHttpClient::startHeaders(int status, std::time_t current) const
{
    HeaderBlock headers(status);
    headers.date(current).server(m_server.config().serverName).allow();
    return headers;
}

std::time_t CHttpClient::now() const
{
    return std::chrono::system_clock::to_time_t(m_server.clock().now());
}

// A response to HEAD carries no body (RFC 1945 §8.2), whatever it answers.
bool CHttpClient::sendsBody() const
{
    return m_request.verb != HttpVerb::Head;
}

} // namespace pc::web
