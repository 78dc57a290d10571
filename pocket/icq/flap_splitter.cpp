#include "pocket/icq/flap_splitter.h"

#include <algorithm>

namespace pocket::icq {

namespace {

std::size_t dataLengthOf(std::string_view header)
{
    return static_cast<std::uint8_t>(header[4]) << 8 | static_cast<std::uint8_t>(header[5]);
}

} // namespace

void FlapSplitter::feed(std::string_view bytes)
{
    m_pending.append(bytes);
    dropSkipped();
}

void FlapSplitter::dropSkipped()
{
    const auto dropped = std::min(m_skip, m_pending.size());
    m_pending.erase(0, dropped);
    m_skip -= dropped;
}

std::optional<platform::Result<FlapFrame, FrameError>> FlapSplitter::next()
{
    dropSkipped();
    if (m_skip > 0 || m_pending.size() < kFlapHeaderBytes)
        return std::nullopt;
    if (static_cast<std::uint8_t>(m_pending[0]) != kFlapStart) {
        m_pending.erase(0, kFlapHeaderBytes);
        return platform::Result<FlapFrame, FrameError>(platform::unexpected(FrameError::BadStart));
    }
    const auto length = dataLengthOf(m_pending);
    if (length > kMaxFrameData) {
        m_pending.erase(0, kFlapHeaderBytes);
        m_skip = length;
        dropSkipped();
        return platform::Result<FlapFrame, FrameError>(platform::unexpected(FrameError::TooLarge));
    }
    if (m_pending.size() < kFlapHeaderBytes + length)
        return std::nullopt;
    FlapFrame frame;
    frame.channel = static_cast<std::uint8_t>(m_pending[1]);
    frame.sequence = static_cast<std::uint16_t>(static_cast<std::uint8_t>(m_pending[2]) << 8
        | static_cast<std::uint8_t>(m_pending[3]));
    frame.data = m_pending.substr(kFlapHeaderBytes, length);
    m_pending.erase(0, kFlapHeaderBytes + length);
    return platform::Result<FlapFrame, FrameError>(std::move(frame));
}

std::size_t FlapSplitter::bytesWanted() const
{
    if (m_skip > 0)
        return std::min<std::size_t>(m_skip, kMaxFrameData);
    if (m_pending.size() < kFlapHeaderBytes)
        return kFlapHeaderBytes - m_pending.size();
    if (static_cast<std::uint8_t>(m_pending[0]) != kFlapStart)
        return 1; // next() drops this header first.
    const auto whole = kFlapHeaderBytes + std::min(dataLengthOf(m_pending), kMaxFrameData);
    return whole > m_pending.size() ? whole - m_pending.size() : 1;
}

void FlapSplitter::clear()
{
    m_pending.clear();
    m_skip = 0;
}

} // namespace pocket::icq
