#pragma once

// File: pc/mail/mime_header.h
// Reading MIME header fields and their parameters (RFC 2045, RFC 2231) for
// the top-level header of a message and for the header of each part.
//
//     auto type = ContentType::parse(mimeField(header, "Content-Type:"));
//     auto boundary = mimeParameter(header, "boundary");

#include <string>
#include <string_view>

namespace pc::mail {

// Top-level media type codes.
enum class MediaType {
    Text = 1,
    Image = 2,
    Audio = 3,
    Video = 4,
    Application = 5,
    Message = 6,
    Multipart = 7,
    Other = 10,
};

struct ContentType {
    std::string type; // Lower case, trimmed; empty without "/".
    std::string subtype; // Lower case, trimmed; empty without "/".

    // Splits a Content-Type value: the type is the text before "/", the
    // subtype the text up to the first ";" behind it.
    static ContentType parse(std::string_view value);
};

// The value of a header field named with its colon ("Content-Type:"): found
// at the start of a line ignoring case, running to the end of the field, line
// breaks removed, tabs as spaces, trimmed. Empty when missing.
[[nodiscard]] std::string mimeField(std::string_view headerText, std::string_view nameWithColon);

// The plain value of a parameter ("boundary", "charset"): quoted strings are
// unquoted, tokens end at ";" or white space. Empty when missing.
[[nodiscard]] std::string mimeParameter(std::string_view headerText, std::string_view name);

// A file name parameter ("filename", "name") as text in the PC's code page:
// the RFC 2231 form ("filename*=", continuations "filename*0*=" ...) when
// present, else the plain form with its encoded words decoded.
[[nodiscard]] std::string mimeFileNameParameter(std::string_view headerText, std::string_view name);

// The first of "7bit", "8bit", "base64", "quoted", "binary" found in a
// Content-Transfer-Encoding value, else empty.
[[nodiscard]] std::string transferEncodingWord(std::string_view value);

[[nodiscard]] MediaType mediaTypeCode(std::string_view type);

// Subtype codes; -1 for "delivery-status", "signed", empty and unknown words.
[[nodiscard]] int subtypeCode(std::string_view subtype);

} // namespace pc::mail
