#pragma once

// File: pc/mail/raw_message.h
// A raw message is the complete answer to RETR as the server sent it: the
// "+OK" status line, the header, the empty line, the body and the POP3
// terminator, with dot-stuffed lines (RFC 1939 §3).

#include <string>
#include <string_view>

namespace pc::mail {

struct RawParts {
    std::string header; // Without the empty line that ends it.
    std::string body; // Everything behind the empty line, up to the terminator.
};

// Drops the status line, cuts the text at the terminator, undoes the
// dot-stuffing and splits header from body at the first empty line.
[[nodiscard]] RawParts splitRawMessage(std::string_view rawText);

// Removes the extra "." of dot-stuffed lines.
[[nodiscard]] std::string undoDotStuffing(std::string_view text);

} // namespace pc::mail
