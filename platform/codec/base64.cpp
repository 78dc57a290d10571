#include "platform/codec/base64.h"

#include <array>

namespace platform::codec {
namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kNotInAlphabet = -1;

constexpr std::array<int, 256> makeDecodeTable()
{
    std::array<int, 256> table {};
    for (auto& entry : table)
        entry = kNotInAlphabet;
    for (std::size_t i = 0; i < kAlphabet.size(); ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int>(i);
    return table;
}

constexpr std::array<int, 256> kDecodeTable = makeDecodeTable();

// Collects six bits at a time and emits each complete byte.
class BitAccumulator {
public:
    void add(int sixBits, std::string& out)
    {
        m_bits = (m_bits << 6) | static_cast<unsigned>(sixBits);
        m_count += 6;
        if (m_count >= 8) {
            m_count -= 8;
            out.push_back(static_cast<char>((m_bits >> m_count) & 0xFF));
        }
    }

private:
    unsigned m_bits = 0;
    int m_count = 0;
};

} // namespace

Result<std::string, Base64Error> decodeBase64Strict(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 3 / 4);
    BitAccumulator bits;
    for (char c : text) {
        // The top bit is cleared before the lookup, as the credentials decoder
        // of the web server always did.
        unsigned char byte = static_cast<unsigned char>(c) & 0x7F;
        if (byte == '=')
            continue;
        int value = kDecodeTable[byte];
        if (value == kNotInAlphabet)
            return unexpected(Base64Error::InvalidCharacter);
        bits.add(value, out);
    }
    return out;
}

std::string decodeBase64Lenient(std::string_view text)
{
    // RFC 2045 §6.8: characters outside the alphabet are ignored. Where four
    // alphabet characters follow each other at a group boundary (nearly
    // everywhere in a mail body) they become three bytes in one step; line
    // breaks, padding and other bytes go through the six-bit path.
    std::string out(text.size() / 4 * 3 + 3, '\0');
    char* target = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    unsigned bits = 0;
    int sextets = 0; // Collected since the last whole group.
    while (p < end) {
        if (sextets == 0 && end - p >= 4) {
            int a = kDecodeTable[p[0]];
            int b = kDecodeTable[p[1]];
            int c = kDecodeTable[p[2]];
            int d = kDecodeTable[p[3]];
            if ((a | b | c | d) >= 0) {
                unsigned group = (static_cast<unsigned>(a) << 18) | (static_cast<unsigned>(b) << 12)
                    | (static_cast<unsigned>(c) << 6) | static_cast<unsigned>(d);
                target[0] = static_cast<char>(group >> 16);
                target[1] = static_cast<char>(group >> 8);
                target[2] = static_cast<char>(group);
                target += 3;
                p += 4;
                continue;
            }
        }
        int value = kDecodeTable[*p++];
        if (value == kNotInAlphabet)
            continue;
        bits = (bits << 6) | static_cast<unsigned>(value);
        if (++sextets == 4) {
            target[0] = static_cast<char>(bits >> 16);
            target[1] = static_cast<char>(bits >> 8);
            target[2] = static_cast<char>(bits);
            target += 3;
            bits = 0;
            sextets = 0;
        }
    }
    // A truncated group gives its whole bytes; the left-over bits are dropped.
    if (sextets == 2) {
        *target++ = static_cast<char>(bits >> 4);
    } else if (sextets == 3) {
        *target++ = static_cast<char>(bits >> 10);
        *target++ = static_cast<char>(bits >> 2);
    }
    out.resize(static_cast<std::size_t>(target - out.data()));
    return out;
}

std::string encodeBase64(std::string_view bytes, Base64Lines lines)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4 + bytes.size() / 57 * 2 + 2);
    std::size_t lineChars = 0;
    auto put = [&](char c) {
        if (lines == Base64Lines::Mime && lineChars == kBase64MimeLineLength) {
            out += "\r\n";
            lineChars = 0;
        }
        out.push_back(c);
        ++lineChars;
    };
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        unsigned group = (static_cast<unsigned char>(bytes[i]) << 16)
            | (static_cast<unsigned char>(bytes[i + 1]) << 8) | static_cast<unsigned char>(bytes[i + 2]);
        put(kAlphabet[(group >> 18) & 0x3F]);
        put(kAlphabet[(group >> 12) & 0x3F]);
        put(kAlphabet[(group >> 6) & 0x3F]);
        put(kAlphabet[group & 0x3F]);
    }
    std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2)
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        put(kAlphabet[(group >> 18) & 0x3F]);
        put(kAlphabet[(group >> 12) & 0x3F]);
        put(rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : '=');
        put('=');
    }
    return out;
}

} // namespace platform::codec
