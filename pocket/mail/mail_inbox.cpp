#include "pocket/mail/mail_inbox.h"

#include "platform/codec/base64.h"
#include "platform/files.h"
#include "pocket/device/device_root.h"
#include "pocket/mail/mail_files.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>

namespace pocket::mail {

namespace {

constexpr const char* kDays[] = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
constexpr const char* kMonths[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov",
    "Dec" };

bool isPlainAscii(std::string_view text)
{
    for (unsigned char c : text) {
        if (c >= 0x80 || c < 0x20)
            return false;
    }
    return true;
}

// RFC 2047 §4.1: "=?UTF-8?B?...?=" for values that are not plain ASCII.
std::string headerValue(std::string_view value)
{
    if (isPlainAscii(value))
        return std::string(value);
    return "=?UTF-8?B?" + platform::codec::encodeBase64(value) + "?=";
}

// "Mon, 05 Jan 2026 10:20:30 -0000" (RFC 5322 §3.3; -0000: the zone is unknown).
std::string formatDate(int year, int month, int day, int hour, int minute, int second)
{
    using namespace std::chrono;
    year_month_day date { std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
        std::chrono::day(static_cast<unsigned>(day)) };
    if (!date.ok())
        return {};
    unsigned weekday = std::chrono::weekday(sys_days(date)).c_encoding();
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d -0000", kDays[weekday], day, kMonths[month - 1],
        year, hour, minute, second);
    return text;
}

std::string mailDate(std::string_view time, platform::WallTime received)
{
    if (auto date = parseMailDate(time)) {
        int hour = 0, minute = 0, second = 0;
        std::size_t blank = time.rfind(' ');
        if (blank != std::string_view::npos)
            (void)std::sscanf(std::string(time.substr(blank + 1)).c_str(), "%d:%d:%d", &hour, &minute, &second);
        std::string text = formatDate(date->year, date->month, date->day, hour, minute, second);
        if (!text.empty())
            return text;
    }
    auto local = platform::toLocalTime(received);
    return formatDate(local.year, local.month, local.day, local.hour, local.minute, local.second);
}

} // namespace

std::string formatInboxMessage(const MailFile& mail, std::string_view bodyHtml, platform::WallTime received)
{
    std::string message;
    message += "From: " + headerValue(mail.sender) + "\n";
    message += "To: " + headerValue(mail.to) + "\n";
    if (!mail.cc.empty())
        message += "Cc: " + headerValue(mail.cc) + "\n";
    message += "Subject: " + headerValue(mail.title) + "\n";
    message += "Date: " + mailDate(mail.time, received) + "\n";
    message += "MIME-Version: 1.0\n";
    message += "Content-Type: text/html; charset=UTF-8\n";
    message += "Content-Transfer-Encoding: 8bit\n";
    message += "X-Quillon-Pop3: " + headerValue(mail.pop3) + "\n\n";
    message.append(bodyHtml);
    if (message.back() != '\n')
        message += '\n';
    return message;
}

platform::IoResult<std::filesystem::path> storeInInbox(const device::DeviceRoot& device, const MailFile& mail,
    std::string_view bodyHtml, platform::WallTime received)
{
    static std::atomic<unsigned> counter { 0 };
    auto folder = device.root() / kInboxFolder / kInboxSubfolder;
    for (const char* part : { "tmp", "new", "cur" })
        TRY(platform::createFolders(folder / part));
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(received.time_since_epoch()).count();
    std::string name = std::to_string(seconds) + ".P" + std::to_string(::getpid()) + "Q" + std::to_string(++counter)
        + ".quillon";
    auto temporary = folder / "tmp" / name;
    TRY(platform::writeFileAtomically(temporary, formatInboxMessage(mail, bodyHtml, received)));
    auto target = folder / "new" / name;
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error)
        return platform::unexpected(platform::Error { platform::ErrorCode::IoError, "rename " + target.string(), error.value() });
    return target;
}

} // namespace pocket::mail
