#pragma once

// File: proto/pc_request.h
// The command text the handheld sends on port 4000: the ASCII text
// "0xx0:%d 0xx1:%d 0xx2:%s" (first number, command code, text argument)
// followed by one NUL byte. The PC reads one request per receive of at most
// 1024 bytes, so a formatted request, NUL included, never exceeds 1024 bytes.
//
//     std::string wire = formatPcRequest({12, kCodeListFolder, "C:\\"});
//     auto parsed = parsePcRequest(wire); // {12, 306, "C:\"}

#include "platform/result.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace proto {

struct PcRequest {
    std::int32_t first = 0;
    std::int32_t code = 0;
    std::string text;

    bool operator==(const PcRequest&) const = default;
};

// Largest request on the wire, terminating NUL included.
constexpr std::size_t kMaxRequestBytes = 1024;

enum class RequestError {
    MissingMarker, // One of "0xx0:", "0xx1:", "0xx2:" is absent or out of order.
    BadNumber,     // The first number or the code is not a decimal number.
};

// Formats the request and its terminating NUL; a text that would make the
// request longer than kMaxRequestBytes is cut.
std::string formatPcRequest(const PcRequest& request);

// Parses one request. The text argument runs from after "0xx2:" to the first
// NUL byte or the end of the input, so zero padding after it is ignored.
// Spaces around the two numbers are ignored.
[[nodiscard]] platform::Result<PcRequest, RequestError> parsePcRequest(std::string_view received);

// Splits the command stream at NUL bytes, so that a request split over two
// receives, or two requests in one receive, come out once and whole. A unit
// that grows past kMaxRequestBytes without a NUL is cut there and handed out,
// so a peer that never sends a NUL cannot grow the buffer without bound.
class RequestSplitter {
public:
    void feed(std::string_view bytes);
    // The next whole unit, without its NUL; empty units (runs of NUL
    // padding) are skipped.
    std::optional<std::string> next();
    std::size_t buffered() const { return m_buffer.size() - m_offset; }

private:
    std::string m_buffer;
    std::size_t m_offset = 0;
};

} // namespace proto
