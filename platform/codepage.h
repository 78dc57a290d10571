#pragma once

// File: platform/codepage.h
// Text encodings. Inside the programs every string is UTF-8; the "ANSI code
// page" of a program is a setting ("UTF-8" by default, "CP949" for legacy
// peers), and mail text arrives in whatever charset it declares. Conversion
// uses iconv and never fails outright: a character the target cannot hold
// becomes "?" (as WideCharToMultiByte writes its default character), and a
// byte that is not valid in the source becomes U+FFFD (to UTF-8) or "?".
//
//     auto wire = platform::fromUtf8("안녕", "CP949");     // "\xbe\xc8\xb3\xe7"
//     auto text = platform::charsetToUtf8(body, "ks_c_5601-1987");

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

constexpr std::string_view kUtf8 = "UTF-8";
constexpr std::string_view kCp949 = "CP949";

// Between UTF-8 and a code page named as iconv knows it. An unknown code page
// leaves the text unchanged.
std::string toUtf8(std::string_view bytes, std::string_view codePage);
std::string fromUtf8(std::string_view text, std::string_view codePage);

// The iconv name for a MIME charset label, or "" when the label is empty or
// unknown. The Korean labels "ks_c_5601-1987", "ks_c_5601", "euc-kr" and
// "x-windows-949" all read as CP949, of which EUC-KR is a subset.
std::string charsetName(std::string_view label);

// Mail text in a declared charset, to UTF-8; an empty or unknown label passes
// the bytes through unchanged.
std::string charsetToUtf8(std::string_view bytes, std::string_view label);
// Mail text in a declared charset, to a program's code page.
std::string charsetToCodePage(std::string_view bytes, std::string_view label, std::string_view codePage);

// UTF-8 helpers. A byte that does not start a valid sequence counts as one
// code point of its own, so damaged text is still cut safely.
std::size_t countCodePoints(std::string_view text);
// The longest front of `text` with at most `limit` code points.
std::string_view cutCodePoints(std::string_view text, std::size_t limit);
// The longest front of `text` with at most `limit` bytes that does not end in
// the middle of a character.
std::string_view cutBytes(std::string_view text, std::size_t limit);
bool isValidUtf8(std::string_view text);

// The longest front of text in `codePage` with at most `limit` bytes that does
// not end inside a character: UTF-8 and the double-byte code pages (CP949,
// EUC-KR, CP936, CP932, CP950 ...) are walked from the front, a lead byte of
// 0x81 or above taking its trail byte along; other code pages are cut anywhere.
std::string_view cutAnsi(std::string_view text, std::size_t limit, std::string_view codePage);

// Whether the name is UTF-8's ("UTF-8", "utf8"; an empty name counts too).
bool isUtf8CodePage(std::string_view codePage);
// Whether iconv converts between UTF-8 and `codePage` both ways.
bool isKnownCodePage(std::string_view codePage);
// The length in bytes of UTF-8 `text` once written in `codePage`.
std::size_t encodedSize(std::string_view text, std::string_view codePage);

} // namespace platform
