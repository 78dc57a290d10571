#pragma once

// File: pc/mail/mail_record.h
// One message's header view: the header and body texts of a message and the
// fields the handheld shows (From, To, Cc, Subject and a readable Date),
// decoded and in the PC's code page. The POP3 client fills it from a RETR
// answer, the MIME decoder from a stored raw message.
//
//     MailRecord record;
//     record.fill("Subject: =?euc-kr?B?x9GxuQ==?=\r\nDate: ...", "body");
//     record.subject; // "한국"

#include <string>
#include <string_view>

namespace pc::mail {

// Shown for a message whose Subject is empty or missing.
inline constexpr std::string_view kNoSubject = "제목없음";

struct MailRecord {
    std::string headerText; // The header block, without the empty line that ends it.
    std::string bodyText; // Everything after the empty line.
    std::string from;
    std::string to;
    std::string cc;
    std::string subject;
    std::string date; // "YYYY.MM.DD W HH:MM:SS" with a Korean weekday.
    std::string messageId; // The Message-ID field as it stands.

    // The unfolded, trimmed value of one header field ("" when missing).
    [[nodiscard]] std::string field(std::string_view name) const;

    // Stores both texts and derives from, to, cc, subject, date and messageId.
    // Raw 8-bit header text is read in the charset the message declares.
    void fill(std::string header, std::string body);
    // The same, when the caller keeps the body and names the charset.
    void fill(std::string header, std::string body, std::string_view declaredCharset);
};

// Finds "name:" at the start of a header line, ignoring letter case, and
// returns its value with continuation lines unfolded, tabs as spaces and
// surrounding white space trimmed.
[[nodiscard]] std::string headerField(std::string_view headerText, std::string_view name);

// The charset a message declares for its text: the top-level
// Content-Type's, else the first "charset=" among the parts of its body.
// Empty when it declares none.
[[nodiscard]] std::string declaredMessageCharset(std::string_view headerText, std::string_view body);

// Subject: all encoded words decoded; "제목없음" when empty.
[[nodiscard]] std::string decodeSubject(std::string_view value, std::string_view declaredCharset = {});

// One address ("=?..?= <a@b>"): when it holds encoded words, the decoded
// display name, a space and the part from "<" on; a name shorter than two
// characters is left out. Values without encoded words stay unchanged
// (raw 8-bit text is still read in its charset).
[[nodiscard]] std::string decodeAddress(std::string_view value, std::string_view declaredCharset = {});

// To and Cc: every comma-separated address decoded, joined again by ",".
[[nodiscard]] std::string decodeAddressList(std::string_view value, std::string_view declaredCharset = {});

// "Tue, 05 Mar 2002 10:11:12 +0900" → "2002.03.05 화요일 10:11:12".
// A date that cannot be read comes back as it stands.
[[nodiscard]] std::string formatMailDate(std::string_view value);

} // namespace pc::mail
