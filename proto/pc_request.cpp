#include "proto/pc_request.h"

#include "platform/decimal_number.h"

#include <cstdio>

namespace proto {

namespace {

constexpr std::string_view kMarkerFirst = "0xx0:";
constexpr std::string_view kMarkerCode = "0xx1:";
constexpr std::string_view kMarkerText = "0xx2:";

std::string_view trimSpaces(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::optional<std::int32_t> parseNumber(std::string_view text)
{
    text = trimSpaces(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    return platform::parseDecimal<std::int32_t>(text);
}

} // namespace

std::string formatPcRequest(const PcRequest& request)
{
    char head[48];
    int headLength = std::snprintf(head, sizeof head, "0xx0:%d 0xx1:%d 0xx2:", request.first, request.code);
    std::string wire(head, static_cast<std::size_t>(headLength));
    std::size_t room = kMaxRequestBytes - 1 - wire.size();
    std::string_view text = request.text;
    // The text ends at an embedded NUL, as a C string would.
    text = text.substr(0, text.find('\0'));
    wire.append(text.substr(0, room));
    wire.push_back('\0');
    return wire;
}

platform::Result<PcRequest, RequestError> parsePcRequest(std::string_view received)
{
    received = received.substr(0, received.find('\0'));
    // Each marker is looked for from the start; the first of each must come
    // in the order "0xx0:", "0xx1:", "0xx2:" without overlapping.
    std::size_t firstAt = received.find(kMarkerFirst);
    std::size_t codeAt = received.find(kMarkerCode);
    std::size_t textAt = received.find(kMarkerText);
    if (firstAt == std::string_view::npos || codeAt == std::string_view::npos || textAt == std::string_view::npos)
        return platform::unexpected(RequestError::MissingMarker);
    if (codeAt < firstAt + kMarkerFirst.size() || textAt < codeAt + kMarkerCode.size())
        return platform::unexpected(RequestError::MissingMarker);

    std::size_t firstStart = firstAt + kMarkerFirst.size();
    std::size_t codeStart = codeAt + kMarkerCode.size();
    auto first = parseNumber(received.substr(firstStart, codeAt - firstStart));
    auto code = parseNumber(received.substr(codeStart, textAt - codeStart));
    if (!first || !code)
        return platform::unexpected(RequestError::BadNumber);
    PcRequest request;
    request.first = *first;
    request.code = *code;
    request.text = std::string(received.substr(textAt + kMarkerText.size()));
    return request;
}

void RequestSplitter::feed(std::string_view bytes)
{
    if (m_offset > 0 && m_offset == m_buffer.size()) {
        m_buffer.clear();
        m_offset = 0;
    }
    m_buffer.append(bytes);
}

std::optional<std::string> RequestSplitter::next()
{
    while (m_offset < m_buffer.size()) {
        std::string_view rest(m_buffer.data() + m_offset, m_buffer.size() - m_offset);
        std::size_t nul = rest.find('\0');
        std::size_t unitLength;
        std::size_t consumed;
        if (nul != std::string_view::npos && nul < kMaxRequestBytes) {
            unitLength = nul;
            consumed = nul + 1;
        } else if (rest.size() >= kMaxRequestBytes) {
            unitLength = kMaxRequestBytes;
            consumed = kMaxRequestBytes;
        } else {
            break;
        }
        std::string unit(rest.substr(0, unitLength));
        m_offset += consumed;
        if (!unit.empty())
            return unit;
    }
    if (m_offset > 0) {
        m_buffer.erase(0, m_offset);
        m_offset = 0;
    }
    return std::nullopt;
}

} // namespace proto
