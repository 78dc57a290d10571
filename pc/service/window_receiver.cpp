#include "pc/service/window_receiver.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace pc::service {

namespace {

bool writeAt(int fd, std::string_view bytes, std::uint64_t offset)
{
    while (!bytes.empty()) {
        ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return true;
}

// Cuts the file to `offset` when it is longer. A file that is not cut is
// left alone: on ext4 even a cut to the length it has marks it to be
// flushed on close, which made closing a new upload of a few GB write the
// whole file out on the window thread.
bool cutTo(int fd, std::uint64_t offset)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    if (static_cast<std::uint64_t>(info.st_size) <= offset)
        return true;
    return ::ftruncate(fd, static_cast<off_t>(offset)) == 0;
}

} // namespace

void WindowReceiver::begin(int fd, std::uint64_t held, std::uint64_t announced)
{
    *this = WindowReceiver {};
    m_fd = fd;
    m_held = held;
    m_announced = announced;
}

WindowReceiver::Result WindowReceiver::onBytes(std::string_view bytes)
{
    Result result;
    // The frames are written from the receive itself, not from a copy.
    auto status = m_reader.feedFrames(bytes, [&](const proto::Frame& frame) {
        result.step = onFrame(frame);
        return result.step == Step::Continue;
    });
    if (status == proto::FrameReader::Status::Bad)
        result.step = broken("not a frame");
    // One acknowledgement for everything this read brought.
    if (m_total > m_acked && result.step != Step::Broken) {
        m_acked = m_total;
        result.acks = proto::numberFrame(proto::FrameType::Ack, m_total);
    }
    return result;
}

WindowReceiver::Step WindowReceiver::onFrame(const proto::Frame& frame)
{
    switch (frame.type) {
    case proto::FrameType::Start: {
        auto offset = proto::frameNumber(frame);
        if (m_started || !offset)
            return broken("a second start");
        if (*offset > m_held)
            return broken("start at " + std::to_string(*offset) + " beyond the " + std::to_string(m_held)
                + " bytes held");
        if (!cutTo(m_fd, *offset))
            return broken("cannot cut the file");
        m_started = true;
        m_total = m_acked = *offset;
        return Step::Continue;
    }
    case proto::FrameType::Data:
        if (!m_started)
            return broken("data before the start");
        if (m_total + frame.payload.size() > m_announced)
            return broken("data beyond the announced size");
        if (m_total + frame.payload.size() - m_acked > proto::kWindowBytes)
            return broken("data beyond the window");
        if (!writeAt(m_fd, frame.payload, m_total))
            return broken("cannot write");
        m_total += frame.payload.size();
        return Step::Continue;
    case proto::FrameType::End:
        return m_started && m_total == m_announced ? Step::Complete : broken("end before the last byte");
    case proto::FrameType::Cancel:
        return Step::Cancelled;
    case proto::FrameType::Ack:
        break;
    }
    return broken("an acknowledgement from the handheld");
}

WindowReceiver::Step WindowReceiver::broken(std::string why)
{
    m_fault = std::move(why);
    return Step::Broken;
}

} // namespace pc::service
