// The readable date of the mail files: "YYYY.MM.DD W HH:MM:SS" with a Korean
// weekday. Dates are read token by token (RFC 5322 §3.3), so that a missing
// weekday or a one-digit day still reads; the weekday is worked out from the
// date when the sender left it out.

#include "pc/mail/mail_record.h"
#include "pc/mail/text_util.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <optional>

namespace pc::mail {
namespace {

constexpr std::array<std::string_view, 7> kWeekdaysKo = {
    "일요일", "월요일", "화요일", "수요일", "목요일", "금요일", "토요일",
};
constexpr std::array<std::string_view, 7> kWeekdaysEn = {
    "sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday",
};
constexpr std::array<std::string_view, 12> kMonths = {
    "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec",
};

class Scanner {
public:
    explicit Scanner(std::string_view text)
        : m_text(text)
    {
    }
    void skip(std::string_view characters)
    {
        while (m_at < m_text.size() && characters.find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
    }
    std::string_view take(int (*accept)(int))
    {
        std::size_t begin = m_at;
        while (m_at < m_text.size() && accept(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
        return m_text.substr(begin, m_at - begin);
    }
    bool eat(char c)
    {
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
};

int toNumber(std::string_view digits)
{
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

std::optional<int> weekdayFromName(std::string_view word)
{
    std::string lower = toLowerAscii(word);
    for (std::size_t i = 0; i < kWeekdaysEn.size(); ++i) {
        if (lower.size() >= 3 && (lower == kWeekdaysEn[i] || lower == kWeekdaysEn[i].substr(0, 3)))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

std::optional<int> monthFromName(std::string_view word)
{
    std::string lower = toLowerAscii(word.substr(0, 3));
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (lower == kMonths[i])
            return static_cast<int>(i) + 1;
    }
    return std::nullopt;
}

// Day of the week, 0 = Sunday (Sakamoto's method).
int weekdayOf(int year, int month, int day)
{
    static const int offsets[] = { 0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4 };
    if (month < 3)
        year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}

int fullYear(std::string_view digits)
{
    int year = toNumber(digits);
    if (digits.size() == 2) // RFC 5322 §4.3: two-digit years.
        return year < 50 ? 2000 + year : 1900 + year;
    return year;
}

std::string twoDigits(int value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, value < 10 ? "0%d" : "%d", value);
    return buffer;
}

} // namespace

std::string formatMailDate(std::string_view value)
{
    value = trim(value);
    Scanner scan(value);
    std::optional<int> weekday;
    std::string_view word = scan.take(isalpha);
    if (!word.empty()) {
        weekday = weekdayFromName(word);
        scan.skip(", \t");
    }
    std::string_view day = scan.take(isdigit);
    scan.skip(" \t-");
    std::optional<int> month = monthFromName(scan.take(isalpha));
    scan.skip(" \t-");
    std::string_view year = scan.take(isdigit);
    scan.skip(" \t");
    std::string_view hour = scan.take(isdigit);
    bool hasMinute = scan.eat(':');
    std::string_view minute = scan.take(isdigit);
    bool hasSecond = scan.eat(':');
    std::string_view second = scan.take(isdigit);
    if (day.empty() || day.size() > 2 || !month || (year.size() != 2 && year.size() != 4) || hour.empty()
        || !hasMinute || minute.empty())
        return std::string(value);

    int dayNumber = toNumber(day);
    if (!weekday && dayNumber >= 1 && dayNumber <= 31)
        weekday = weekdayOf(fullYear(year), *month, dayNumber);
    std::string seconds = hasSecond && !second.empty() ? twoDigits(toNumber(second.substr(0, 2))) : "00";
    // The "%s.%s.%s %s %s" display form.
    std::string out(year);
    out.append(".").append(twoDigits(*month)).append(".").append(twoDigits(dayNumber)).append(" ");
    out.append(weekday ? kWeekdaysKo[static_cast<std::size_t>(*weekday)] : std::string_view());
    out.append(" ").append(twoDigits(toNumber(hour.substr(0, 2)))).append(":");
    out.append(twoDigits(toNumber(minute.substr(0, 2)))).append(":").append(seconds);
    return out;
}

} // namespace pc::mail
