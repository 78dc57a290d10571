#pragma once

// File: pc/mail/text_util.h
// Small byte-string helpers shared by the header and MIME readers: ASCII
// case folding, trimming and header-field boundaries.

#include <string>
#include <string_view>

namespace pc::mail {

[[nodiscard]] std::string toLowerAscii(std::string_view text);
[[nodiscard]] std::string_view trim(std::string_view text);
[[nodiscard]] std::string_view rtrim(std::string_view text);

// Position of `needle` in `haystack` ignoring ASCII letter case, or npos.
[[nodiscard]] std::size_t findIgnoringCase(std::string_view haystack, std::string_view needle,
    std::size_t from = 0);
[[nodiscard]] bool containsIgnoringCase(std::string_view haystack, std::string_view needle);

// End of the header field whose value starts at `begin`: the first "\r\n"
// (or bare "\n") not followed by a space or tab, or the end of the text.
[[nodiscard]] std::size_t endOfHeaderField(std::string_view text, std::size_t begin);

// Unfolds a field value: line breaks are removed, tabs become spaces and the
// result is trimmed.
[[nodiscard]] std::string unfold(std::string_view value);

} // namespace pc::mail
