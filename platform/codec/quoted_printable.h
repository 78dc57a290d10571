#pragma once

// File: platform/codec/quoted_printable.h
// Quoted-printable decoding for mail (RFC 2045 §6.7) and the "Q" encoding of
// header encoded words (RFC 2047 §4.2). Both are lenient: malformed input is
// decoded as far as it goes and never fails.
//
//     decodeQuotedPrintable("caf=C3=A9=\r\n!"); // "café!"
//     decodeQEncoding("=ED=95=9C_a");           // "한 a"

#include <string>
#include <string_view>

namespace platform::codec {

// Decodes a quoted-printable body or attachment name:
//   - "=" and two hexadecimal digits (either case) become that byte;
//   - "=" before a line break (CRLF, or a bare LF that some mailers send) is a
//     soft line break and disappears together with the break;
//   - "=" followed by anything else is dropped and the two characters behind
//     it are copied;
//   - "=" with fewer than two characters behind it ends the decoding.
// Every other byte is copied.
[[nodiscard]] std::string decodeQuotedPrintable(std::string_view text);

// Decodes the text of a "Q" encoded word: "=XX" becomes the byte XX and "_"
// stands for a space (RFC 2047 §4.2 (2)); everything else is copied.
[[nodiscard]] std::string decodeQEncoding(std::string_view text);

} // namespace platform::codec
