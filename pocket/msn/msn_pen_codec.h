#pragma once

// File: pocket/msn/msn_pen_codec.h
// Pen messages between handhelds travel inside ordinary MSN text messages:
// after the usual text header comes the byte 0x07, one ASCII digit saying
// what the message is, and for some digits more data. File data goes in
// 390-byte chunks in which NUL, LF and CR are written as "k", "i" and "j",
// so that no chunk holds a line end; the last chunk is padded with "h".
// The ink format never uses the bytes 0x68 to 0x6B, so the letters cannot
// be confused with data. Pure functions; no I/O.

#include <optional>
#include <string>
#include <string_view>

namespace pocket::msn {

constexpr char kPenMark = 0x07;
constexpr std::size_t kChunkBytes = 390;
constexpr std::size_t kSendBufferBytes = 810;
constexpr char kPadding = 'h';
// Written over the first padding byte on receipt: the ink format's
// end-of-message byte.
constexpr char kEndOfInk = 'g';
// Put at the start of the send buffer when the file is exhausted.
constexpr unsigned char kExhausted = 0xB3;

namespace pen_digit {
    constexpr char kStart = '1';
    constexpr char kChunk = '2';
    constexpr char kEnd = '3';
    constexpr char kReady = '4';
    constexpr char kChunkTaken = '5';
    constexpr char kProbe = '7';
    constexpr char kCanTake = '8';
} // namespace pen_digit

// The advertisement after a probe: 0x07, " Visit ", the web address.
std::string probeText(std::string_view visitAddress);

// The text-message payload of a pen message: header, 0x07, digit, data.
std::string penPayload(char digit, std::string_view data = {});

// The "MSG %d N %d\r\n" command with its payload.
std::string messageCommand(int transactionId, std::string_view payload);

// Escapes one chunk buffer for sending.
std::string escapeChunk(std::string_view chunk);

// A pen message's digit and what follows it, from the body of a message
// (the part after the text header). Nothing when it is no pen message.
struct PenMessage {
    char digit = 0;
    std::string data;
};
std::optional<PenMessage> parsePenMessage(std::string_view body);

// The file bytes of a received chunk: over the first 1024 bytes of the
// body (from the 0x07 on) "k", "i" and "j" become NUL, LF and CR; the first
// "h" becomes "g" and ends the unescaping. Returns the kChunkBytes bytes
// after the digit (fewer when the body is shorter).
std::string unescapeChunk(std::string_view body);

} // namespace pocket::msn
