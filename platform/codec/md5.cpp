#include "platform/codec/md5.h"

#include <cstring>

namespace platform::codec {

namespace {

    // Per-round shift amounts (RFC 1321 §3.4).
// clang-format off
constexpr std::uint32_t kShifts[64] = {
    7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
    5, 9, 14, 20, 5, 9, 14, 20, 5, 9, 14, 20, 5, 9, 14, 20,
    4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
    6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21,
};

// T[i] = floor(2^32 * abs(sin(i + 1))), tabulated as the RFC does.
constexpr std::uint32_t kSines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};
// clang-format on

std::uint32_t rotateLeft(std::uint32_t value, std::uint32_t bits)
    {
        return (value << bits) | (value >> (32 - bits));
    }

} // namespace

Md5::Md5()
{
    reset();
}

void Md5::reset()
{
    // Initial chaining values (RFC 1321 §3.3), as 32-bit little-endian words.
    m_state = { 0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476 };
    m_bitCount = 0;
    m_buffered = 0;
}

void Md5::transform(const std::uint8_t* block)
{
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = std::uint32_t(block[i * 4]) | std::uint32_t(block[i * 4 + 1]) << 8
            | std::uint32_t(block[i * 4 + 2]) << 16 | std::uint32_t(block[i * 4 + 3]) << 24;
    std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (int i = 0; i < 64; ++i) {
        std::uint32_t f;
        int k;
        if (i < 16) {
            f = (b & c) | (~b & d);
            k = i;
        } else if (i < 32) {
            f = (b & d) | (c & ~d);
            k = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            k = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            k = (7 * i) % 16;
        }
        std::uint32_t next = b + rotateLeft(a + f + kSines[i] + x[k], kShifts[i]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

void Md5::update(std::string_view bytes)
{
    auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t size = bytes.size();
    m_bitCount += std::uint64_t(size) * 8;
    while (size > 0) {
        std::size_t take = std::min(size, m_buffer.size() - m_buffered);
        std::memcpy(m_buffer.data() + m_buffered, data, take);
        m_buffered += take;
        data += take;
        size -= take;
        if (m_buffered == m_buffer.size()) {
            transform(m_buffer.data());
            m_buffered = 0;
        }
    }
}

Md5Digest Md5::finish()
{
    // One 1 bit, zeros up to 56 bytes mod 64, then the bit count (RFC 1321 §3.1-3.2).
    std::uint64_t bits = m_bitCount;
    static const std::uint8_t kPadding[64] = { 0x80 };
    std::size_t padLength = m_buffered < 56 ? 56 - m_buffered : 120 - m_buffered;
    update({ reinterpret_cast<const char*>(kPadding), padLength });
    char length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<char>(bits >> (8 * i));
    update({ length, sizeof length });

    Md5Digest digest;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            digest[i * 4 + j] = static_cast<std::uint8_t>(m_state[i] >> (8 * j));
    reset();
    return digest;
}

Md5Digest md5(std::string_view bytes)
{
    Md5 hasher;
    hasher.update(bytes);
    return hasher.finish();
}

std::string toHex(const Md5Digest& digest)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(32);
    for (auto byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0f];
    }
    return hex;
}

std::string md5Hex(std::string_view bytes)
{
    return toHex(md5(bytes));
}

} // namespace platform::codec
