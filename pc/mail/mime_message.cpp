#include "pc/mail/mime_message.h"

#include "pc/mail/charset.h"
#include "pc/mail/mail_record.h"
#include "pc/mail/multipart.h"
#include "pc/mail/safe_name.h"
#include "pc/mail/text_util.h"
#include "platform/codec/base64.h"
#include "platform/codec/quoted_printable.h"

namespace pc::mail {
namespace {

bool hasInline(const MimePart& part)
{
    return part.disposition.find("inline") != std::string::npos;
}

bool isTextLike(const MimePart& part)
{
    return part.type == "text" || part.type.empty();
}

bool isInlineText(const MimePart& part)
{
    return hasInline(part) && isTextLike(part);
}

// Index of the part shown as the body: the last html part, else the last
// plain part, else the first part without any type; -1 when none.
int chooseMainPart(const std::vector<MimePart>& parts)
{
    int html = -1;
    int plain = -1;
    int untyped = -1;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const MimePart& part = parts[i];
        if (part.isAttachment || hasInline(part))
            continue;
        if (part.subtype == "html")
            html = static_cast<int>(i);
        else if (part.subtype == "plain")
            plain = static_cast<int>(i);
        else if (untyped < 0 && part.type.empty() && part.subtype.empty())
            untyped = static_cast<int>(i);
    }
    return html >= 0 ? html : (plain >= 0 ? plain : untyped);
}

int chooseReportPart(const std::vector<MimePart>& parts)
{
    int report = -1;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!parts[i].isAttachment && parts[i].type == "message" && parts[i].subtype == "delivery-status")
            report = static_cast<int>(i);
    }
    return report;
}

void decodeMultipart(DecodedMail& mail)
{
    MimeMessage& message = mail.message;
    message.parts = splitMultipart(message.rawBody, message.boundary);
    int main = chooseMainPart(message.parts);
    int report = chooseReportPart(message.parts);
    for (std::size_t i = 0; i < message.parts.size(); ++i) {
        MimePart& part = message.parts[i];
        int index = static_cast<int>(i);
        if (part.isAttachment) {
            std::string name = safeAttachmentName(part.fileName.empty() ? part.name : part.fileName);
            if (!name.empty())
                mail.attachments.push_back({ name, i });
        } else if (index == main) {
            message.body += part.text;
        } else if (index == report || isInlineText(part)) {
            message.body += "\r\n\r\n";
            message.body += part.text;
        }
    }
}

std::string decodeTextBody(std::string_view rawBody, std::string_view encoding, std::string_view charset)
{
    std::string bytes;
    if (encoding == "base64")
        bytes = platform::codec::decodeBase64Lenient(rawBody);
    else if (encoding == "quoted")
        bytes = platform::codec::decodeQuotedPrintable(rawBody);
    else
        bytes = std::string(rawBody);
    return toPcCodePage(std::move(bytes), charset);
}

} // namespace

platform::Result<DecodedMail, DecodeError> decodeMessageText(std::string_view rawText, std::string_view server,
    std::string_view uid)
{
    RawParts raw = splitRawMessage(rawText);
    // The record reads header fields only; the body stays with the message.
    MailRecord record;
    record.fill(raw.header, {}, declaredMessageCharset(raw.header, raw.body));

    DecodedMail mail;
    MimeMessage& message = mail.message;
    message.headerText = std::move(raw.header);
    message.rawBody = std::move(raw.body);
    message.server = std::string(server);
    message.uid = std::string(uid);
    message.from = record.from;
    message.to = record.to;
    message.cc = record.cc;
    message.subject = record.subject;
    message.time = record.date;

    ContentType type = ContentType::parse(mimeField(message.headerText, "Content-Type:"));
    message.mediaType = mediaTypeCode(type.type);
    message.subtype = type.subtype;
    message.encoding = transferEncodingWord(mimeField(message.headerText, "Content-Transfer-Encoding:"));
    message.boundary = mimeParameter(message.headerText, "boundary");
    std::string charset = mimeParameter(message.headerText, "charset");

    switch (message.mediaType) {
    case MediaType::Text:
        message.body = decodeTextBody(message.rawBody, message.encoding, charset);
        break;
    case MediaType::Image:
        message.body = kImageOnlyBody;
        break;
    case MediaType::Audio:
        message.body = kAudioOnlyBody;
        break;
    case MediaType::Video:
        message.body = kVideoOnlyBody;
        break;
    case MediaType::Application:
        message.body = kApplicationOnlyBody;
        break;
    case MediaType::Message:
    case MediaType::Multipart:
        if (message.boundary.empty())
            return platform::unexpected(DecodeError::MissingBoundary);
        decodeMultipart(mail);
        break;
    case MediaType::Other:
        if (message.boundary.empty())
            message.body = decodeTextBody(message.rawBody, message.encoding, charset);
        else
            decodeMultipart(mail);
        break;
    }
    return mail;
}

} // namespace pc::mail
