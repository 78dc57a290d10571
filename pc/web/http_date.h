#pragma once

// File: pc/web/http_date.h
// HTTP dates (RFC 1945 §3.3): the three accepted forms in, the RFC 1123 form
// out. Pure functions.
//
//     parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT")   // RFC 1123
//     parseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT")  // RFC 850
//     parseHttpDate("Sun Nov  6 08:49:37 1994")        // asctime

#include "pc/web/http_request_info.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace pc::web {

[[nodiscard]] std::optional<HttpTime> parseHttpDate(std::string_view text);

// "Wed, 02 Jan 2002 10:00:00 GMT" for the given moment, in UTC.
[[nodiscard]] std::string formatHttpDate(std::time_t moment);

} // namespace pc::web
