#include "pc/web/http_date.h"

#include "platform/decimal_number.h"

#include <array>
#include <cstdio>
#include <vector>

namespace pc::web {
namespace {

constexpr std::array<std::string_view, 7> kShortDays = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
constexpr std::array<std::string_view, 7> kLongDays
    = { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" };
constexpr std::array<std::string_view, 12> kMonths
    = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };

// The shortest text that can hold a date in any of the forms.
constexpr std::size_t kMinDateLength = 6;

std::vector<std::string_view> tokenize(std::string_view text, std::string_view separators)
{
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t start = text.find_first_not_of(separators, pos);
        if (start == std::string_view::npos)
            break;
        std::size_t end = text.find_first_of(separators, start);
        if (end == std::string_view::npos)
            end = text.size();
        tokens.push_back(text.substr(start, end - start));
        pos = end;
    }
    return tokens;
}

std::optional<std::uint16_t> dayOfWeek(std::string_view name)
{
    for (std::size_t i = 0; i < kShortDays.size(); ++i) {
        if (name == kShortDays[i] || name == kLongDays[i])
            return static_cast<std::uint16_t>(i);
    }
    return std::nullopt;
}

std::optional<std::uint16_t> month(std::string_view name)
{
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (name == kMonths[i])
            return static_cast<std::uint16_t>(i + 1);
    }
    return std::nullopt;
}

// Reads the leading decimal digits like atoi does; a token without any gives 0.
std::uint16_t number(std::string_view token)
{
    return static_cast<std::uint16_t>(platform::leadingDecimal<unsigned>(token));
}

// Field positions of each form within its token list.
struct DateForm {
    std::string_view separators;
    int dayName, day, monthName, year, hour, minute, second;
    bool twoDigitYear;
};

constexpr DateForm kRfc1123 { ", :", 0, 1, 2, 3, 4, 5, 6, false };
constexpr DateForm kAsctime { ", :", 0, 2, 1, 6, 3, 4, 5, false };
constexpr DateForm kRfc850 { ", :-", 0, 1, 2, 3, 4, 5, 6, true };

} // namespace

std::optional<HttpTime> parseHttpDate(std::string_view text)
{
    if (text.size() < kMinDateLength)
        return std::nullopt;
    const DateForm& form = text[3] == ',' ? kRfc1123 : text[3] == ' ' ? kAsctime : kRfc850;
    auto tokens = tokenize(text, form.separators);
    if (tokens.size() < 7)
        return std::nullopt;
    auto weekday = dayOfWeek(tokens[form.dayName]);
    auto monthNumber = month(tokens[form.monthName]);
    if (!weekday || !monthNumber)
        return std::nullopt;
    HttpTime time;
    time.dayOfWeek = *weekday;
    time.month = *monthNumber;
    time.day = number(tokens[form.day]);
    time.year = number(tokens[form.year]);
    time.hour = number(tokens[form.hour]);
    time.minute = number(tokens[form.minute]);
    time.second = number(tokens[form.second]);
    if (form.twoDigitYear) {
        if (time.year < 50)
            time.year += 2000;
        else if (time.year < 100)
            time.year += 1900;
    }
    return time;
}

std::string formatHttpDate(std::time_t moment)
{
    std::tm utc {};
    gmtime_r(&moment, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kShortDays[utc.tm_wday].data(),
        utc.tm_mday, kMonths[utc.tm_mon].data(), utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

} // namespace pc::web
