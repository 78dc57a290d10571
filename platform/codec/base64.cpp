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
    std::string out;
    out.reserve(text.size() * 3 / 4);
    BitAccumulator bits;
    for (char c : text) {
        int value = kDecodeTable[static_cast<unsigned char>(c)];
        // RFC 2045 §6.8: characters outside the alphabet are ignored.
        if (value != kNotInAlphabet)
            bits.add(value, out);
    }
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
