#pragma once

// File: pc/mail/prepared_mail.h
// Commands 305 (prepare one fetched mail for reading) and 332 (delete one
// mail on its server).
//
// 305's text is "number\nserver\nuid": the message is decoded into its mail
// folder and answered inline ("<uid>/" and the full mail file) when the file
// is short, else as "_success/<uid>" so that the handheld fetches the
// preview pda_Mail/<id>/<uid>/<uid>.txt. The number is echoed as the
// answer's first field.
//
// 332's text is "uid\nserver": the first account with that server deletes
// the message with that unique id. Nothing is answered.

#include "pc/mail/mail_check.h"
#include "pc/mail/mail_store.h"
#include "pc/mail/pop3_account.h"
#include "proto/pc_answer.h"

#include <string_view>

namespace pc::mail {

inline constexpr std::string_view kPrepareFail = "fail";
inline constexpr std::string_view kPreparedInFile = "_success/";

[[nodiscard]] proto::PcAnswer prepareMail(const MailStore& store, std::string_view id, std::string_view text);

// What a delete did, for tests and the trace.
enum class DeleteOutcome {
    NoSuchAccount,
    ServerFailed, // Connection, log-in or listing failed.
    NoSuchMessage,
    Deleted,
};

[[nodiscard]] DeleteOutcome deleteMail(const MailUser& user, std::string_view text, const Pop3Options& options);

} // namespace pc::mail
