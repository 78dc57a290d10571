#include "pocket/msn/msn_wire.h"

#include "platform/codec/md5.h"
#include "platform/codepage.h"
#include "platform/decimal_number.h"

namespace pocket::msn {

namespace {

    constexpr std::size_t kMaxChallengeChars = 256;

    // Drops consumed bytes once they make up most of the buffer.
    void compact(std::string& buffer, std::size_t& start)
    {
        if (start > 4096 && start * 2 > buffer.size()) {
            buffer.erase(0, start);
            start = 0;
        }
    }

} // namespace

void MsnSplitter::feed(std::string_view bytes)
{
    m_buffer.append(bytes);
}

void MsnSplitter::clear()
{
    m_buffer.clear();
    m_start = 0;
    m_pendingLine.reset();
    m_pendingLength = 0;
}

platform::Result<std::optional<MsnUnit>, MsnStreamError> MsnSplitter::next()
{
    std::string_view rest = std::string_view(m_buffer).substr(m_start);
    if (m_pendingLine) {
        if (rest.size() < m_pendingLength)
            return std::optional<MsnUnit>();
        MsnUnit unit { std::move(*m_pendingLine), std::string(rest.substr(0, m_pendingLength)) };
        m_pendingLine.reset();
        m_start += m_pendingLength;
        compact(m_buffer, m_start);
        return std::optional<MsnUnit>(std::move(unit));
    }
    std::size_t end = rest.find('\n');
    if (end == std::string_view::npos) {
        if (rest.size() > kMaxLineBytes)
            return platform::unexpected(MsnStreamError::LineTooLong);
        return std::optional<MsnUnit>();
    }
    std::string_view line = rest.substr(0, end);
    // Accept a bare LF as well as CRLF.
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.size() > kMaxLineBytes)
        return platform::unexpected(MsnStreamError::LineTooLong);
    MsnUnit unit { std::string(line), std::nullopt };
    m_start += end + 1;
    if (auto length = messageLength(unit.line)) {
        if (*length > kMaxPayloadBytes)
            return platform::unexpected(MsnStreamError::PayloadTooLarge);
        m_pendingLine = std::move(unit.line);
        m_pendingLength = *length;
        return next();
    }
    compact(m_buffer, m_start);
    return std::optional<MsnUnit>(std::move(unit));
}

std::vector<std::string> splitFields(std::string_view line)
{
    line = platform::cutCodePoints(line, kMaxLineChars);
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t space = line.find(' ', start);
        fields.emplace_back(
            line.substr(start, space == std::string_view::npos ? std::string_view::npos : space - start));
        if (space == std::string_view::npos)
            break;
        start = space + 1;
    }
    return fields;
}

std::string_view fieldAt(const std::vector<std::string>& fields, std::size_t n)
{
    if (n == 0 || n > fields.size())
        return {};
    return fields[n - 1];
}

std::string decodeName(std::string_view field)
{
    field = field.substr(0, field.find('\n'));
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field.compare(i, 3, "%20") == 0) {
            out += ' ';
            i += 2;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::string encodeName(std::string_view name)
{
    constexpr std::size_t kMaxBytes = 1023;
    std::string out;
    for (char c : platform::cutBytes(name, kMaxBytes)) {
        std::string_view piece = c == ' ' ? std::string_view("%20") : std::string_view(&c, 1);
        if (out.size() + piece.size() > kMaxBytes)
            break;
        out += piece;
    }
    // A cut inside a multi-byte character would send half of it.
    return std::string(platform::cutBytes(out, out.size()));
}

std::optional<std::size_t> messageLength(std::string_view line)
{
    if (line.substr(0, 4) != "MSG ")
        return std::nullopt;
    std::string_view last = line.substr(line.rfind(' ') + 1);
    return platform::parseDecimal<std::size_t>(last);
}

std::string challengeAnswer(std::string_view challenge, std::string_view password)
{
    std::size_t cut = 0;
    while (cut < challenge.size() && cut < kMaxChallengeChars
        && static_cast<unsigned char>(challenge[cut]) >= 0x2E)
        ++cut;
    std::string input(challenge.substr(0, cut));
    input.append(password);
    return platform::codec::md5Hex(input);
}

std::string_view messageBody(std::string_view payload)
{
    std::size_t blank = payload.find("\r\n\r\n");
    return blank == std::string_view::npos ? payload : payload.substr(blank + 4);
}

} // namespace pocket::msn
