#pragma once

// File: pc/web/access_log.h
// One line per response, in the common log format the server has always
// written:  192.168.0.5 - - [07/Dec/2026:14:30:00 -540] "GET /x HTTP/1.0" 200 1234

#include <cstdint>
#include <ctime>
#include <netinet/in.h>
#include <string>
#include <string_view>

namespace pc::web {

struct AccessLogEntry {
    in_addr client {};
    std::string_view user; // "-" when empty.
    std::time_t moment = 0; // Written in local time.
    std::string_view requestLine;
    int status = 0;
    std::uint64_t bodyLength = 0;
};

// The bias is UTC minus local standard time in minutes (-540 for Seoul), taken
// from the process's time zone (TZ).
[[nodiscard]] std::string formatAccessLogLine(const AccessLogEntry& entry);

} // namespace pc::web
