#pragma once

// File: bench/mail/message_generator.h
// Makes a deterministic corpus of mail for the decoding benchmark: plain and
// HTML mail in EUC-KR and UTF-8 with encoded-word headers, alternatives, and
// (one message in five) mixed mail with base64 attachments.

#include <string>
#include <vector>

namespace bench::mail {

// `count` complete messages (header, empty line, body) with CRLF line ends.
std::vector<std::string> generateMessages(std::size_t count, unsigned seed = 20020305);

} // namespace bench::mail
