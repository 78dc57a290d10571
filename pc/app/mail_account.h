#pragma once

// File: pc/app/mail_account.h
// The POP3 accounts checked for the handheld, per login id, and their stored
// form: server, user and password of every account in table order, each
// followed by one backquote (the last field included). Fields cannot hold a
// backquote. How each account's connection is protected is kept apart, in
// the same form (one name of pop3_security.h per account, each followed by
// a backquote), so that the account list itself keeps its form.

#include "pc/mail/pop3_security.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pc::app {

struct MailAccount {
    std::string server;
    std::string user;
    std::string password;
    mail::Pop3Security security = mail::Pop3Security::Clear;

    bool operator==(const MailAccount&) const = default;
};

// The live table holds this many accounts.
constexpr std::size_t kMaxMailAccounts = 30;

// "S1`U1`P1`S2`U2`P2`".
std::string encodeMailAccounts(const std::vector<MailAccount>& accounts);

// Reads `count` accounts; a text shorter than the count promises yields empty
// fields for the missing ones. A negative count reads none; a count above
// the table size is cut to it.
std::vector<MailAccount> decodeMailAccounts(std::string_view info, int count);

// "pop3s``stls`" for three accounts: POP3S, clear, STLS.
std::string encodeMailSecurity(const std::vector<MailAccount>& accounts);
// Sets each account's protection from the stored text in table order; a
// missing or unknown name leaves the account in clear.
void decodeMailSecurity(std::string_view text, std::vector<MailAccount>& accounts);

} // namespace pc::app
