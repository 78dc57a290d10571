#include "pc/mail/mail_record.h"

#include "pc/mail/charset.h"
#include "platform/codepage.h"
#include "pc/mail/encoded_words.h"
#include "pc/mail/mime_header.h"
#include "pc/mail/text_util.h"

namespace pc::mail {
namespace {

// Decoded header text must not carry line breaks or tabs: the mail files put
// each field on one line and the mail list separates fields by tabs.
std::string flattenControls(std::string text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    }
    return text;
}

std::string stripEnclosingQuotes(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return std::string(trim(text));
}

} // namespace

std::string headerField(std::string_view headerText, std::string_view name)
{
    std::string needle = "\r\n" + std::string(name) + ":";
    std::string haystack = "\r\n" + std::string(headerText);
    std::size_t at = findIgnoringCase(haystack, needle);
    if (at == std::string::npos)
        return {};
    std::size_t begin = at + needle.size();
    std::size_t end = endOfHeaderField(haystack, begin);
    return unfold(std::string_view(haystack).substr(begin, end - begin));
}

std::string MailRecord::field(std::string_view name) const
{
    return headerField(headerText, name);
}

std::string declaredMessageCharset(std::string_view headerText, std::string_view body)
{
    // Part headers sit near the start of a body; a parameter further in is
    // more likely text than a header.
    constexpr std::size_t kSearchedBodyBytes = 64 * 1024;
    std::string charset = mimeParameter(headerText, "charset");
    if (charset.empty())
        charset = mimeParameter(body.substr(0, kSearchedBodyBytes), "charset");
    return charset;
}

std::string decodeSubject(std::string_view value, std::string_view declaredCharset)
{
    std::string text = flattenControls(decodeEncodedWords(value, declaredCharset).text);
    std::string trimmed(trim(text));
    return trimmed.empty() ? std::string(kNoSubject) : trimmed;
}

std::string decodeAddress(std::string_view value, std::string_view declaredCharset)
{
    DecodedHeader probe = decodeEncodedWords(value, declaredCharset);
    if (!probe.hadEncodedWord)
        return probe.text;
    std::size_t angle = value.find('<');
    std::string_view name = rtrim(value.substr(0, angle));
    std::string_view rest = angle == std::string_view::npos ? std::string_view() : value.substr(angle);
    std::string decoded
        = stripEnclosingQuotes(trim(flattenControls(decodeEncodedWords(name, declaredCharset).text)));
    std::string address = undeclaredHeaderText(rest, declaredCharset);
    std::string result = platform::countCodePoints(decoded) < 2 ? address : decoded + " " + address;
    return std::string(trim(result));
}

std::string decodeAddressList(std::string_view value, std::string_view declaredCharset)
{
    std::string out;
    std::size_t begin = 0;
    while (true) {
        std::size_t comma = value.find(',', begin);
        std::string_view address = value.substr(begin, comma == std::string_view::npos ? value.npos : comma - begin);
        if (begin != 0)
            out += ',';
        out += decodeAddress(address, declaredCharset);
        if (comma == std::string_view::npos)
            break;
        begin = comma + 1;
    }
    return out;
}

void MailRecord::fill(std::string header, std::string body)
{
    std::string charset = declaredMessageCharset(header, body);
    fill(std::move(header), std::move(body), charset);
}

void MailRecord::fill(std::string header, std::string body, std::string_view declaredCharset)
{
    headerText = std::move(header);
    bodyText = std::move(body);
    subject = decodeSubject(field("Subject"), declaredCharset);
    from = decodeAddress(field("From"), declaredCharset);
    to = decodeAddressList(field("To"), declaredCharset);
    cc = decodeAddressList(field("Cc"), declaredCharset);
    date = validUtf8(formatMailDate(field("Date")));
    messageId = validUtf8(field("Message-ID"));
}

} // namespace pc::mail
