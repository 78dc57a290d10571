#pragma once

// File: pc/mail/safe_name.h
// Names that come from outside (unique ids from a POP3 server, server host
// names as the user typed them, attachment names from a sender) become safe
// single path components (platform/safe_name.h) before they touch the disk.
//
//     mailName("../x");               // ".._x"
//     safeAttachmentName("../../x");  // "x"

#include "platform/safe_name.h"

#include <string>
#include <string_view>

namespace pc::mail {

// Mail names leave room for the suffixes the mail files add (".body",
// ".temp", "_") within the file systems' 255 bytes; stored boxes use it.
inline constexpr std::size_t kMaxComponentBytes = 200;

// A unique id, server or login id as one safe component of at most
// kMaxComponentBytes.
[[nodiscard]] inline std::string mailName(std::string_view name)
{
    return platform::safeFileName(name, kMaxComponentBytes);
}

// For attachment names: keeps only the part behind the last "/" or "\" (a
// sender's own folders mean nothing here) without surrounding blanks, then
// makes it a safe component. An empty result stays empty: such an
// attachment is not written.
[[nodiscard]] std::string safeAttachmentName(std::string_view name);

} // namespace pc::mail
