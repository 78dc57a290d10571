#include "proto/upload_frames.h"

#include "platform/decimal_number.h"

namespace proto {

namespace {

constexpr std::size_t kNumberBytes = 8;
constexpr std::size_t kSha256HexChars = 64;

// Whether a payload of `size` bytes fits a frame of `type`; false for an
// unknown type.
bool fits(char type, std::uint32_t size)
{
    switch (static_cast<FrameType>(type)) {
    case FrameType::Data:
        return size >= 1 && size <= kMaxDataBytes;
    case FrameType::Start:
    case FrameType::Ack:
        return size == kNumberBytes;
    case FrameType::End:
    case FrameType::Cancel:
        return size == 0;
    }
    return false;
}

} // namespace

std::string frameHead(FrameType type, std::size_t payloadBytes)
{
    auto size = static_cast<std::uint32_t>(payloadBytes);
    std::string head(kFrameHeadBytes, '\0');
    head[0] = static_cast<char>(type);
    for (int i = 0; i < 4; ++i)
        head[1 + i] = static_cast<char>((size >> (24 - 8 * i)) & 0xff);
    return head;
}

std::string numberFrame(FrameType type, std::uint64_t value)
{
    std::string frame = frameHead(type, kNumberBytes);
    for (int i = 0; i < 8; ++i)
        frame += static_cast<char>((value >> (56 - 8 * i)) & 0xff);
    return frame;
}

std::optional<std::uint64_t> frameNumber(const Frame& frame)
{
    if (frame.payload.size() != kNumberBytes)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : frame.payload)
        value = (value << 8) | static_cast<unsigned char>(c);
    return value;
}

FrameReader::Status cutFrame(std::string_view& bytes, Frame& frame)
{
    if (bytes.size() < kFrameHeadBytes)
        return FrameReader::Status::NeedMore;
    std::uint32_t size = 0;
    for (int i = 1; i <= 4; ++i)
        size = (size << 8) | static_cast<unsigned char>(bytes[i]);
    if (!fits(bytes[0], size))
        return FrameReader::Status::Bad;
    if (bytes.size() < kFrameHeadBytes + size)
        return FrameReader::Status::NeedMore;
    frame.type = static_cast<FrameType>(bytes[0]);
    frame.payload = bytes.substr(kFrameHeadBytes, size);
    bytes.remove_prefix(kFrameHeadBytes + size);
    return FrameReader::Status::Frame;
}

FrameReader::Status FrameReader::next(Frame& frame)
{
    // What earlier frames used goes once it is a good share of the buffer.
    if (m_used > 0 && m_used >= m_bytes.size() / 2) {
        m_bytes.erase(0, m_used);
        m_used = 0;
    }
    std::string_view rest = std::string_view(m_bytes).substr(m_used);
    std::size_t before = rest.size();
    Status status = cutFrame(rest, frame);
    m_used += before - rest.size();
    return status;
}

std::size_t FrameReader::missing() const
{
    std::size_t held = buffered();
    if (held == 0)
        return 0;
    if (held < kFrameHeadBytes)
        return kFrameHeadBytes - held;
    std::uint32_t size = 0;
    for (std::size_t i = 1; i <= 4; ++i)
        size = (size << 8) | static_cast<unsigned char>(m_bytes[m_used + i]);
    // A head no frame can have: nothing more is needed to tell.
    if (!fits(m_bytes[m_used], size))
        return 0;
    return kFrameHeadBytes + size - held;
}

std::string formatHeldAnswer(std::uint64_t held, std::string_view sha256Hex)
{
    return std::to_string(held) + " " + std::string(sha256Hex);
}

std::optional<HeldAnswer> parseHeldAnswer(std::string_view text)
{
    std::size_t space = text.find(' ');
    if (space == std::string_view::npos || text.size() - space - 1 != kSha256HexChars)
        return std::nullopt;
    HeldAnswer answer;
    auto held = platform::parseDecimal<std::uint64_t>(text.substr(0, space));
    if (!held)
        return std::nullopt;
    answer.held = *held;
    answer.sha256Hex = std::string(text.substr(space + 1));
    if (answer.sha256Hex.find_first_not_of("0123456789abcdef") != std::string::npos)
        return std::nullopt;
    return answer;
}

bool announcesWindow(std::string_view announcement)
{
    std::size_t at = 0;
    for (int line = 0; line < 3; ++line) {
        at = announcement.find('\n', at);
        if (at == std::string_view::npos)
            return false;
        ++at;
    }
    std::string_view fourth = announcement.substr(at);
    fourth = fourth.substr(0, fourth.find('\n'));
    return fourth == kAnnounceWindowLine;
}

} // namespace proto
