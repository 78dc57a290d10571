#pragma once

// File: pc/mail/outgoing_mail.h
// A mail the handheld sends through the PC (code 329, assembled): the text
// "recipients LF subject LF attachments LF body", and the RFC 5322 message
// built from it for submission. Pure: no files, no network.
//
//     OutgoingMail mail = parseOutgoingMail("a@b.kr\nHi\n\\My Documents\\x.doc;\nbody");
//     mail.recipients;   // { "a@b.kr" }
//     mail.attachments;  // { "\\My Documents\\x.doc" }

#include <string>
#include <string_view>
#include <vector>

namespace pc::mail {

struct OutgoingMail {
    std::vector<std::string> recipients; // The entries between commas, empty ones left out.
    std::string subject;
    std::vector<std::string> attachments; // The entries before each ";", empty ones left out.
    std::string body; // The rest of the text, line feeds included.
};

// Splits at the first three line feeds; missing parts are empty.
[[nodiscard]] OutgoingMail parseOutgoingMail(std::string_view text);

// An address entry as the envelope needs it: blanks trimmed, and from
// "Name <a@b>" only "a@b". Entries without "@" give "".
[[nodiscard]] std::string envelopeAddress(std::string_view entry);

// Where an attachment entry's file is: an entry that begins with "\" names a
// file the handheld uploaded (only its last component counts); any other is
// a PC path. `name` is a safe single component ("" when nothing is left).
struct AttachmentSource {
    bool uploaded = false;
    std::string pcPath; // For PC files.
    std::string name;
};
[[nodiscard]] AttachmentSource attachmentSourceOf(std::string_view entry);

struct MessageAttachment {
    std::string name;
    std::string bytes;
};

struct MessageParts {
    std::string from;
    std::vector<std::string> to; // Envelope addresses.
    std::string subject;
    std::string noteText; // The body followed by one space per attachment.
    std::vector<MessageAttachment> attachments;
    std::string date; // RFC 5322 date, e.g. "Tue, 05 Mar 2002 10:11:12 +0900".
    std::string messageId; // Without the angle brackets.
    std::string boundary; // For the multipart form; must not occur in the parts.
};

// Texts that are not valid UTF-8 are taken as CP949 (a handheld with the
// legacy code page) and converted.
[[nodiscard]] std::string asUtf8(std::string_view text);

// The whole message with CRLF line ends: text/plain alone, or
// multipart/mixed with the text first and each attachment in base64.
[[nodiscard]] std::string composeMessage(const MessageParts& parts);

// A header value as one or more RFC 2047 "B" encoded words when it is not
// plain ASCII; ASCII text is returned unchanged.
[[nodiscard]] std::string encodeHeaderText(std::string_view text);

} // namespace pc::mail
