#pragma once

// File: platform/http_fetch.h
// HTTP GET of a URL, with the body handed over in blocks of 512 bytes (the
// last may be shorter), as the handheld reads result files from the PC's web
// server and the PC reads the update server's version file. The caller may
// stop between blocks by returning false, or from another thread with
// cancel(); either way the fetch ends at once with `cancelled` set, which is
// an outcome, not an error. A status such as 404 is reported, not refused:
// the body (the error page) is delivered like any other.
//
//     platform::HttpFetch fetch;
//     auto response = fetch.get("http://127.0.0.1:91/serverfolder", [&](std::string_view block) {
//         return file.write(block);
//     });
//
// Only http and https URLs are fetched; https servers must show a trusted
// certificate (curl_tls.h). One fetch at a time per object; the
// object may be used again afterwards.

#include "platform/result.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

struct HttpResponse {
    long status = 0; // 0 when no response head arrived (cancelled early).
    std::string contentType;
    std::uint64_t bodyBytes = 0; // Bytes handed to the block handler.
    bool cancelled = false;
    // Of the final response head, for continuing a cut download.
    std::int64_t contentLength = -1; // -1: not told (the head handler's only).
    std::string lastModified;
    std::string contentRange;
    // The Last-Modified value when it names one version of the body: the
    // response is dated at least a second after it, so the file was not
    // changing while it was sent. Empty otherwise.
    std::string validator;
};

// Asks for the body from byte `from` to its end ("Range: bytes=from-"),
// and only while the resource still has the version `ifRange` (If-Range,
// a Last-Modified value); the server may answer 206 with that part, 200
// with the whole body or 416. `from` 0 asks for the whole body.
struct FetchRange {
    std::uint64_t from = 0;
    std::string ifRange;
};

struct HttpFetchOptions {
    std::chrono::milliseconds connectTimeout { 30000 };
    // Ends a transfer that delivers less than minBytesPerSecond for this
    // long (a peer that trickles a byte now and then as much as one that
    // sends nothing); zero waits forever.
    std::chrono::milliseconds idleTimeout { 60000 };
    std::uint64_t minBytesPerSecond = 64;
    std::string userAgent = "WebClient";
    bool followRedirects = true;
};

// Bounds of one fetch, on top of the object's options.
struct FetchLimits {
    // The whole fetch, connecting included, ends with Timeout after this
    // long; zero: no bound.
    std::chrono::milliseconds deadline { 0 };
    // A body longer than this ends the fetch with Protocol ("too large");
    // zero: no bound.
    std::uint64_t maxBodyBytes = 0;
};

class HttpFetch {
public:
    static constexpr std::size_t kBlockSize = 512;
    using BlockHandler = std::function<bool(std::string_view block)>;

    explicit HttpFetch(HttpFetchOptions options = {});
    ~HttpFetch();
    HttpFetch(const HttpFetch&) = delete;
    HttpFetch& operator=(const HttpFetch&) = delete;

    // Errors: InvalidArgument (a URL curl refuses or another scheme),
    // Unavailable (no connection; systemError holds the errno of a failed
    // connect, such as ECONNREFUSED, and 0 when the host had no address),
    // Timeout, IoError (the transfer broke), Protocol (the body is larger
    // than the limit), PermissionDenied (an https server whose certificate
    // is not trusted or does not name it: the context names the server and
    // libcurl's reason; see curl_tls.h for the authorities trusted).
    IoResult<HttpResponse> get(const std::string& url, const BlockHandler& onBlock, const FetchLimits& limits = {});

    // Told the final response head (status and validators) once, before the
    // first block, or at the end of an empty body; false ends the fetch as a
    // cancel.
    using HeadHandler = std::function<bool(const HttpResponse& head)>;
    IoResult<HttpResponse> get(const std::string& url, const BlockHandler& onBlock, const FetchLimits& limits,
        const FetchRange& range, const HeadHandler& onHead);

    // The private link: for a URL's host and port, the pin (libcurl's
    // "sha256//..." form) of the key that must answer there, or "" for none.
    // An http URL with a pin is fetched as https over TLS 1.3 from that key
    // only; certificates are not otherwise judged (the key is self-signed).
    // Set it before fetching; it runs on the fetching thread.
    using PinLookup = std::function<std::string(const std::string& host, long port)>;
    void setPinLookup(PinLookup lookup) { m_pinLookup = std::move(lookup); }

    // Safe from any thread: ends a running fetch. A cancel that arrives
    // between fetches is forgotten when the next one starts.
    void cancel();

private:
    HttpFetchOptions m_options;
    void* m_multi = nullptr; // CURLM*, kept so that cancel() can wake it.
    std::atomic<bool> m_cancel { false };
    PinLookup m_pinLookup;
};

} // namespace platform
