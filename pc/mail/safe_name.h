#pragma once

// File: pc/mail/safe_name.h
// Names that come from outside (unique ids from a POP3 server, server host
// names as the user typed them, attachment names from a sender) become safe
// single path components before they touch the disk, so that nothing is ever
// written outside its folder.
//
//     safePathComponent("../x");      // ".._x"
//     safeAttachmentName("../../x");  // "x"

#include <string>
#include <string_view>

namespace pc::mail {

// Longest component we create, in bytes; file systems allow 255.
inline constexpr std::size_t kMaxComponentBytes = 200;

// Replaces path separators ("/" and "\"), NUL and other control characters by
// "_", turns "." and ".." into "_" and "__", gives "_" for an empty name and
// cuts the name to kMaxComponentBytes without splitting a UTF-8 sequence.
// Names that are already safe come back unchanged.
[[nodiscard]] std::string safePathComponent(std::string_view name);

// For attachment names: keeps only the part behind the last "/" or "\" (a
// sender's own folders mean nothing here), then makes it a safe component.
// An empty result stays empty: such an attachment is not written.
[[nodiscard]] std::string safeAttachmentName(std::string_view name);

} // namespace pc::mail
