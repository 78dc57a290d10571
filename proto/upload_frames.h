#pragma once

// File: proto/upload_frames.h
// The windowed upload of the private link. Both programs offer it at log-in
// on a private (TLS) command connection: the handheld sends the request
// {1, 340, "upload-window"} and a PC that can answers {1, 340,
// "upload-window"} to that connection; a PC that cannot, or a clear
// connection, answers nothing and uploads stay in 1024-byte lock-step.
//
// A windowed upload is announced with 309 as ever, with a fourth line
// "window" ("size\nname\nid\nwindow"). The PC keeps what it already holds
// of that name and answers {0, 309, "<held> <sha256 of the held bytes,
// hex>"}. On the upload connection the handheld then sends frames: a
// 5-byte head (a type letter and a 32-bit big-endian payload length) and
// the payload.
//
//   'S' start at offset (8-byte big-endian): the held length when the
//       handheld's file begins with the held bytes, else 0 (the PC cuts its
//       file there);
//   'D' data, 1 to kMaxDataBytes bytes;
//   'E' end: every byte has been sent;
//   'C' cancel.
//
// The PC acknowledges with frames 'A' carrying the 8-byte big-endian total
// it has written, as often as it likes (after every read, several data
// frames at once). The handheld keeps at most kWindowBytes sent beyond the
// last total acknowledged. A frame of another type or size, data beyond the
// window or beyond the announced size, or a start beyond what the PC holds
// ends the upload with a close; what was written stays for the next try.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace proto {

constexpr std::int32_t kCodeLinkFeatures = 340;
constexpr std::string_view kFeatureUploadWindow = "upload-window";
constexpr std::string_view kAnnounceWindowLine = "window";

constexpr std::size_t kFrameHeadBytes = 5;
constexpr std::size_t kMaxDataBytes = 64 * 1024;
constexpr std::uint64_t kWindowBytes = 16 * kMaxDataBytes;

enum class FrameType : char {
    Start = 'S',
    Data = 'D',
    End = 'E',
    Cancel = 'C',
    Ack = 'A',
};

struct Frame {
    FrameType type = FrameType::Data;
    std::string_view payload;
};

// The head of a frame (its payload follows).
std::string frameHead(FrameType type, std::size_t payloadBytes);
// A whole frame carrying an offset or a total.
std::string numberFrame(FrameType type, std::uint64_t value);
std::optional<std::uint64_t> frameNumber(const Frame& frame);

// Cuts whole frames off the front of a byte stream.
class FrameReader {
public:
    enum class Status { Frame, NeedMore, Bad };
    // Appends received bytes.
    void feed(std::string_view bytes) { m_bytes.append(bytes); }
    // The next whole frame; its payload stays valid until the next feed or next.
    // Bad: an unknown type or a payload longer than the type allows.
    Status next(Frame& frame);
    std::size_t buffered() const { return m_bytes.size() - m_used; }

    // feed() and next() at once for a large receive: every whole frame of
    // what was kept and `bytes` goes to onFrame (its payload valid during
    // the call) until onFrame returns false (then Frame is returned). Only
    // a frame begun and not ended is copied and kept; the frames whole in
    // `bytes` are read where they lie.
    template <class OnFrame>
    Status feedFrames(std::string_view bytes, OnFrame&& onFrame);

private:
    // The bytes the frame begun in the buffer still lacks (0: none begun).
    std::size_t missing() const;

    std::string m_bytes;
    std::size_t m_used = 0;
};

// The whole frame at the front of `bytes`, which is advanced past it.
FrameReader::Status cutFrame(std::string_view& bytes, Frame& frame);

template <class OnFrame>
FrameReader::Status FrameReader::feedFrames(std::string_view bytes, OnFrame&& onFrame)
{
    Frame frame;
    // First the frame begun in an earlier receive, completed from the front.
    while (buffered() > 0) {
        std::string_view more = bytes.substr(0, missing());
        m_bytes.append(more);
        bytes.remove_prefix(more.size());
        Status status = next(frame);
        if (status == Status::Bad)
            return status;
        if (status == Status::NeedMore && bytes.empty())
            return status;
        if (status == Status::Frame && !onFrame(frame)) {
            feed(bytes);
            return status;
        }
    }
    for (;;) {
        Status status = cutFrame(bytes, frame);
        if (status == Status::NeedMore)
            feed(bytes);
        if (status != Status::Frame)
            return status;
        if (!onFrame(frame)) {
            feed(bytes);
            return status;
        }
    }
}

// The announcement's answer text "<held> <hex>" and back.
std::string formatHeldAnswer(std::uint64_t held, std::string_view sha256Hex);
struct HeldAnswer {
    std::uint64_t held = 0;
    std::string sha256Hex;
};
std::optional<HeldAnswer> parseHeldAnswer(std::string_view text);

// Whether the announcement text asks for a windowed upload (fourth line).
bool announcesWindow(std::string_view announcement);

} // namespace proto
