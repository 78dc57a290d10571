#pragma once

// File: pocket/icq/message_charset.h
// Received ICQ texts into UTF-8. A channel-1 message names the charset of its
// text (0 ASCII, 2 UCS-2 big-endian, 3 a local 8-bit code page); every other
// text (channel-4 and offline messages, nicks and names) is in a local 8-bit
// code page, which peers do not name. Local text is read in the handheld's
// code page when it reads there without an invalid byte, else in UTF-8, else
// in CP949, else in Latin-1, which reads anything. Pure.

#include <cstdint>
#include <string>
#include <string_view>

namespace pocket::icq {

// The charset field of a channel-1 message's text.
constexpr std::uint16_t kCharsetAscii = 0;
constexpr std::uint16_t kCharsetUcs2 = 2;
constexpr std::uint16_t kCharsetLocal = 3;

// Local 8-bit text, as above.
std::string decodeLocalText(std::string_view bytes, std::string_view codePage);

// A message's text up to its terminator (a NUL byte, or a zero UCS-2 unit),
// by its charset; charsets other than UCS-2 read as local text.
std::string decodeMessageText(std::string_view bytes, std::uint16_t charset, std::string_view codePage);

} // namespace pocket::icq
