#pragma once

// File: pocket/mail/mail_files.h
// The texts the handheld's mail client reads and writes, as pure functions:
// the mail list the PC sends after a check, the mail file of one message
// (attachment list, "//", header lines, "<pre>" body "</pre>[END]"), the
// saved-mail file of the composer (To [MSGBR] subject [MSGBR] body [MSGEND]),
// the text of a mail being sent, and the age of a stored mail.
//
//     auto mail = parseMailFile(content);
//     if (mail.hasAttachments) writeFile(ah, mail.attachmentBlock);

#include "platform/clock.h"
#include "platform/codepage.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::mail {

// Limits of the mail client (characters unless said otherwise).
constexpr std::size_t kMailToChars = 799;
constexpr std::size_t kMailSubjectChars = 99;
constexpr std::size_t kMailBodyChars = 4999;
constexpr std::size_t kMailTextBytes = 4999; // The whole text being sent, ANSI.
constexpr std::size_t kMailChunkBytes = 900;
constexpr std::size_t kMaxRecipients = 10;
constexpr std::size_t kMaxAttachments = 5;
constexpr std::size_t kMaxSentAttachmentEntries = 10;
constexpr std::size_t kDraftReadBytes = 5000;
constexpr std::size_t kHeaderScanBytes = 5000;
constexpr std::size_t kInlineMailBytes = 1023;

// One line of the mail list: subject TAB sender TAB POP3 account TAB name.
struct MailListEntry {
    std::string subject;
    std::string sender;
    std::string account;
    std::string name;

    bool operator==(const MailListEntry&) const = default;
};

// The list ends at an empty line or at its last line feed; a text after the
// last line feed is no line. Missing fields stay empty.
std::vector<MailListEntry> parseMailList(std::string_view content);

// A mail file as the client reads it.
struct MailFile {
    bool hasAttachments = false;
    std::string attachmentBlock; // The text up to and including "//", for the ".ah" file.
    std::vector<std::string> attachments;
    std::string sender;
    std::string to;
    std::string cc;
    std::string title;
    std::string time;
    std::string pop3;
    std::string header; // Between "//" and "Body : <pre>", within the first 5000 bytes.
    std::string body;   // From "<pre>" to the end of the last "</pre>"; empty without them.
};

MailFile parseMailFile(std::string_view content);

// The names of an attachment list ("a.jpg/b.doc//..."): every piece before
// a "/" is a name, up to the "/" that another "/" follows.
std::vector<std::string> parseAttachmentList(std::string_view block);

// The composer's saved mail ("%s [MSGBR]%s [MSGBR]%s [MSGEND]").
struct MailDraft {
    std::string to;
    std::string subject;
    std::string body;

    bool operator==(const MailDraft&) const = default;
};

std::string formatMailDraft(const MailDraft& draft);
// Nothing when one of the three markers is missing.
std::optional<MailDraft> parseMailDraft(std::string_view text);

// The text of command 329: "%s\n%s\n%s\n%s" from To, subject, the
// attachment entries (each followed by ";", at most 10) and the body, each
// cut at its limit. UTF-8; the sender converts and cuts it in bytes.
std::string buildMailText(const MailDraft& draft, const std::vector<std::string>& attachments);

// Recipients in a To field: commas + 1; an empty field has none.
std::size_t countRecipients(std::string_view to);

// The date of a "Time : " field ("YYYY.MM.DD W HH:MM:SS").
struct MailDate {
    int year = 0;
    int month = 0;
    int day = 0;
};
std::optional<MailDate> parseMailDate(std::string_view time);

// The rough age in days: years × 365 + months × 30 + days.
int mailAgeDays(const MailDate& date, const platform::LocalTime& today);

// Whether a stored mail of this date is listed with the "mailviewperiod"
// setting (-1 lists everything; an unreadable date is listed).
bool isWithinViewPeriod(std::string_view time, int periodDays, const platform::LocalTime& today);

// The longest front of ANSI text of at most `limit` bytes that does not end
// inside a character (UTF-8 and the double-byte code pages); shared with the
// PC program.
using platform::cutAnsi;

} // namespace pocket::mail
