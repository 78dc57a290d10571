#pragma once

// File: platform/safe_name.h
// The one rule for names that come from outside (upload and download names,
// mail unique ids and attachment names, pen-message names, converter output
// names): before a name touches the disk it becomes one safe path component,
// so that nothing is ever written outside its folder.
//
//     platform::safeFileName(platform::lastPathComponent("C:\\a\\b.txt")); // "b.txt"
//     platform::safeFileName("../x");                                      // ".._x"
//     platform::safeFileName(uid, platform::kMaxFileNameBytes - 5);        // room for ".body"

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The longest file name Linux file systems take, in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// Path separators ("/" and "\"), NUL and the other control characters become
// "_"; the name is cut to `maxBytes` without splitting a UTF-8 sequence;
// "", "." and ".." become "_". A name that is already safe comes back as it is.
[[nodiscard]] std::string safeFileName(std::string_view name, std::size_t maxBytes = kMaxFileNameBytes);

// The text after the last "/" or "\" (the whole text when there is none):
// the file name a peer means when it sends a path of its own.
[[nodiscard]] std::string_view lastPathComponent(std::string_view path);

} // namespace platform
