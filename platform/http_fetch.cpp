#include "platform/http_fetch.h"

#include "platform/curl_tls.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <curl/curl.h>
#include <string_view>
#include <mutex>

namespace platform {
namespace {

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string versionOf(const HttpResponse& head, const std::string& date);

// What the write callback needs: the caller's handler and the unfinished block.
struct Transfer {
    const HttpFetch::BlockHandler* onBlock = nullptr;
    const HttpFetch::HeadHandler* onHead = nullptr;
    CURL* easy = nullptr;
    HttpResponse head; // The headers of the latest response head.
    std::string date; // Its Date header.
    bool headTold = false;
    std::atomic<bool>* cancel = nullptr;
    std::string pending;
    std::uint64_t delivered = 0;
    std::uint64_t maxBytes = 0; // 0: no bound.
    bool stopped = false; // The handler returned false or cancel() came.
    bool tooLarge = false;

    // Tells the head handler about the final head, once.
    bool tellHead()
    {
        if (headTold)
            return true;
        headTold = true;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &head.status);
        head.validator = versionOf(head, date);
        curl_off_t length = -1;
        if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK)
            head.contentLength = length;
        if (onHead && *onHead && !(*onHead)(head)) {
            stopped = true;
            return false;
        }
        return true;
    }

    bool deliver(std::string_view block)
    {
        if (maxBytes > 0 && delivered + block.size() > maxBytes) {
            tooLarge = true;
            return false;
        }
        if (cancel->load() || !(*onBlock)(block)) {
            stopped = true;
            return false;
        }
        delivered += block.size();
        return true;
    }
};

std::size_t onData(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    std::size_t length = size * count;
    if (!transfer.tellHead())
        return 0;
    transfer.pending.append(data, length);
    std::size_t used = 0;
    while (transfer.pending.size() - used >= HttpFetch::kBlockSize) {
        if (!transfer.deliver(std::string_view(transfer.pending).substr(used, HttpFetch::kBlockSize)))
            return 0; // Makes curl end the transfer.
        used += HttpFetch::kBlockSize;
    }
    transfer.pending.erase(0, used);
    return length;
}

// One header line: a status line starts a new head (a redirect's or an
// interim one came before); the validators are kept.
std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    auto& head = transfer.head;
    std::string_view line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.remove_suffix(1);
    if (line.starts_with("HTTP/")) {
        head = HttpResponse {};
        transfer.date.clear();
        return size * count;
    }
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return size * count;
    std::string name(line.substr(0, colon));
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ')
        value.remove_prefix(1);
    if (curl_strequal(name.c_str(), "Last-Modified"))
        head.lastModified = value;
    else if (curl_strequal(name.c_str(), "Content-Range"))
        head.contentRange = value;
    else if (curl_strequal(name.c_str(), "Date"))
        transfer.date = value;
    return size * count;
}

// A Last-Modified that the response's own date follows by a second or more.
std::string versionOf(const HttpResponse& head, const std::string& date)
{
    if (head.lastModified.empty() || date.empty())
        return {};
    std::time_t modified = curl_getdate(head.lastModified.c_str(), nullptr);
    std::time_t sent = curl_getdate(date.c_str(), nullptr);
    return modified >= 0 && sent > modified ? head.lastModified : std::string();
}

std::string hostOf(const std::string& url)
{
    std::string host = url;
    if (CURLU* parts = curl_url()) {
        char* name = nullptr;
        if (curl_url_set(parts, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK
            && curl_url_get(parts, CURLUPART_HOST, &name, 0) == CURLUE_OK)
            host = name;
        curl_free(name);
        curl_url_cleanup(parts);
    }
    return host;
}

Error curlError(CURLcode code, const std::string& url, long systemError, const char* errorBuffer)
{
    if (isCertificateFailure(code))
        return Error { ErrorCode::PermissionDenied,
            "fetch " + url + ": " + certificateFailureText(hostOf(url), code, errorBuffer), 0 };
    ErrorCode kind = ErrorCode::IoError;
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        kind = ErrorCode::InvalidArgument;
        break;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
        kind = ErrorCode::Unavailable;
        break;
    case CURLE_OPERATION_TIMEDOUT:
        kind = ErrorCode::Timeout;
        break;
    default:
        break;
    }
    return Error { kind, "fetch " + url + ": " + curl_easy_strerror(code), static_cast<int>(systemError) };
}

} // namespace

HttpFetch::HttpFetch(HttpFetchOptions options)
    : m_options(std::move(options))
{
    initialiseCurlOnce();
    m_multi = curl_multi_init();
}

HttpFetch::~HttpFetch()
{
    if (m_multi)
        curl_multi_cleanup(static_cast<CURLM*>(m_multi));
}

void HttpFetch::cancel()
{
    m_cancel = true;
    if (m_multi)
        curl_multi_wakeup(static_cast<CURLM*>(m_multi));
}

