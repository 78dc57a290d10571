#pragma once

// File: proto/pc_answer.h
// The answer record the PC sends on port 4000: exactly 1032 bytes,
// little-endian: a signed 32-bit first number, a signed 32-bit code and 1024
// bytes of zero-terminated, zero-padded text. Every answer goes out whole as
// one send; the handheld takes each record as one answer.

#include "platform/result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace proto {

constexpr std::size_t kAnswerTextBytes = 1024;
constexpr std::size_t kAnswerBytes = 8 + kAnswerTextBytes;

struct PcAnswer {
    std::int32_t first = 0;
    std::int32_t code = 0;
    std::string text;

    bool operator==(const PcAnswer&) const = default;
};

using AnswerRecord = std::array<char, kAnswerBytes>;

enum class AnswerError {
    Incomplete, // Fewer than kAnswerBytes bytes.
};

// Encodes the record; a text of 1024 bytes or more is cut to 1023 so that the
// terminating zero always fits.
AnswerRecord encodePcAnswer(const PcAnswer& answer);

// Decodes one record from the front of the input; the text ends at its first
// zero byte.
[[nodiscard]] platform::Result<PcAnswer, AnswerError> decodePcAnswer(std::string_view record);

// Collects whole 1032-byte records from a byte stream.
class AnswerSplitter {
public:
    void feed(std::string_view bytes) { m_buffer.append(bytes); }
    std::optional<PcAnswer> next();

private:
    std::string m_buffer;
};

} // namespace proto
