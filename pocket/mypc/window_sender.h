#pragma once

// File: pocket/mypc/window_sender.h
// The sending side of a windowed upload (proto/upload_frames.h), without
// the socket: decides where to start from the PC's held answer (the held
// length when the PC's SHA-256 of it matches this file's beginning, else
// 0), then hands out the start frame, data frames of up to 64 KiB while
// fewer than kWindowBytes are unacknowledged, and the end frame after the
// last byte. Acknowledgements may arrive split over receives or several in
// one; each carries the total the PC has written.
//
//     WindowSender sender;
//     sender.open(path);
//     send(sender.start(held));
//     while (auto frames = sender.nextFrames(); frames && !frames->empty()) send(*frames);
//     ... sender.onReceived(bytes) on each receipt, then nextFrames() again.

#include "proto/upload_frames.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::mypc {

class WindowSender {
public:
    WindowSender() = default;
    ~WindowSender();
    WindowSender(const WindowSender&) = delete;
    WindowSender& operator=(const WindowSender&) = delete;

    bool open(const std::filesystem::path& file);
    void close();
    bool isOpen() const { return m_file != nullptr; }

    // The start frame for what the PC holds; positions the file there.
    // Compares the PC's part with this file's beginning at once (see
    // mayContinue for doing that elsewhere).
    std::optional<std::string> start(const proto::HeldAnswer& held);
    // Whether the PC's part could be this file's beginning: then the
    // SHA-256 of the first held.held bytes of fd() decides.
    bool mayContinue(const proto::HeldAnswer& held) const;
    // The start frame for a start at `from` (0, or a held length found to
    // be this file's beginning); positions the file there.
    std::optional<std::string> startAt(std::uint64_t from);
    int fd() const { return m_file ? fileno(m_file) : -1; }

    // The frames the window allows now (empty: wait for an acknowledgement
    // or, after the end frame, for nothing); nullopt when the file cannot
    // be read. The bytes stay valid until the next call: the file is read
    // straight into one buffer kept for the whole upload.
    std::optional<std::string_view> nextFrames();

    // Bytes from the PC. False when they are not acknowledgements of what
    // was sent (another frame, a total beyond the bytes sent or going back).
    bool onReceived(std::string_view bytes);

    std::uint64_t size() const { return m_size; }
    std::uint64_t offset() const { return m_offset; } // Where this try began.
    std::uint64_t sent() const { return m_sent; }
    std::uint64_t acknowledged() const { return m_acked; }
    bool endSent() const { return m_endSent; }
    int percent() const;

private:
    std::FILE* m_file = nullptr;
    std::uint64_t m_size = 0;
    std::uint64_t m_offset = 0;
    std::uint64_t m_sent = 0;
    std::uint64_t m_acked = 0;
    bool m_endSent = false;
    proto::FrameReader m_acks;
    std::unique_ptr<char[]> m_frames; // A window's data frames and the end frame.
};

} // namespace pocket::mypc
