#pragma once

// File: pc/mail/pop3_answer.h
// The byte level of POP3 answers (RFC 1939), apart from any socket:
//   - the single-line check: an answer fails only when it starts with "-ERR"
//     exactly; anything else passes, "+ok" and "-err" included;
//   - MultiLineAnswer, a splitter that collects received chunks until the
//     answer ends with "\r\n.\r\n", with a size limit;
//   - parsers for the STAT, UIDL and LIST answers.
//
//     MultiLineAnswer answer(kDefaultMaxAnswerBytes);
//     while (answer.feed(receive()) == ...NeedMore) { }

#include "platform/result.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pc::mail {

inline constexpr std::size_t kSingleLineBufferBytes = 1024;
inline constexpr std::size_t kMultiLineChunkBytes = 64 * 1024;
inline constexpr std::size_t kDefaultMaxAnswerBytes = 64 * 1024 * 1024;

// The single-line check of one received answer.
[[nodiscard]] bool passesSingleLineCheck(std::string_view answer);

// The first decimal number in a STAT answer ("+OK 3 1200" → 3), or -1.
[[nodiscard]] int parseStatCount(std::string_view response);

// The unique ids of a UIDL answer in answer order: the second token of every
// line behind the status line, up to the line "." alone.
[[nodiscard]] std::vector<std::string> parseUidlAnswer(std::string_view answer);

// The sizes in octets of a LIST answer by message number (RFC 1939 §5:
// "+OK", then "number size" lines, then "."). Lines that do not hold two
// decimal numbers are left out.
[[nodiscard]] std::map<int, std::int64_t> parseListAnswer(std::string_view answer);

enum class MultiLineError {
    ErrAnswer, // The server answered "-ERR" (in any letter case).
    TooLarge, // The answer grew past the limit.
    Truncated, // The connection closed before the terminator.
};

class MultiLineAnswer {
public:
    enum class Progress { NeedMore, Complete };

    explicit MultiLineAnswer(std::size_t maxBytes = kDefaultMaxAnswerBytes);

    // Adds one received chunk, exactly as received.
    [[nodiscard]] platform::Result<Progress, MultiLineError> feed(std::string_view chunk);

    // The connection closed (a receive returned no bytes).
    [[nodiscard]] MultiLineError closed() const;

    // What came so far; after TooLarge, the first maxBytes bytes.
    [[nodiscard]] const std::string& text() const { return m_text; }
    [[nodiscard]] std::string takeText() { return std::move(m_text); }

private:
    std::size_t m_maxBytes;
    std::string m_text;
};

} // namespace pc::mail
