#include "pc/mail/oversized_mail.h"

#include "pc/mail/text_util.h"

namespace pc::mail {

namespace {

// Fields that describe the original body, which the stand-in does not carry.
bool describesTheBody(std::string_view line)
{
    std::string name = toLowerAscii(line.substr(0, line.find(':')));
    return name == "mime-version" || name.starts_with("content-");
}

// The header's lines without the body's fields, each ended by CRLF and
// dot-stuffed (RFC 1939 §3), as a RETR answer carries them.
std::string keptHeaderLines(std::string_view header)
{
    std::string out;
    bool dropping = false;
    while (!header.empty()) {
        std::size_t lf = header.find('\n');
        std::string_view line = header.substr(0, lf);
        header = lf == std::string_view::npos ? std::string_view() : header.substr(lf + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        bool continuation = !line.empty() && (line.front() == ' ' || line.front() == '\t');
        if (!continuation)
            dropping = describesTheBody(line);
        if (dropping || line.empty())
            continue;
        if (line.front() == '.')
            out += '.';
        out.append(line);
        out += "\r\n";
    }
    return out;
}

} // namespace

std::string oversizedNotice(std::int64_t size)
{
    return "이 메일은 너무 커서(" + std::to_string(size) + "바이트) PC로 가져오지 못했습니다. "
           "메일 서버에는 그대로 남아 있습니다.";
}

std::string oversizedStandIn(std::string_view originalHeader, std::int64_t size)
{
    return "+OK\r\n" + keptHeaderLines(originalHeader) + "MIME-Version: 1.0\r\n"
        + "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
        + oversizedNotice(size) + "\r\n.\r\n";
}

std::string oversizedLogText(const Pop3Account& account, std::int64_t size, std::string_view subject)
{
    return "메일 계정 " + account.user + "@" + account.server + ": 너무 커서 가져오지 못한 메일이 있습니다..\n"
        + "크기: " + std::to_string(size) + "바이트, 제목: " + std::string(subject) + "\n";
}

} // namespace pc::mail
