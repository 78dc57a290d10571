#pragma once

// File: pc/mail/mime_message.h
// The MIME decoder: turns a stored raw message (a complete RETR answer) into
// the header fields the handheld shows, one body text and the attachments.
// Decoding is pure (decodeMessageText); decodeStoredMessage reads the raw file
// and writes the results through the mail store.
//
//     auto decoded = decodeMessageText(rawText, "pop.example.com", "u1");
//     if (decoded) use(decoded->message.body, decoded->attachments);

#include "pc/mail/mime_header.h"
#include "pc/mail/raw_message.h"
#include "platform/result.h"

#include <string>
#include <string_view>
#include <vector>

namespace pc::mail {

// One leaf of a (flattened) multipart body.
struct MimePart {
    std::string type; // Lower case.
    std::string subtype; // Lower case.
    std::string encoding; // Content-Transfer-Encoding, lower case.
    std::string disposition; // The whole Content-Disposition value, lower case.
    std::string name; // From "name=".
    std::string fileName; // From "filename=".
    std::string charset; // From "charset=", as declared.
    std::string text; // Decoded text in the PC's code page (not attachments).
    std::string data; // Decoded bytes (attachments).
    bool isAttachment = false;

    [[nodiscard]] std::size_t dataLength() const { return data.size(); }
};

struct MimeMessage {
    std::string headerText;
    std::string rawBody; // Still transfer-encoded.
    std::string body; // The decoded body that goes into the mail files.
    MediaType mediaType = MediaType::Other;
    std::string subtype;
    std::string encoding; // "7bit", "8bit", "base64", "quoted", "binary" or empty.
    std::string boundary;
    std::string server;
    std::string mailFolder;
    std::string from;
    std::string to;
    std::string cc;
    std::string subject;
    std::string time;
    std::string uid;
    std::vector<MimePart> parts;
};

// An attachment to be saved in the mail folder under a safe file name; its
// bytes stay in the part they were decoded into.
struct Attachment {
    std::string fileName;
    std::size_t partIndex = 0; // Into message.parts.
};

struct DecodedMail {
    MimeMessage message;
    std::vector<Attachment> attachments; // In part order.

    [[nodiscard]] std::string_view data(const Attachment& attachment) const
    {
        return message.parts[attachment.partIndex].data;
    }
};

enum class DecodeError {
    MissingBoundary, // A multipart or message body without boundary.
};

// Placeholder bodies for messages that are a single non-text part.
inline constexpr std::string_view kImageOnlyBody = "이미지 메일입니다.";
inline constexpr std::string_view kAudioOnlyBody = "오디오 파일만 포함된 메일입니다.";
inline constexpr std::string_view kVideoOnlyBody = "비디오 파일만 포함된 메일입니다.";
inline constexpr std::string_view kApplicationOnlyBody = "특정 프로그램을 이용해서 볼 수 있는 메일 형식입니다.";

// Decodes the contents of a raw message file: the "+OK" status line, the
// header, the body and the POP3 terminator.
[[nodiscard]] platform::Result<DecodedMail, DecodeError> decodeMessageText(std::string_view rawText,
    std::string_view server, std::string_view uid);

} // namespace pc::mail
