#include "pc/mail/mime_message.h"
#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace pc::mail {
namespace {

// Builds a raw RETR answer from a header and a body written with "\n".
std::string raw(std::string_view header, std::string_view body)
{
    std::string text = "+OK message follows\n" + std::string(header) + "\n\n" + std::string(body) + "\n.\n";
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

DecodedMail decode(std::string_view header, std::string_view body)
{
    auto result = decodeMessageText(raw(header, body), "pop.example.com", "u1");
    EXPECT_TRUE(result);
    return result ? std::move(*result) : DecodedMail {};
}

TEST(MimeMessage, TopLevelTypesGiveTheirBodies)
{
    struct Case {
        std::string_view header;
        std::string_view body;
        std::string_view expected;
    };
    const Case cases[] = {
        { "Content-Type: text/plain", "hello", "hello\r\n" },
        { "", "no content type", "no content type\r\n" },
        { "Content-Type: text/plain; charset=euc-kr\nContent-Transfer-Encoding: base64", "x9GxuQ==", "한국" },
        { "Content-Type: text/html; charset=\"ks_c_5601-1987\"\nContent-Transfer-Encoding: quoted-printable",
            "<b>=C7=D1=B1=B9</b>=\n!", "<b>한국</b>!\r\n" },
        { "Content-Type: image/jpeg\nContent-Transfer-Encoding: base64", "/9j/4AAQ", kImageOnlyBody },
        { "Content-Type: audio/basic", "x", kAudioOnlyBody },
        { "Content-Type: video/mpeg", "x", kVideoOnlyBody },
        { "Content-Type: application/pdf", "x", kApplicationOnlyBody },
        { "Content-Type: x-weird/thing", "as text", "as text\r\n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        auto mail = decode(c.header, c.body);
        EXPECT_EQ(mail.message.body, c.expected);
        EXPECT_TRUE(mail.attachments.empty());
    }
}

TEST(MimeMessage, MediaTypeAndSubtypeCodes)
{
    EXPECT_EQ(mediaTypeCode("text"), MediaType::Text);
    EXPECT_EQ(mediaTypeCode("multipart"), MediaType::Multipart);
    EXPECT_EQ(mediaTypeCode("message"), MediaType::Message);
    EXPECT_EQ(mediaTypeCode(""), MediaType::Other);
    EXPECT_EQ(mediaTypeCode("model"), MediaType::Other);
    const std::pair<std::string_view, int> subtypes[] = {
        { "alternative", 0 }, { "htm", 6 }, { "html", 6 }, { "jpg", 7 }, { "mixed", 8 }, { "plain", 11 },
        { "related", 16 }, { "external-body", 20 }, { "delivery-status", -1 }, { "signed", -1 }, { "", -1 },
        { "HTML", -1 },
    };
    for (const auto& [subtype, code] : subtypes) {
        SCOPED_TRACE(subtype);
        EXPECT_EQ(subtypeCode(subtype), code);
    }
    EXPECT_EQ(ContentType::parse(" Text/HTML ; charset=x").subtype, "html");
    EXPECT_EQ(ContentType::parse("text/html").subtype, "html");
    EXPECT_EQ(ContentType::parse("text").type, "");
}

TEST(MimeMessage, ReadsTopLevelFields)
{
    auto mail = decode("Subject: =?euc-kr?B?x9GxuQ==?=\nFrom: a@b\nDate: Tue, 05 Mar 2002 10:11:12 +0900\n"
                       "Content-Type: Multipart/Mixed;\n\tboundary=\"=_b1\"; charset=x\n"
                       "Content-Transfer-Encoding: 7BIT",
        "--=_b1\n\nfirst\n--=_b1--");
    const MimeMessage& m = mail.message;
    EXPECT_EQ(m.mediaType, MediaType::Multipart);
    EXPECT_EQ(m.subtype, "mixed");
    EXPECT_EQ(m.encoding, "7bit");
    EXPECT_EQ(m.boundary, "=_b1");
    EXPECT_EQ(m.subject, "한국");
    EXPECT_EQ(m.time, "2002.03.05 화요일 10:11:12");
    EXPECT_EQ(m.server, "pop.example.com");
    EXPECT_EQ(m.uid, "u1");
    EXPECT_EQ(m.body, "first\r\n");
}

TEST(MimeMessage, AlternativeTakesTheHtmlPart)
{
    auto mail = decode("Content-Type: multipart/alternative; boundary=alt",
        "preamble\n--alt\nContent-Type: text/plain\n\nplain text\n--alt\nContent-Type: text/html\n\n"
        "<p>html</p>\n--alt--\nepilogue");
    ASSERT_EQ(mail.message.parts.size(), 2u);
    EXPECT_EQ(mail.message.parts[1].subtype, "html");
    EXPECT_EQ(mail.message.body, "<p>html</p>\r\n");
}

TEST(MimeMessage, MixedWithABase64Attachment)
{
    auto mail = decode("Content-Type: multipart/mixed; boundary=\"mix\"",
        "--mix\nContent-Type: text/plain; charset=euc-kr\nContent-Transfer-Encoding: base64\n\nx9GxuQ==\n"
        "--mix\nContent-Type: application/octet-stream; name=\"a.doc\"\nContent-Transfer-Encoding: base64\n"
        "Content-Disposition: attachment; filename=\"a.doc\"\n\nAAEC\n/w==\n--mix--");
    EXPECT_EQ(mail.message.body, "한국");
    ASSERT_EQ(mail.attachments.size(), 1u);
    EXPECT_EQ(mail.attachments[0].fileName, "a.doc");
    EXPECT_EQ(mail.data(mail.attachments[0]), std::string("\x00\x01\x02\xff", 4));
    EXPECT_EQ(mail.message.parts[1].dataLength(), 4u);
    EXPECT_TRUE(mail.message.parts[1].isAttachment);
}

TEST(MimeMessage, NestedRelatedInMixedIsFlattened)
{
    auto mail = decode("Content-Type: multipart/mixed; boundary=outer",
        "--outer\nContent-Type: multipart/related; boundary=\"inner\"; type=\"text/html\"\n\n"
        "--inner\nContent-Type: text/html\n\n<img src=cid:1>\n"
        "--inner\nContent-Type: image/gif; name=logo.gif\nContent-Disposition: inline\n"
        "Content-Transfer-Encoding: base64\n\nR0lGODlh\n--inner--\n"
        "--outer\nContent-Type: text/plain; name=notes.txt\nContent-Disposition: attachment\n\nnotes\n--outer--");
    ASSERT_EQ(mail.message.parts.size(), 3u);
    EXPECT_EQ(mail.message.body, "<img src=cid:1>\r\n");
    ASSERT_EQ(mail.attachments.size(), 2u);
    EXPECT_EQ(mail.attachments[0].fileName, "logo.gif");
    EXPECT_EQ(mail.data(mail.attachments[0]), "GIF89a");
    EXPECT_EQ(mail.attachments[1].fileName, "notes.txt");
    EXPECT_EQ(mail.data(mail.attachments[1]), "notes");
}

TEST(MimeMessage, MultipartWithoutBoundaryFails)
{
    auto result = decodeMessageText(raw("Content-Type: multipart/mixed", "--x\n\nbody\n--x--"), "s", "u");
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), DecodeError::MissingBoundary);
}

TEST(MimeMessage, DeliveryReportAndInlineTextAreAppended)
{
    auto mail = decode("Content-Type: multipart/report; report-type=delivery-status; boundary=r",
        "--r\nContent-Type: text/plain\n\nCould not deliver.\n"
        "--r\nContent-Type: message/delivery-status\n\nStatus: 5.1.1\n"
        "--r\nContent-Type: text/plain\nContent-Disposition: inline\n\nfooter\n"
        "--r\nContent-Type: message/rfc822-headers\n\nSubject: lost\n--r--");
    EXPECT_EQ(mail.message.body, "Could not deliver.\r\n\r\n\r\nStatus: 5.1.1\r\n\r\n\r\nfooter\r\n");
    EXPECT_TRUE(mail.attachments.empty());
}

TEST(MimeMessage, AttachmentFlagFollowsNameAndDisposition)
{
    struct Case {
        std::string_view header;
        bool attachment;
    };
    const Case cases[] = {
        { "Content-Type: application/pdf", false },
        { "Content-Type: application/pdf; name=a.pdf", true },
        { "Content-Type: image/png\nContent-Disposition: inline; filename=p.png", true },
        { "Content-Type: text/plain\nContent-Disposition: inline; filename=t.txt", false },
        { "Content-Disposition: inline; filename=t.txt", false },
        { "Content-Type: text/plain\nContent-Disposition: attachment; filename=t.txt", true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        auto mail = decode("Content-Type: multipart/mixed; boundary=b", "--b\n" + std::string(c.header) + "\n\nx\n--b--");
        ASSERT_EQ(mail.message.parts.size(), 1u);
        EXPECT_EQ(mail.message.parts[0].isAttachment, c.attachment);
    }
}

TEST(MimeMessage, AttachmentNamesAreDecodedAndMadeSafe)
{
    struct Case {
        std::string_view name;
        std::string_view header;
        std::string_view fileName;
    };
    const Case cases[] = {
        { "B encoded", "Content-Type: application/x; name=\"=?euc-kr?B?x9GxuQ==?=.doc\"", "한국.doc" },
        { "Q encoded", "Content-Disposition: attachment; filename=\"=?utf-8?Q?=ED=95=9C.txt?=\"", "한.txt" },
        { "RFC 2231", "Content-Disposition: attachment; filename*=utf-8''%ED%95%9C%EA%B5%AD.pdf", "한국.pdf" },
        { "RFC 2231 continuations",
            "Content-Disposition: attachment;\n filename*0*=euc-kr''%C7%D1;\n filename*1*=%B1%B9;\n filename*2=\".hwp\"",
            "한국.hwp" },
        { "filename wins over name", "Content-Type: application/x; name=n.bin\nContent-Disposition: attachment; filename=f.bin",
            "f.bin" },
        { "path is stripped", "Content-Disposition: attachment; filename=\"../../x\"", "x" },
        { "windows path", "Content-Disposition: attachment; filename=\"C:\\My Documents\\plan.doc\"", "plan.doc" },
        { "parameters after the name", "Content-Type: application/x; name=\"a b.zip\"; x-mac-type=0", "a b.zip" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto mail = decode("Content-Type: multipart/mixed; boundary=b", "--b\n" + std::string(c.header) + "\n\nx\n--b--");
        ASSERT_EQ(mail.attachments.size(), 1u);
        EXPECT_EQ(mail.attachments[0].fileName, c.fileName);
    }
}

TEST(MimeMessage, RawEightBitHeadersAreReadInTheMessagesCharset)
{
    // "한국" in EUC-KR bytes, with no encoded word around them.
    const std::string korean = "\xC7\xD1\xB1\xB9";
    // The parts declare euc-kr; the top-level header declares nothing.
    DecodedMail declared = decode("Subject: " + korean + " news\nFrom: " + korean + " <kim@example.com>\n"
                                  "Content-Type: multipart/alternative; boundary=b",
        "--b\nContent-Type: text/plain; charset=euc-kr\n\nbody\n--b--");
    EXPECT_EQ(declared.message.subject, "한국 news");
    EXPECT_EQ(declared.message.from, "한국 <kim@example.com>");

    // Nothing declared: valid UTF-8 stays, anything else reads as CP949.
    EXPECT_EQ(decode("Subject: 한국", "x").message.subject, "한국");
    EXPECT_EQ(decode("Subject: " + korean, "x").message.subject, "한국");
    // Whatever arrives, what the store gets is UTF-8.
    DecodedMail garbage = decode("Subject: \xFF\xFE\x80 =?x-unknown?B?/w==?=\nCc: \xC0<a@b>", "x");
    EXPECT_TRUE(platform::isValidUtf8(garbage.message.subject)) << garbage.message.subject;
    EXPECT_TRUE(platform::isValidUtf8(garbage.message.cc));
}

TEST(MimeMessage, AttachmentBytesLoseOnlyTheDelimiterLineBreak)
{
    auto mail = decode("Content-Type: multipart/mixed; boundary=b",
        "--b\nContent-Type: application/octet-stream; name=a.bin\n\nline1\nline2\n\n--b\n"
        "Content-Type: application/octet-stream; name=q.bin\nContent-Transfer-Encoding: quoted-printable\n\n"
        "caf=C3=A9\n--b--");
    ASSERT_EQ(mail.attachments.size(), 2u);
    EXPECT_EQ(mail.data(mail.attachments[0]), "line1\r\nline2\r\n");
    EXPECT_EQ(mail.data(mail.attachments[1]), "caf\xC3\xA9");
}

TEST(MimeMessage, ForwardedMessageIsFlattenedIntoItsParts)
{
    auto mail = decode("Content-Type: multipart/mixed; boundary=top",
        "--top\nContent-Type: text/plain\n\nsee below\n--top\nContent-Type: message/rfc822\n\n"
        "Subject: inner\nContent-Type: multipart/mixed; boundary=in\n\n--in\nContent-Type: text/html\n\n"
        "<i>inner</i>\n--in--\n--top--");
    EXPECT_EQ(mail.message.body, "<i>inner</i>\r\n");
}

TEST(MimeMessage, DelimitersCountOnlyAtLineStarts)
{
    auto mail = decode("Content-Type: multipart/alternative; boundary=b",
        "--b\nContent-Type: text/plain\n\nsee --b inside a line\n--b--");
    EXPECT_EQ(mail.message.body, "see --b inside a line\r\n");
}

TEST(MimeMessage, StoredTextIsUnstuffedAndCutAtTheTerminator)
{
    auto result = decodeMessageText("+OK\r\nSubject: s\r\n\r\n..leading dot\r\nlast\r\n.\r\nafter\r\n", "s", "u");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->message.body, ".leading dot\r\nlast\r\n");
}

} // namespace
} // namespace pc::mail
