#pragma once

// File: pocket/device/vcard.h
// The device's contact store is a vCard 3.0 file (RFC 2426). This codec reads
// and writes the few properties the handheld uses (N, FN, the first EMAIL,
// CATEGORIES) and keeps every other line of a card as it stood, so contacts
// written by other programs survive a rewrite. Pure: no files.
//
//     auto cards = parseVCards(text);
//     cards.push_back(card);
//     std::string out = formatVCards(cards);

#include <string>
#include <string_view>
#include <vector>

namespace pocket::device {

struct VCard {
    std::string familyName; // N, first component.
    std::string givenName; // N, second component.
    std::string formattedName; // FN.
    std::string email; // The first EMAIL property.
    std::string category; // CATEGORIES as one text (the list unescaped, joined by ",").
    // Unfolded lines of other properties, written back unchanged.
    std::vector<std::string> otherLines;
};

// Reads every BEGIN:VCARD ... END:VCARD block. Lenient: accepts bare LF,
// lower-case names and both folding styles; lines outside a card are
// skipped; a card cut off by the end of the text is kept.
std::vector<VCard> parseVCards(std::string_view text);

// Writes cards with CRLF line ends, folded at 75 octets without splitting a
// UTF-8 sequence (RFC 2426 §2.6, RFC 2425 §5.8.1).
std::string formatVCards(const std::vector<VCard>& cards);

// Text-value escaping of RFC 2426 §4: backslash, comma, semicolon, newline.
std::string escapeText(std::string_view text);
std::string unescapeText(std::string_view text);

} // namespace pocket::device
