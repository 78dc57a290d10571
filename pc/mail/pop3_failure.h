#pragma once

// File: pc/mail/pop3_failure.h
// Why a POP3 account failed, in words the user can act on: the account
// ("pop.example.com (kim)") and the cause ("연결이 거부되었습니다", "아이디
// 또는 비밀번호가 틀립니다: -ERR Authentication failed."). The check writes
// them to the PC's log and sends them to the handheld beside its answer.

#include "pc/mail/pop3_account.h"

#include <string>

namespace pc::mail {

class Pop3Client;

// The cause of the client's last failure, with the server's reply where it
// gave one.
[[nodiscard]] std::string describePop3Failure(const Pop3Client& client);

// One failed account: "server (user): cause".
struct AccountFailure {
    std::string server;
    std::string user;
    std::string cause;

    [[nodiscard]] std::string text() const;
    bool operator==(const AccountFailure&) const = default;
};

} // namespace pc::mail
