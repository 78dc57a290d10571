#pragma once

// File: pocket/msn/msn_wire.h
// The MSNP5 stream as the handheld reads it: lines ended by CRLF, each a
// list of fields separated by single spaces (field 1 is the command), and
// MSG lines followed by a payload whose byte length is the line's last
// field. Pure codecs: the splitter takes any chunk and hands out whole
// units; nothing here touches a socket.
//
//     MsnSplitter splitter;
//     splitter.feed("MSG Hotmail Hotmail 5\r\nhello");
//     auto unit = splitter.next(); // line "MSG Hotmail Hotmail 5", payload "hello"

#include "platform/result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::msn {

// Limits of what a peer may send: a line (without CRLF) and a MSG payload.
constexpr std::size_t kMaxLineBytes = 2048;
constexpr std::size_t kMaxPayloadBytes = 8192;
// A line's text is read as at most this many characters.
constexpr std::size_t kMaxLineChars = 1024;

struct MsnUnit {
    std::string line; // Without its CRLF.
    std::optional<std::string> payload; // MSG lines only.
};

enum class MsnStreamError {
    LineTooLong,
    PayloadTooLarge,
};

class MsnSplitter {
public:
    void feed(std::string_view bytes);
    // The next whole unit, nothing while one is incomplete, or an error
    // after which the stream is of no further use.
    [[nodiscard]] platform::Result<std::optional<MsnUnit>, MsnStreamError> next();
    void clear();
    std::size_t buffered() const { return m_buffer.size() - m_start; }

private:
    std::string m_buffer;
    std::size_t m_start = 0;
    std::optional<std::string> m_pendingLine; // A MSG line waiting for its payload.
    std::size_t m_pendingLength = 0;
};

// The fields of a line. Two spaces in a row give an empty field; a line of
// more than kMaxLineChars characters is cut first.
std::vector<std::string> splitFields(std::string_view line);

// Field n (1-based: field 1 is the command), "" when the line is shorter.
std::string_view fieldAt(const std::vector<std::string>& fields, std::size_t n);

// A friendly name as the server sends it: up to a line feed, every "%20"
// read as a space; no other escape is decoded.
std::string decodeName(std::string_view field);

// A friendly name for REA: every space written as "%20", at most 1023 bytes.
std::string encodeName(std::string_view name);

// The payload length of a MSG line (its last field), or nothing when the
// line is not a MSG line or the length is not a number.
std::optional<std::size_t> messageLength(std::string_view line);

// The answer to the MD5 challenge: the challenge is cut before its first
// character below "." (or at 256 characters), the password appended, and
// the MD5 digest of that text returned as 32 lower-case hex digits.
std::string challengeAnswer(std::string_view challenge, std::string_view password);

// The header every text message of this client starts with (108 bytes).
constexpr std::string_view kTextHeader = "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                                         "X-MMS-IM-Format: FN=; EF=; CO=0; CS=0; PF=22\r\n\r\n";

// The body of a message payload: what follows the blank line that ends its
// MIME header, or the whole payload when it has none.
std::string_view messageBody(std::string_view payload);

} // namespace pocket::msn
