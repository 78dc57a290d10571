#pragma once

// File: pc/web/http_request_parser.h
// Pure parsing of a request head into CHttpRequestInfo: the request line,
// header lines, %-decoding and Basic credentials. Nothing here touches a
// socket; reading the head is web_connection.h.
//
//     CHttpRequestInfo info;
//     if (!parseRequest("GET /a%20b.htm HTTP/1.0\r\nHost: x", info))
//         return error(400);
//     // info.url == "/a b.htm", info.version == httpVersion(1, 0)

#include "pc/web/http_request_info.h"
#include "platform/codec/percent_encoding.h"

#include <optional>
#include <string>
#include <string_view>

namespace pc::web {

// Parses a head (the text before the blank line). The result is that of the
// request line; malformed or unknown headers are ignored.
[[nodiscard]] bool parseRequest(std::string_view head, CHttpRequestInfo& info);

// Parses "VERB target [HTTP/x.y]" into verb, URL, user-info, query and version.
[[nodiscard]] bool parseRequestLine(std::string_view line, CHttpRequestInfo& info);

struct HeaderLine {
    std::string_view name;
    std::string_view value;
};

// Splits at the first ":" and trims both sides; no ":" gives nothing.
[[nodiscard]] std::optional<HeaderLine> splitHeaderLine(std::string_view line);

struct Credentials {
    std::string user;
    std::string password;
};

// "Basic <base64 of user:password>" (RFC 1945 §11.1).
[[nodiscard]] std::optional<Credentials> decodeBasicCredentials(std::string_view value);

// Replaces each "%" with two hexadecimal digits by that byte, once. A "%" not
// followed by two hexadecimal digits stays; "+" stays.
using platform::codec::percentDecode;

} // namespace pc::web
