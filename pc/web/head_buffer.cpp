#include "pc/web/head_buffer.h"

#include <algorithm>

namespace pc::web {
namespace {

constexpr std::size_t kReadChunk = 4096;

} // namespace

HeadBuffer::State HeadBuffer::feed(std::string_view bytes)
{
    if (m_state != State::Incomplete)
        return m_state;
    // The terminator may straddle the previous chunk and this one.
    std::size_t searchFrom = m_held.size() >= kHeadTerminator.size() - 1 ? m_held.size() - (kHeadTerminator.size() - 1) : 0;
    std::size_t limit = kMaxHeadBytes + kHeadTerminator.size();
    m_held.append(bytes.substr(0, std::min(bytes.size(), limit - m_held.size())));
    std::size_t found = m_held.find(kHeadTerminator, searchFrom);
    if (found != std::string::npos && found <= kMaxHeadBytes) {
        m_headLength = found;
        m_state = State::Complete;
    } else if (m_held.size() >= limit) {
        m_state = State::TooLarge;
    }
    return m_state;
}

std::string_view HeadBuffer::head() const
{
    if (m_state != State::Complete)
        return {};
    return std::string_view(m_held).substr(0, m_headLength);
}

std::size_t HeadBuffer::readHint() const
{
    std::size_t limit = kMaxHeadBytes + kHeadTerminator.size();
    return std::min(kReadChunk, limit - std::min(limit, m_held.size()));
}

} // namespace pc::web
