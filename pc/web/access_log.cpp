#include "pc/web/access_log.h"

#include <array>
#include <cstdio>

namespace pc::web {
namespace {

// "%b" of the C locale: the line keeps English month names whatever locale
// the program runs in (a GUI toolkit may switch the process to the user's).
constexpr std::array<const char*, 12> kMonths
    = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };

// Control bytes in client-supplied text become "\xNN", so that a user name
// or request line cannot end the line and forge others after it.
void appendPrintable(std::string& line, std::string_view text)
{
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            line += escaped;
        } else {
            line.push_back(c);
        }
    }
}

} // namespace

std::string formatAccessLogLine(const AccessLogEntry& entry)
{
    const auto* octets = reinterpret_cast<const unsigned char*>(&entry.client.s_addr);
    std::tm local {};
    localtime_r(&entry.moment, &local); // Also sets `timezone` from TZ.
    char address[32];
    std::snprintf(address, sizeof address, "%d.%d.%d.%d", octets[0], octets[1], octets[2], octets[3]);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%02d/%s/%04d:%02d:%02d:%02d", local.tm_mday, kMonths[local.tm_mon % 12],
        local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    // `timezone` is seconds west of UTC for standard time: the bias the line
    // has always carried (daylight saving not included).
    char bias[32];
    std::snprintf(bias, sizeof bias, "%04ld", ::timezone / 60);

    std::string line = address;
    line += " - ";
    appendPrintable(line, entry.user.empty() ? std::string_view("-") : entry.user);
    line += ' ';
    line += stamp;
    line += ' ';
    line += bias;
    line += "] \"";
    appendPrintable(line, entry.requestLine);
    line += "\" ";
    line += std::to_string(entry.status);
    line += ' ';
    line += std::to_string(entry.bodyLength);
    line += '\n';
    return line;
}

} // namespace pc::web
