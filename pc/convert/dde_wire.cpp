#include "pc/convert/dde_wire.h"

namespace pc::convert {

namespace {

constexpr std::size_t kFixedBytes = 1 + 4 + 4 + 1;

void putU32(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t getU32(std::string_view bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

// Reads a length-prefixed string at `at`, advancing it; false when the body
// is too short.
bool getString(std::string_view body, std::size_t& at, std::string& out)
{
    if (body.size() - at < 4)
        return false;
    std::uint32_t length = getU32(body, at);
    at += 4;
    if (body.size() - at < length)
        return false;
    out.assign(body.substr(at, length));
    at += length;
    return true;
}

bool isKnownType(std::uint8_t type)
{
    return type >= static_cast<std::uint8_t>(DdeFrameType::Connect)
        && type <= static_cast<std::uint8_t>(DdeFrameType::Disconnect);
}

} // namespace

std::string encodeDdeFrame(const DdeFrame& frame)
{
    std::string body;
    body.push_back(static_cast<char>(frame.type));
    putU32(body, frame.transaction);
    putU32(body, frame.format);
    body.push_back(frame.flag ? 1 : 0);
    putU32(body, static_cast<std::uint32_t>(frame.name.size()));
    body += frame.name;
    putU32(body, static_cast<std::uint32_t>(frame.data.size()));
    body += frame.data;
    std::string out;
    putU32(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}

platform::Result<std::optional<DdeFrame>, DdeWireError> DdeFrameSplitter::next()
{
    if (m_buffer.size() < 4)
        return std::optional<DdeFrame>();
    std::uint32_t length = getU32(m_buffer, 0);
    if (length > kMaxDdeFrameBytes)
        return DdeWireError::TooLarge;
    if (m_buffer.size() - 4 < length)
        return std::optional<DdeFrame>();
    std::string_view body = std::string_view(m_buffer).substr(4, length);
    DdeFrame frame;
    std::size_t at = kFixedBytes;
    if (body.size() < kFixedBytes || !isKnownType(static_cast<std::uint8_t>(body[0]))
        || static_cast<unsigned char>(body[9]) > 1 || !getString(body, at, frame.name)
        || !getString(body, at, frame.data) || at != body.size())
        return DdeWireError::Malformed;
    frame.type = static_cast<DdeFrameType>(body[0]);
    frame.transaction = getU32(body, 1);
    frame.format = getU32(body, 5);
    frame.flag = body[9] == 1;
    m_buffer.erase(0, 4 + length);
    return std::optional<DdeFrame>(std::move(frame));
}

} // namespace pc::convert
