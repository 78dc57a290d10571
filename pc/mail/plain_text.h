#pragma once

// File: pc/mail/plain_text.h
// Reduces a decoded body (usually HTML) to the plain text of the preview
// mail file. The result uses single line feeds; the ".temp" file stores each
// of them as carriage return plus line feed.
//
//     reduceToPlainText("<p>Hi<br>there&nbsp;!</p>"); // "Hi\nthere!\n"

#include <string>
#include <string_view>

namespace pc::mail {

// Longest piece of body read at a time.
inline constexpr std::size_t kPlainTextPieceBytes = 76;
// The working text that tags and entities are taken out of is cut here.
inline constexpr std::size_t kPlainTextWorkingLimit = 100000;

// The reduction:
//  1. The body is read in pieces of at most 76 bytes (a line break ends a
//     piece). Pieces holding "From: ", "To: ", "Date: ", "Subject: " or
//     "File exist" go to the output at once, unchanged; the others are joined
//     into a working text of at most 100000 bytes.
//  2. Line breaks are removed from the working text.
//  3. Tags are dropped, "<br>" and "<div>" becoming a line feed; entities
//     ("&nbsp;") are dropped and "&&" gives "&". A "<" or "&" that does not
//     start a tag or an entity is kept as text.
//  4. A final line feed ends the output.
[[nodiscard]] std::string reduceToPlainText(std::string_view body);

// Stores line feeds as carriage return plus line feed (a text-mode write).
[[nodiscard]] std::string toCrLf(std::string_view text);

// Reads back what toCrLf stored, at most `maxBytes` bytes of text.
[[nodiscard]] std::string fromCrLf(std::string_view stored, std::size_t maxBytes);

} // namespace pc::mail