namespace {

// The https form of an http URL whose host and port have a pin; the URL as
// it is otherwise.
std::string privateUrl(const std::string& url, const HttpFetch::PinLookup& lookup, std::string& pin)
{
    CURLU* parts = curl_url();
    std::string result = url;
    char* scheme = nullptr;
    char* host = nullptr;
    char* port = nullptr;
    if (parts && curl_url_set(parts, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK
        && curl_url_get(parts, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK && std::string_view(scheme) == "http"
        && curl_url_get(parts, CURLUPART_HOST, &host, 0) == CURLUE_OK
        && curl_url_get(parts, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
        pin = lookup(host, std::strtol(port, nullptr, 10));
        char* secured = nullptr;
        if (!pin.empty() && curl_url_set(parts, CURLUPART_SCHEME, "https", 0) == CURLUE_OK
            && curl_url_set(parts, CURLUPART_PORT, port, 0) == CURLUE_OK
            && curl_url_get(parts, CURLUPART_URL, &secured, 0) == CURLUE_OK) {
            result = secured;
        } else {
            pin.clear();
        }
        curl_free(secured);
    }
    curl_free(scheme);
    curl_free(host);
    curl_free(port);
    curl_url_cleanup(parts);
    return result;
}

} // namespace

IoResult<HttpResponse> HttpFetch::get(const std::string& url, const BlockHandler& onBlock, const FetchLimits& limits)
{
    return get(url, onBlock, limits, FetchRange {}, HeadHandler {});
}

IoResult<HttpResponse> HttpFetch::get(const std::string& url, const BlockHandler& onBlock, const FetchLimits& limits,
    const FetchRange& range, const HeadHandler& onHead)
{
    m_cancel = false;
    auto* multi = static_cast<CURLM*>(m_multi);
    CURL* easy = curl_easy_init();
    if (!multi || !easy) {
        if (easy)
            curl_easy_cleanup(easy);
        return Error { ErrorCode::IoError, "fetch " + url + ": cannot set up a transfer", 0 };
    }
    Transfer transfer;
    transfer.onBlock = &onBlock;
    transfer.cancel = &m_cancel;
    transfer.maxBytes = limits.maxBodyBytes;
    transfer.onHead = &onHead;
    transfer.easy = easy;
    std::string pin;
    std::string target = m_pinLookup ? privateUrl(url, m_pinLookup, pin) : url;
    curl_easy_setopt(easy, CURLOPT_URL, target.c_str());
    if (!pin.empty()) {
        curl_easy_setopt(easy, CURLOPT_PINNEDPUBLICKEY, pin.c_str());
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(easy, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_3));
    } else {
        verifyCertificates(easy);
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, m_options.userAgent.c_str());
    // A redirect would leave a pinned key behind.
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, pin.empty() && m_options.followRedirects ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_options.connectTimeout.count()));
    if (limits.deadline.count() > 0)
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.deadline.count()));
    if (limits.maxBodyBytes > 0)
        curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBodyBytes));
    if (m_options.idleTimeout.count() > 0) {
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(std::max<std::uint64_t>(m_options.minBytesPerSecond, 1)));
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, std::max(1L, static_cast<long>(m_options.idleTimeout.count() / 1000)));
    }
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &onData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    const std::string rangeText = std::to_string(range.from) + "-";
    curl_slist* headers = nullptr;
    if (range.from > 0) {
        curl_easy_setopt(easy, CURLOPT_RANGE, rangeText.c_str());
        if (!range.ifRange.empty())
            headers = curl_slist_append(headers, ("If-Range: " + range.ifRange).c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    }
    curl_multi_add_handle(multi, easy);

    CURLcode outcome = CURLE_OK;
    bool finished = false;
    while (!finished && !m_cancel.load()) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK)
            break;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                outcome = message->data.result;
                finished = true;
            }
        }
        if (!finished && !m_cancel.load())
            curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    // The last, shorter block once the body is complete, or what arrived of
    // it before it broke (a cut download continues after it); the head of
    // an empty body.
    if (finished && !transfer.stopped && !transfer.tooLarge && (outcome == CURLE_OK || !transfer.pending.empty())
        && transfer.tellHead() && !transfer.pending.empty())
        transfer.deliver(transfer.pending);

    HttpResponse response;
    response.lastModified = transfer.head.lastModified;
    response.contentRange = transfer.head.contentRange;
    response.validator = versionOf(response, transfer.date);
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response.status);
    char* contentType = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType)
        response.contentType = contentType;
    response.bodyBytes = transfer.delivered;
    response.cancelled = (transfer.stopped && !transfer.tooLarge) || m_cancel.load();
    // The reason a connection failed (refused, unreachable), for the callers
    // that tell "no connection" from "no server".
    long systemError = 0;
    (void)curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &systemError);
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    curl_slist_free_all(headers);

    if (transfer.tooLarge || outcome == CURLE_FILESIZE_EXCEEDED)
        return Error { ErrorCode::Protocol, "fetch " + url + ": larger than " + std::to_string(limits.maxBodyBytes)
            + " bytes", 0 };
    if (response.cancelled)
        return response;
    if (!finished)
        return Error { ErrorCode::IoError, "fetch " + url + ": transfer failed", 0 };
    if (outcome != CURLE_OK)
        return curlError(outcome, url, systemError, errorBuffer);
    return response;
}

} // namespace platform
