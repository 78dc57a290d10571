#include "pc/web/access_log.h"

#include <cstdio>

namespace pc::web {

std::string formatAccessLogLine(const AccessLogEntry& entry)
{
    const auto* octets = reinterpret_cast<const unsigned char*>(&entry.client.s_addr);
    std::tm local {};
    localtime_r(&entry.moment, &local); // Also sets `timezone` from TZ.
    char address[32];
    std::snprintf(address, sizeof address, "%d.%d.%d.%d", octets[0], octets[1], octets[2], octets[3]);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "[%d/%b/%Y:%H:%M:%S", &local);
    // `timezone` is seconds west of UTC for standard time: the bias the line
    // has always carried (daylight saving not included).
    char bias[32];
    std::snprintf(bias, sizeof bias, "%04ld", ::timezone / 60);

    std::string line = address;
    line += " - ";
    line += entry.user.empty() ? std::string_view("-") : entry.user;
    line += ' ';
    line += stamp;
    line += ' ';
    line += bias;
    line += "] \"";
    line += entry.requestLine;
    line += "\" ";
    line += std::to_string(entry.status);
    line += ' ';
    line += std::to_string(entry.bodyLength);
    line += '\n';
    return line;
}

} // namespace pc::web
