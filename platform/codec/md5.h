#pragma once

// File: platform/codec/md5.h
// The MD5 message digest (RFC 1321), used by the MSN challenge log-in.
// Incremental: feed any number of chunks, then finish once.
//
//     auto hex = platform::codec::md5Hex("abc"); // "900150983cd24fb0d6963f7d28e17f72"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::codec {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
public:
    Md5();

    void update(std::string_view bytes);
    // Pads, appends the length (RFC 1321 §3.1-3.2) and returns the digest.
    // The object is reset afterwards and may hash another message.
    Md5Digest finish();

private:
    void transform(const std::uint8_t* block);
    void reset();

    std::array<std::uint32_t, 4> m_state {};
    std::uint64_t m_bitCount = 0;
    std::array<std::uint8_t, 64> m_buffer {};
    std::size_t m_buffered = 0;
};

Md5Digest md5(std::string_view bytes);

// The digest as 32 lower-case hexadecimal digits.
std::string md5Hex(std::string_view bytes);
std::string toHex(const Md5Digest& digest);

} // namespace platform::codec
