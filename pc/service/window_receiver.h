#pragma once

// File: pc/service/window_receiver.h
// The PC side of a windowed upload of the private link (the frames of
// proto/upload_frames.h) on the file the announcement opened: the start
// frame cuts the file to the offset the handheld continues from (never
// beyond what the PC held), data frames are written in order and
// acknowledged with the total once per read, and the end frame completes
// the upload when every announced byte is there. A frame that breaks the
// rules — an unknown or oversized frame, data before the start or beyond
// the announced size, more than the window beyond the last acknowledgement
// — breaks the upload: what was written stays, for the next try to continue.

#include "proto/upload_frames.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pc::service {

class WindowReceiver {
public:
    enum class Step { Continue, Complete, Cancelled, Broken };
    struct Result {
        Step step = Step::Continue;
        std::string acks; // Frames to send back on the connection.
    };

    // `fd` is open for writing; `held` bytes of it may be continued.
    void begin(int fd, std::uint64_t held, std::uint64_t announced);
    Result onBytes(std::string_view bytes);

    std::uint64_t total() const { return m_total; }
    bool started() const { return m_started; }
    // Why the upload broke, for the log.
    const std::string& fault() const { return m_fault; }

private:
    Step onFrame(const proto::Frame& frame);
    Step broken(std::string why);

    proto::FrameReader m_reader;
    int m_fd = -1;
    std::uint64_t m_held = 0;
    std::uint64_t m_announced = 0;
    std::uint64_t m_total = 0;
    std::uint64_t m_acked = 0;
    bool m_started = false;
    std::string m_fault;
};

} // namespace pc::service
