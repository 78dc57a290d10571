#pragma once

// File: pc/mail/mail_check.h
// The work of one mail check (command 304), run on the check worker: every
// account of the user in table order gets a log-in test and then a fetch of
// its new messages into the fetch area; the new mail of all accounts becomes
// MailList, and the outcome one answer text.
//
//     CheckResult result = runMailCheck(store, user, options);
//     answer.text = checkAnswerText(result);   // "nothing", ".<list>", ...

#include "pc/mail/mail_store.h"
#include "pc/mail/pop3_answer.h"
#include "pc/mail/pop3_account.h"
#include "pc/mail/pop3_failure.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc::mail {

// Answer words of command 304.
inline constexpr std::string_view kCheckVersionFail = "version fail";
inline constexpr std::string_view kCheckFail = "fail";
inline constexpr std::string_view kCheckNothing = "nothing";
inline constexpr std::string_view kCheckNothingButAnyFail = "nothingbutanyfail";
inline constexpr std::string_view kCheckSuccess = "success";
inline constexpr std::string_view kCheckSuccessAny = "successany";

// Lists shorter than this many bytes travel inside the answer; bytes rather
// than characters, so that the list always fits the answer text.
inline constexpr std::size_t kInlineMailListLimit = 900;

struct Pop3Options {
    // A server that stops answering fails its account after this long
    // instead of holding the check for ever.
    std::chrono::milliseconds timeout { 60000 };
    // A message whose answer would grow beyond this is not fetched.
    std::size_t maxAnswerBytes = kDefaultMaxAnswerBytes;
};

// What MailList keeps of one fetched message.
struct FetchedMail {
    std::string subject;
    std::string from;
    std::string server;
    std::string uid;
    // The size of a message too large to fetch, whose stand-in
    // (oversized_mail.h) is stored and listed in its place; 0 otherwise.
    std::int64_t tooLargeBytes = 0;
};

// Fetches the account's messages that its seen index does not list, in UIDL
// order, appending them to `fetched`. False when the server could not be
// reached, refused the log-in or could not list its messages; a failed
// retrieve ends the fetch early but keeps it successful. `failure` (when
// given) receives the cause of a failed fetch. A message too large
// to fetch stays on the server and is entered in the seen index, so that it
// does not stop every later check at the same place; its stand-in is
// fetched instead.
[[nodiscard]] bool fetchNewMail(const MailStore& store, std::string_view id, const Pop3Account& account,
    const Pop3Options& options, std::vector<FetchedMail>& fetched, std::string* failure = nullptr);

// The client of an account: its server, port and protection (plain, POP3S
// or STLS), with the options' guards. Not yet connected.
[[nodiscard]] std::unique_ptr<Pop3Client> makePop3Client(const Pop3Account& account, const Pop3Options& options);

// A connection that opens and logs in, closed again at once, as every
// check does first; the cause when it fails (pop3_failure.h), nullopt when
// the account works. Blocks for up to the options' time-out per answer.
[[nodiscard]] std::optional<std::string> logInTest(const Pop3Account& account, const Pop3Options& options);

// A MailList field: a TAB or line break inside it would split the line for
// the reader, so each becomes a space.
[[nodiscard]] std::string mailListField(std::string_view text);

struct CheckResult {
    std::string mailList; // As written (in UTF-8): the lines and one more LF.
    bool allAccountsOk = true;
    bool listWritten = true;
    // The accounts that failed, in table order, with their causes.
    std::vector<AccountFailure> failures;
    std::size_t newMessages = 0;
    // Entries for the PC's log: each failed account, the messages that were
    // too large to fetch, and a last line on the whole check.
    std::vector<std::string> logEntries;
};

[[nodiscard]] CheckResult runMailCheck(const MailStore& store, const MailUser& user, const Pop3Options& options);

// "nothing" / "nothingbutanyfail" when nothing is new, "." or "," and the
// list when it is short, else "success" / "successany"; "fail" when MailList
// could not be written. "Short" counts the bytes of the list in the
// handheld's code page, the form in which it travels.
[[nodiscard]] std::string checkAnswerText(const CheckResult& result, std::string_view codePage = platform::kUtf8);

// What travels beside the answer text (proto::PcAnswer::detail): one line
// per failed account, "server (user): cause"; empty when none failed.
[[nodiscard]] std::string checkAnswerDetail(const CheckResult& result);

} // namespace pc::mail
