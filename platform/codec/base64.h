#pragma once

// File: platform/codec/base64.h
// Base64 with the standard alphabet (RFC 4648 §4), in the three flavours the
// programs need:
//   - decodeBase64Strict: the web server's decoder for Basic credentials. Each
//     byte is looked up with its top bit cleared, "=" is skipped, and any other
//     byte outside the alphabet fails the whole decode.
//   - decodeBase64Lenient: the RFC 2045 §6.8 decoder for mail bodies. Bytes
//     outside the alphabet (line breaks, spaces, "=") are skipped.
//   - encodeBase64: with optional 76-column lines ended by CRLF.
//
//     auto text = decodeBase64Strict("dXNlcjpwdw=="); // "user:pw"

#include "platform/result.h"

#include <string>
#include <string_view>

namespace platform::codec {

enum class Base64Error {
    InvalidCharacter,
};

enum class Base64Lines {
    None, // One unbroken line.
    Mime, // A CRLF after every 76 characters (RFC 2045 §6.8); none after the last line.
};

constexpr std::size_t kBase64MimeLineLength = 76;

// Decodes strictly. Six bits per character are accumulated and every whole
// byte is emitted; left-over bits of a truncated group are dropped.
[[nodiscard]] Result<std::string, Base64Error> decodeBase64Strict(std::string_view text);

// Decodes leniently: never fails, skips everything outside the alphabet.
[[nodiscard]] std::string decodeBase64Lenient(std::string_view text);

// Encodes with "=" padding.
[[nodiscard]] std::string encodeBase64(std::string_view bytes, Base64Lines lines = Base64Lines::None);

} // namespace platform::codec
