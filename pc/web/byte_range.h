#pragma once

// File: pc/web/byte_range.h
// The Range header of a GET (RFC 7233), for handhelds that continue a cut
// download. One range of bytes is served as 206 Partial Content: "a-b",
// "a-" (to the end) or "-n" (the last n bytes); a last byte past the end is
// cut to the end. A range that starts at or beyond the end of the file is
// 416. Everything else — another unit, a malformed value, several ranges
// (overlapping or not) — is ignored and the whole file is sent with 200,
// which §3.1 allows a server to do with any Range header. Pure.

#include <cstdint>
#include <string>
#include <string_view>

namespace pc::web {

struct ByteRange {
    enum class Kind {
        Whole, // Ignore the header: 200 with the whole file.
        Partial, // 206 with bytes first..last.
        Unsatisfiable, // 416.
    };
    Kind kind = Kind::Whole;
    std::uint64_t first = 0;
    std::uint64_t last = 0; // Inclusive.

    std::uint64_t length() const { return last - first + 1; }
    bool operator==(const ByteRange&) const = default;
};

// Limits the digits of a position: more than this is malformed, not a huge number.
inline constexpr std::size_t kMaxRangeDigits = 19;

ByteRange parseByteRange(std::string_view value, std::uint64_t fileSize);

// "bytes 0-99/1234" for a 206, "bytes */1234" for a 416.
std::string contentRangeValue(const ByteRange& range, std::uint64_t fileSize);

} // namespace pc::web
