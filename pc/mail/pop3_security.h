#pragma once

// File: pc/mail/pop3_security.h
// How a POP3 account's connection is protected: in clear (the POP3 of the
// handheld's first PCs), TLS from the first byte ("POP3S", port 995 as a
// rule), or TLS after the server agreed to "STLS" (RFC 2595) on the POP3
// port. With either kind of TLS the server's certificate is checked and the
// password never goes out in clear. Stored by its name: "" (clear),
// "pop3s", "stls".

#include <optional>
#include <string_view>

namespace pc::mail {

enum class Pop3Security { Clear, Pop3s, Stls };

inline constexpr unsigned kPop3sPort = 995;

[[nodiscard]] std::string_view pop3SecurityName(Pop3Security security);
// The kind of a stored name (case-insensitive); nullopt for another text.
[[nodiscard]] std::optional<Pop3Security> pop3SecurityOf(std::string_view name);

} // namespace pc::mail
