#include "pc/mail/outgoing_mail.h"

#include "pc/mail/safe_name.h"
#include "platform/codec/base64.h"
#include "platform/codepage.h"

namespace pc::mail {

namespace {

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Splits at `separator`, leaving out empty entries.
std::vector<std::string> entriesOf(std::string_view text, char separator)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find(separator, start);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > start)
            entries.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

bool isPlainAscii(std::string_view text)
{
    for (unsigned char c : text) {
        if (c >= 0x80 || (c < 0x20 && c != '\t'))
            return false;
    }
    return true;
}

// Line ends as CRLF, whatever the handheld sent (LF, CRLF or a lone CR).
std::string withCrLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32 + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

bool hasLongLine(std::string_view text)
{
    std::size_t run = 0;
    for (char c : text) {
        run = (c == '\n') ? 0 : run + 1;
        if (run > 998)
            return true;
    }
    return false;
}

// The text part: 7bit when it is short-lined ASCII, else base64.
std::string textPart(std::string_view noteText)
{
    std::string text = withCrLf(asUtf8(noteText));
    std::string out = "Content-Type: text/plain; charset=UTF-8\r\n";
    bool plain = true;
    for (unsigned char c : text) {
        if (c >= 0x80 || c == 0) {
            plain = false;
            break;
        }
    }
    if (plain && !hasLongLine(text))
        return out + "Content-Transfer-Encoding: 7bit\r\n\r\n" + text + "\r\n";
    return out + "Content-Transfer-Encoding: base64\r\n\r\n"
        + platform::codec::encodeBase64(text, platform::codec::Base64Lines::Mime) + "\r\n";
}

// A parameter value in double quotes, the name encoded when not ASCII (as
// mail programs read it).
std::string quotedName(std::string_view name)
{
    std::string encoded = encodeHeaderText(asUtf8(name));
    std::string out = "\"";
    for (char c : encoded) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\r' || c == '\n')
            continue;
        out += c;
    }
    return out + "\"";
}

std::string attachmentPart(const MessageAttachment& attachment)
{
    std::string name = quotedName(attachment.name);
    return "Content-Type: application/octet-stream; name=" + name
        + "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=" + name + "\r\n\r\n"
        + platform::codec::encodeBase64(attachment.bytes, platform::codec::Base64Lines::Mime) + "\r\n";
}

std::string joinAddresses(const std::vector<std::string>& addresses)
{
    std::string out;
    for (const auto& address : addresses) {
        if (!out.empty())
            out += ",\r\n ";
        out += address;
    }
    return out;
}

} // namespace

OutgoingMail parseOutgoingMail(std::string_view text)
{
    std::string_view parts[3];
    for (auto& part : parts) {
        auto lineFeed = text.find('\n');
        if (lineFeed == std::string_view::npos) {
            part = text;
            text = {};
            continue;
        }
        part = text.substr(0, lineFeed);
        text.remove_prefix(lineFeed + 1);
    }
    OutgoingMail mail;
    mail.recipients = entriesOf(parts[0], ',');
    mail.subject = std::string(parts[1]);
    if (!mail.subject.empty() && mail.subject.back() == '\r')
        mail.subject.pop_back();
    mail.attachments = entriesOf(trimBlanks(parts[2]), ';');
    mail.body = std::string(text);
    return mail;
}

std::string envelopeAddress(std::string_view entry)
{
    std::string_view address = trimBlanks(entry);
    auto open = address.rfind('<');
    if (open != std::string_view::npos) {
        auto close = address.find('>', open);
        address = address.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
        address = trimBlanks(address);
    }
    if (address.find('@') == std::string_view::npos)
        return {};
    // Characters that would break the SMTP command line are never part of
    // an address.
    for (char c : address) {
        if (c == '\r' || c == '\n' || c == '<' || c == '>' || c == '\0')
            return {};
    }
    return std::string(address);
}

AttachmentSource attachmentSourceOf(std::string_view entry)
{
    AttachmentSource source;
    source.uploaded = entry.starts_with('\\');
    if (!source.uploaded)
        source.pcPath = std::string(entry);
    auto lastSeparator = entry.find_last_of("\\/");
    std::string_view name = lastSeparator == std::string_view::npos ? entry : entry.substr(lastSeparator + 1);
    source.name = safeAttachmentName(name);
    return source;
}

std::string asUtf8(std::string_view text)
{
    if (platform::isValidUtf8(text))
        return std::string(text);
    return platform::toUtf8(text, platform::kCp949);
}

std::string encodeHeaderText(std::string_view text)
{
    if (isPlainAscii(text))
        return std::string(text);
    // Encoded words of at most 75 characters: 45 bytes of text each, never
    // splitting a character.
    constexpr std::size_t kBytesPerWord = 45;
    std::string out;
    while (!text.empty()) {
        std::string_view piece = platform::cutBytes(text, kBytesPerWord);
        if (piece.empty())
            piece = text.substr(0, 1);
        if (!out.empty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + platform::codec::encodeBase64(piece) + "?=";
        text.remove_prefix(piece.size());
    }
    return out;
}

std::string composeMessage(const MessageParts& parts)
{
    std::string head = "From: " + parts.from + "\r\n";
    head += "To: " + joinAddresses(parts.to) + "\r\n";
    if (!parts.subject.empty())
        head += "Subject: " + encodeHeaderText(asUtf8(parts.subject)) + "\r\n";
    head += "Date: " + parts.date + "\r\n";
    head += "Message-ID: <" + parts.messageId + ">\r\n";
    head += "MIME-Version: 1.0\r\n";
    if (parts.attachments.empty())
        return head + textPart(parts.noteText);

    std::string out = head + "Content-Type: multipart/mixed; boundary=\"" + parts.boundary + "\"\r\n\r\n";
    out += "This is a multi-part message in MIME format.\r\n";
    out += "--" + parts.boundary + "\r\n" + textPart(parts.noteText);
    for (const auto& attachment : parts.attachments)
        out += "--" + parts.boundary + "\r\n" + attachmentPart(attachment);
    out += "--" + parts.boundary + "--\r\n";
    return out;
}

} // namespace pc::mail
