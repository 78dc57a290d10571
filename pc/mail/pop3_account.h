#pragma once

// File: pc/mail/pop3_account.h
// One POP3 account that the handheld's mail is checked from, and where its
// server is reached. The server text is kept as the user typed it: it names
// the account's folder, appears in MailList and is what commands 305 and 332
// name the account by. It may carry a port ("mail.example.com:1110",
// "[::1]:1110"); without one the POP3 port 110 is used, or 995 for POP3S.

#include "pc/mail/pop3_security.h"

#include <string>
#include <string_view>
#include <vector>

namespace pc::mail {

struct Pop3Account {
    std::string server;
    std::string user;
    std::string password;
    Pop3Security security = Pop3Security::Clear;
};

// The port of a server text without one.
[[nodiscard]] constexpr unsigned defaultPop3Port(Pop3Security security)
{
    return security == Pop3Security::Pop3s ? kPop3sPort : 110;
}

// The mail user of a check: the logged-in handheld user's id and accounts.
struct MailUser {
    std::string id;
    std::vector<Pop3Account> accounts;
};

struct Pop3Address {
    std::string host;
    unsigned port = 110;

    bool operator==(const Pop3Address&) const = default;
};

// "host", "host:port" or "[v6]:port"; a port that is not a number from 1 to
// 65535 leaves the whole text as the host name. Without a port: `port`.
[[nodiscard]] Pop3Address pop3AddressOf(std::string_view server, unsigned port = 110);

// The server text of an address, as pop3AddressOf() reads it back: the host
// alone for the default port, else "host:port" ("[v6]:port" for an IPv6
// address).
[[nodiscard]] std::string pop3ServerText(const Pop3Address& address, unsigned defaultPort = 110);

} // namespace pc::mail
