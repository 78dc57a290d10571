#pragma once

// File: pocket/ink/ink_codec.h
// The ".ink" file format: the bytes of a message in order, tokens as one
// byte, points as four bytes (x / 100, x % 100, y / 100, y % 100), and the
// end byte "g" last. There is no header, length or checksum; bytes after the
// "g" (padding of chunked transfers) are ignored.
//
//     std::string bytes = encodeInk(message);
//     auto back = decodeInk(bytes); // back == message for recorded messages
//
// Pure functions: no I/O, no clock.

#include "platform/result.h"
#include "pocket/ink/ink_message.h"

#include <string>
#include <string_view>

namespace pocket::ink {

enum class ReadError {
    Missing, // The file could not be opened.
    InvalidEnd, // The data ended before "g", or in the middle of a point.
};

// The message box text of a read failure (title "Quillon").
std::string_view readErrorText(ReadError error);

// Writes the message. A stroke left open (its last point followed directly
// by the next "e", or by the end of the message) is closed with "f" after
// that point, so the file always holds complete strokes.
std::string encodeInk(const InkMessage& message);

// Reads items up to the first "g". Never looks at bytes past the input's
// end; a missing "g" or a point cut short gives ReadError::InvalidEnd.
// The "g" itself is not kept in the message.
[[nodiscard]] platform::Result<InkMessage, ReadError> decodeInk(std::string_view bytes);

} // namespace pocket::ink
