#pragma once

// File: pc/mail/mail_file.h
// The bytes of the mail files the handheld reads: the full mail file "<uid>"
// and the preview "<uid>.txt". Both are
//
//     a.jpg/b.doc//From : x \r\nTo : y \r\nCc :  \r\nTitle : s \r\n
//     Time : t \r\nPop3 : server \r\nBody : <pre>...</pre>[END]
//
// with no line break around the body.

#include <string>
#include <string_view>

namespace pc::mail {

struct MailFileHeader {
    std::string attachmentList; // "/a.jpg/b.doc" as the decoder builds it, or "".
    std::string from;
    std::string to;
    std::string cc;
    std::string subject;
    std::string time;
    std::string server;
};

// Bytes of the body read from "<uid>.temp" for the preview file.
inline constexpr std::size_t kPreviewBodyBytes = 5000;

// The header block: attachment names joined by "/" (without a leading "/"),
// "//" and the six "Name : value \r\n" lines.
[[nodiscard]] std::string buildMailHeaderBlock(const MailFileHeader& header);

// Header block, "Body : <pre>", the body, "</pre>[END]".
[[nodiscard]] std::string buildMailFile(std::string_view headerBlock, std::string_view body);

// Builds the mail list line of one fetched message:
// subject TAB from TAB server TAB uid LF.
[[nodiscard]] std::string mailListLine(std::string_view subject, std::string_view from, std::string_view server,
    std::string_view uid);

} // namespace pc::mail
