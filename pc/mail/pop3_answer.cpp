#include "pc/mail/pop3_answer.h"

#include "pc/mail/text_util.h"

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

std::vector<std::string> parseUidlAnswer(std::string_view answer)
{
    std::vector<std::string> uids;
    std::size_t lf = answer.find('\n');
    if (lf == std::string_view::npos)
        return uids;
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
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        while (i < line.size() && isBlank(line[i]))
            ++i;
        std::size_t begin = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        uids.emplace_back(line.substr(begin, i - begin));
    }
    return uids;
}

MultiLineAnswer::MultiLineAnswer(std::size_t maxBytes)
    : m_maxBytes(maxBytes)
{
}

platform::Result<MultiLineAnswer::Progress, MultiLineError> MultiLineAnswer::feed(std::string_view chunk)
{
    if (m_text.size() + chunk.size() > m_maxBytes)
        return platform::unexpected(MultiLineError::TooLarge);
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
