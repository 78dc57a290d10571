#pragma once

// File: pc/mail/encoded_words.h
// Decodes RFC 2047 encoded words in header values ("=?euc-kr?B?x9GxuQ==?=").
// Every encoded word of a value is decoded; the bytes of adjacent words in
// the same charset are joined before charset conversion, so a Korean
// character that a mailer split across two words survives; white space
// between two encoded words is dropped (RFC 2047 §6.2) and other plain text
// is kept as it stands.

#include <string>
#include <string_view>

namespace pc::mail {

struct DecodedHeader {
    std::string text; // In the PC's code page.
    bool hadEncodedWord = false;
};

// Decodes all encoded words of `value`. A word whose "?=" is missing runs to
// the end of the value and is decoded as far as it goes. Text outside the
// words is read as charset.h's undeclaredHeaderText() reads it, with the
// message's declared charset; the result is always valid UTF-8.
[[nodiscard]] DecodedHeader decodeEncodedWords(std::string_view value, std::string_view declaredCharset = {});

} // namespace pc::mail
