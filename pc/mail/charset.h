#pragma once

// File: pc/mail/charset.h
// Converts decoded mail text from the charset its sender declared into the
// program's inner text encoding (UTF-8); the mail store writes it for the
// handheld in the handheld's code page. Labels are matched with the aliases Korean mail
// uses: "ks_c_5601-1987" and EUC-KR are read as CP949 (its superset), and
// ISO-2022-KR is decoded as itself. Undeclared and unknown charsets pass
// through unchanged. The conversion itself is platform/codepage's.
//
//     toPcCodePage("\xC7\xD1", "ks_c_5601-1987"); // "한"

#include <string>
#include <string_view>

namespace pc::mail {

// The encoding decoded mail text is kept in inside the program.
inline constexpr std::string_view kPcCodePage = "UTF-8";

// Maps a declared charset label to the name iconv knows it by; an empty
// result means "pass through" (no label, US-ASCII, or the PC's own code page).
[[nodiscard]] std::string iconvCharsetName(std::string_view label);

// Converts `bytes` from `charset` into the PC's code page. A byte that is
// invalid in the source charset becomes U+FFFD and conversion goes on behind
// it; an unknown charset returns the bytes unchanged.
[[nodiscard]] std::string toPcCodePage(std::string_view bytes, std::string_view charset);
// The same for a decoded buffer that is no longer needed: text that passes
// through is moved, not copied.
[[nodiscard]] std::string toPcCodePage(std::string&& bytes, std::string_view charset);

// Header text as it came, outside encoded words: RFC 2047 allows no 8-bit
// bytes there, yet Korean mailers wrote raw EUC-KR. Such text is read in
// the charset the message declares (`declaredCharset`, its top-level or
// first part's "charset=") when there is one, else as UTF-8 when it is
// valid UTF-8, else as CP949, the Korean legacy default. The result is
// always valid UTF-8; ASCII comes back as it is.
[[nodiscard]] std::string undeclaredHeaderText(std::string_view bytes, std::string_view declaredCharset);

// Text that must be UTF-8 (the mail files the handheld reads are written
// from it): kept when it is valid UTF-8, else read as CP949.
[[nodiscard]] std::string validUtf8(std::string text);

} // namespace pc::mail
