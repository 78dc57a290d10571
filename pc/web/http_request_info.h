#pragma once

// File: pc/web/http_request_info.h
// The parsed request of one connection: what the request line and the
// understood headers (If-Modified-Since, Authorization, Range, If-Range) said. Filled by
// parseRequest() on the web server's listener thread; needs no lock.

#include <cstdint>
#include <netinet/in.h>
#include <string>

namespace pc::web {

// The verb numbers are fixed; they appear in traces.
enum class HttpVerb : int {
    Post = 0,
    Get = 1,
    Head = 2,
    Put = 3,
    Link = 4,
    Delete = 5,
    Unlink = 6,
    Unknown = 7,
};

// A calendar time as the date parser fills it; milliseconds are always 0.
struct HttpTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0; // 1 to 12.
    std::uint16_t dayOfWeek = 0; // 0 Sunday to 6 Saturday.
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;

    bool operator==(const HttpTime&) const = default;
};

enum class AuthorizationType : std::int32_t {
    None = 0,
    Basic = 1, // User and password present, from the header or from user-info in the URL.
};

// (major << 16) | minor; a request line without a version stands for HTTP/0.9.
constexpr std::uint32_t kHttpVersion09 = 9;
constexpr std::uint32_t httpVersion(std::uint32_t major, std::uint32_t minor)
{
    return (major << 16) | (minor & 0xFFFF);
}

struct CHttpRequestInfo {
    std::string requestLine; // First line of the head, without its line end.
    sockaddr_in clientAddress {}; // Peer of the connection, as accept returned it.
    HttpVerb verb = HttpVerb::Unknown;
    std::string url; // %-decoded target without user-info and query.
    std::string query; // Text after the first "?", without the "?".
    std::uint32_t version = 0;
    bool hasIfModifiedSince = false;
    HttpTime ifModifiedSince;
    AuthorizationType authorizationType = AuthorizationType::None;
    std::string user;
    std::string password; // Emptied once used for a logon.
    bool hasRange = false;
    std::string range; // The Range header's value, as sent (byte_range.h reads it).
    // If-Range: the Range holds only while the file's Last-Modified is exactly this.
    bool hasIfRange = false;
    std::string ifRange;

    // Status and header lines are sent only above HTTP/0.9.
    bool sendsHeaders() const { return version > kHttpVersion09; }
};

} // namespace pc::web
