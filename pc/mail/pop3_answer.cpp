#include "pc/mail/pop3_answer.h"

#include "pc/mail/text_util.h"
#include "platform/decimal_number.h"

#include <optional>

namespace pc::mail {
namespace {

constexpr std::string_view kTerminator = "\r\n.\r\n";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool startsWithErr(std::string_view text)
{
    return text.size() >= 4 && toLowerAscii(text.substr(0, 4)) == "-err";
}

} // namespace

bool passesSingleLineCheck(std::string_view answer)
{
    return !answer.starts_with("-ERR");
}

int parseStatCount(std::string_view response)
{
    std::size_t digit = response.find_first_of("0123456789");
    if (digit == std::string_view::npos)
        return -1;
    long long value = 0;
    for (std::size_t i = digit; i < response.size() && response[i] >= '0' && response[i] <= '9'; ++i) {
        value = value * 10 + (response[i] - '0');
        if (value > 0x7FFFFFFF)
            return -1;
    }
    return static_cast<int>(value);
}

namespace {

// Calls `onLine` with the first two tokens of every line behind the status
// line, up to the line "." alone (the listings of UIDL and LIST).
template<typename OnLine>
void forEachListingLine(std::string_view answer, OnLine onLine)
{
    std::size_t lf = answer.find('\n');
    if (lf == std::string_view::npos)
        return;
    std::string_view rest = answer.substr(lf + 1);
    while (!rest.empty()) {
        lf = rest.find('\n');
        std::string_view line = rest.substr(0, lf);
        rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line == ".")
            break;
        std::size_t i = 0;
        while (i < line.size() && isBlank(line[i]))
            ++i;
        std::size_t firstBegin = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        std::string_view first = line.substr(firstBegin, i - firstBegin);
        while (i < line.size() && isBlank(line[i]))
            ++i;
        std::size_t begin = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        onLine(first, line.substr(begin, i - begin));
    }
}

std::optional<std::int64_t> decimal(std::string_view text)
{
    auto value = platform::parseDecimal<std::int64_t>(text);
    if (!value || *value < 0)
        return std::nullopt;
    return value;
}

} // namespace

std::vector<std::string> parseUidlAnswer(std::string_view answer)
{
    std::vector<std::string> uids;
    forEachListingLine(answer, [&](std::string_view, std::string_view uid) { uids.emplace_back(uid); });
    return uids;
}

std::map<int, std::int64_t> parseListAnswer(std::string_view answer)
{
    std::map<int, std::int64_t> sizes;
    forEachListingLine(answer, [&](std::string_view number, std::string_view size) {
        auto n = decimal(number);
        auto bytes = decimal(size);
        if (n && bytes && *n <= 0x7FFFFFFF)
            sizes.emplace(static_cast<int>(*n), *bytes);
    });
    return sizes;
}

MultiLineAnswer::MultiLineAnswer(std::size_t maxBytes)
    : m_maxBytes(maxBytes)
{
}

platform::Result<MultiLineAnswer::Progress, MultiLineError> MultiLineAnswer::feed(std::string_view chunk)
{
    if (m_text.size() + chunk.size() > m_maxBytes) {
        // Keep the head up to the limit: it still tells what the answer was.
        m_text.append(chunk.substr(0, m_maxBytes - m_text.size()));
        return platform::unexpected(MultiLineError::TooLarge);
    }
    m_text += chunk;
    // A "-ERR" answer is one line; it is read whole so that nothing of it is
    // left for the next answer.
    if (startsWithErr(m_text)) {
        if (m_text.find('\n') == std::string::npos)
            return Progress::NeedMore;
        return platform::unexpected(MultiLineError::ErrAnswer);
    }
    if (m_text.ends_with(kTerminator))
        return Progress::Complete;
    return Progress::NeedMore;
}

MultiLineError MultiLineAnswer::closed() const
{
    return startsWithErr(m_text) ? MultiLineError::ErrAnswer : MultiLineError::Truncated;
}

} // namespace pc::mail
