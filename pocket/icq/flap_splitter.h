#pragma once

// File: pocket/icq/flap_splitter.h
// Cuts the ICQ connection's byte stream into FLAP frames. The link feeds it
// what a receive brought and asks bytesWanted() how much to receive next, so
// that one readiness message takes at most one frame off the socket and a
// frame split over several segments is kept until it is whole.

#include "platform/result.h"
#include "pocket/icq/flap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::icq {

struct FlapFrame {
    std::uint8_t channel = 0;
    std::uint16_t sequence = 0;
    std::string data;
};

enum class FrameError {
    BadStart, // The header did not start with 0x2A; its six bytes are dropped.
    TooLarge, // The data length is over kMaxFrameData; the data is skipped.
};

class FlapSplitter {
public:
    // No frame this client takes part in comes near this size; a longer one
    // is read and thrown away so that the stream stays in step.
    static constexpr std::size_t kMaxFrameData = 8192;

    void feed(std::string_view bytes);

    // A whole frame, a frame that was refused, or nothing while more bytes
    // are needed.
    std::optional<platform::Result<FlapFrame, FrameError>> next();

    // How many bytes finish the header or the frame being read (at least 1).
    std::size_t bytesWanted() const;

    void clear();

private:
    void dropSkipped();

    std::string m_pending;
    std::size_t m_skip = 0; // Data bytes of an oversized frame still to drop.
};

} // namespace pocket::icq
