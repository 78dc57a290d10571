#pragma once

// File: platform/codec/percent_encoding.h
// Percent-encoded text ("%XX" for a byte), as in request URLs (RFC 3986 §2.1)
// and extended mail parameters (RFC 2231 §4).
//
//     percentDecode("a%20b%2"); // "a b%2"
//     percentEncode("a b/c", "/"); // "a%20b/c"

#include <string>
#include <string_view>

namespace platform::codec {

// The value of one hexadecimal digit (either case), or -1.
[[nodiscard]] int hexDigitValue(char c);

// Replaces each "%" with two hexadecimal digits by that byte, once. A "%" not
// followed by two hexadecimal digits stays; "+" stays.
[[nodiscard]] std::string percentDecode(std::string_view text);

// Writes every byte as "%XX" (upper-case digits) except the unreserved
// characters of RFC 3986 §2.3 (letters, digits, "-", ".", "_", "~") and the
// characters in `keep`.
[[nodiscard]] std::string percentEncode(std::string_view text, std::string_view keep = {});

} // namespace platform::codec
