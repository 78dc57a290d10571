#pragma once

// File: proto/pc_answer.h
// The answer record the PC sends on port 4000: exactly 1032 bytes,
// little-endian: a signed 32-bit first number, a signed 32-bit code and 1024
// bytes of zero-terminated, zero-padded text. Every answer goes out whole as
// one send; the handheld takes each record as one answer.
//
// A detail may follow the text's terminating zero, itself zero-terminated,
// in the padding: a handheld that reads the text only never sees it, and
// this program's handheld shows it beside the message the text selects (why
// a mail could not be sent, which account failed a check).

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
    PcAnswer() = default;
    PcAnswer(std::int32_t first, std::int32_t code, std::string text, std::string detail = {})
        : first(first)
        , code(code)
        , text(std::move(text))
        , detail(std::move(detail))
    {
    }

    std::int32_t first = 0;
    std::int32_t code = 0;
    std::string text;
    // Carried after the text's zero; empty when there is none.
    std::string detail;

    bool operator==(const PcAnswer&) const = default;
};

using AnswerRecord = std::array<char, kAnswerBytes>;

enum class AnswerError {
    Incomplete, // Fewer than kAnswerBytes bytes.
};

// Encodes the record; a text of 1024 bytes or more is cut to 1023 so that the
// terminating zero always fits. The detail gets what room is left after the
// text's zero, less its own zero; it is cut byte-wise, so callers cut it at a
// character boundary first (cutDetail) when it may be long.
AnswerRecord encodePcAnswer(const PcAnswer& answer);

// The bytes of `detail` that fit behind `textBytes` bytes of text.
[[nodiscard]] std::size_t detailRoom(std::size_t textBytes);

// Decodes one record from the front of the input; the text ends at its first
// zero byte, the detail at the next one.
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
