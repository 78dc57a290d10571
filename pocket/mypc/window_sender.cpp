#include "pocket/mypc/window_sender.h"

#include "platform/tls/file_digest.h"
#include "pocket/mypc/source_file.h"

#include <algorithm>
#include <cstring>
#include <sys/types.h>

namespace pocket::mypc {

WindowSender::~WindowSender()
{
    close();
}

bool WindowSender::open(const std::filesystem::path& file)
{
    close();
    m_size = m_offset = m_sent = m_acked = 0;
    m_endSent = false;
    m_acks = proto::FrameReader {};
    auto source = openSourceFile(file);
    if (!source)
        return false;
    m_file = source->file;
    m_size = source->size;
    return true;
}

void WindowSender::close()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

std::optional<std::string> WindowSender::start(const proto::HeldAnswer& held)
{
    if (!m_file)
        return std::nullopt;
    // The PC's part continues only when it is this file's beginning.
    bool continues = mayContinue(held) && platform::sha256OfPrefix(fileno(m_file), held.held) == held.sha256Hex;
    return startAt(continues ? held.held : 0);
}

bool WindowSender::mayContinue(const proto::HeldAnswer& held) const
{
    return m_file && held.held > 0 && held.held <= m_size;
}

std::optional<std::string> WindowSender::startAt(std::uint64_t from)
{
    if (!m_file || from > m_size)
        return std::nullopt;
    m_offset = from;
    if (::fseeko(m_file, static_cast<off_t>(m_offset), SEEK_SET) != 0)
        return std::nullopt;
    m_sent = m_acked = m_offset;
    return proto::numberFrame(proto::FrameType::Start, m_offset);
}

std::optional<std::string_view> WindowSender::nextFrames()
{
    // At most a window of full data frames, and the end frame.
    constexpr std::size_t kMostFrames = proto::kWindowBytes / proto::kMaxDataBytes;
    constexpr std::size_t kBufferBytes = proto::kWindowBytes + (kMostFrames + 1) * proto::kFrameHeadBytes;
    if (m_endSent)
        return std::string_view();
    if (!m_frames)
        m_frames = std::make_unique_for_overwrite<char[]>(kBufferBytes);
    char* frames = m_frames.get();
    std::size_t length = 0;
    while (m_sent < m_size && m_sent - m_acked + proto::kMaxDataBytes <= proto::kWindowBytes) {
        if (!m_file)
            return std::nullopt;
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(proto::kMaxDataBytes, m_size - m_sent));
        std::string head = proto::frameHead(proto::FrameType::Data, want);
        std::memcpy(frames + length, head.data(), head.size());
        length += head.size();
        if (std::fread(frames + length, 1, want, m_file) != want) {
            close();
            return std::nullopt;
        }
        length += want;
        m_sent += want;
    }
    if (m_sent == m_size) {
        std::string end = proto::frameHead(proto::FrameType::End, 0);
        std::memcpy(frames + length, end.data(), end.size());
        length += end.size();
        m_endSent = true;
        close();
    }
    return std::string_view(frames, length);
}

bool WindowSender::onReceived(std::string_view bytes)
{
    m_acks.feed(bytes);
    proto::Frame frame;
    proto::FrameReader::Status status;
    while ((status = m_acks.next(frame)) == proto::FrameReader::Status::Frame) {
        auto total = proto::frameNumber(frame);
        if (frame.type != proto::FrameType::Ack || !total || *total < m_acked || *total > m_sent)
            return false;
        m_acked = *total;
    }
    return status != proto::FrameReader::Status::Bad;
}

int WindowSender::percent() const
{
    if (m_size == 0)
        return 100;
    return static_cast<int>(std::min<std::uint64_t>(m_sent * 100 / m_size, 100));
}

} // namespace pocket::mypc
