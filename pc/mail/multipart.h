#pragma once

// File: pc/mail/multipart.h
// Splits multipart bodies (RFC 2046 §5.1) into parts, flattening nested
// multiparts into one list of leaves, and decodes each leaf.

#include "pc/mail/mime_message.h"

#include <string_view>
#include <vector>

namespace pc::mail {

// Nested multiparts deeper than this are not split further.
inline constexpr int kMaxMultipartDepth = 16;

// Splits `body` at "--" + boundary delimiters (at line starts) and returns
// the decoded leaves in order. Splitting ends at the closing delimiter.
[[nodiscard]] std::vector<MimePart> splitMultipart(std::string_view body, std::string_view boundary);

// Reads a part's header fields and decodes its body.
[[nodiscard]] MimePart decodePart(std::string_view header, std::string_view body);

} // namespace pc::mail
