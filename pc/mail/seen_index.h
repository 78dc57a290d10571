#pragma once

// File: pc/mail/seen_index.h
// The list of unique ids already fetched from one POP3 account: one id per
// line, CRLF line breaks, each id appended as a line break followed by the
// id (so the file starts with an empty line and has no break after the last
// id). An id is seen when a line equals it exactly.

#include "platform/result.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pc::mail {

// True when a line of the index equals `uid`. An index that cannot be read
// counts as empty.
[[nodiscard]] bool isSeen(const std::filesystem::path& indexPath, std::string_view uid);

// Appends "\r\n" + uid, creating the index (mode 0600) when missing.
[[nodiscard]] platform::IoResult<void> markSeen(const std::filesystem::path& indexPath, std::string_view uid);

// The ids of an index in file order (the leading empty line left out), for
// callers that test many ids against one index.
[[nodiscard]] std::vector<std::string> readSeenIndex(const std::filesystem::path& indexPath);

} // namespace pc::mail
