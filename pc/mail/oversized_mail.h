#pragma once

// File: pc/mail/oversized_mail.h
// A message too large to fetch stays on its server, but does not pass
// unnoticed: the check stores a one-line stand-in under its unique id, which
// the handheld lists and opens like any mail, and the PC's log names the
// account, the size and the subject.
//
//     std::string raw = oversizedStandIn(record.headerText, size);
//     // ... stored as the message's raw file; the log gets
//     oversizedLogText(account, size, record.subject);

#include "pc/mail/pop3_account.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pc::mail {

// The stand-in's one line of text.
[[nodiscard]] std::string oversizedNotice(std::int64_t size);

// The stand-in as a raw message, in the form of a RETR answer: the original
// header without its MIME content fields (the original body is not there to
// describe), a plain UTF-8 text part, and the notice as its only line.
[[nodiscard]] std::string oversizedStandIn(std::string_view originalHeader, std::int64_t size);

// The log entry: the account (user@server, never the password), the size and
// the subject.
[[nodiscard]] std::string oversizedLogText(const Pop3Account& account, std::int64_t size,
    std::string_view subject);

} // namespace pc::mail
