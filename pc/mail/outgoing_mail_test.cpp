#include "pc/mail/outgoing_mail.h"

#include "platform/codec/base64.h"

#include <gtest/gtest.h>

namespace pc::mail {
namespace {

struct ParseCase {
    const char* text;
    std::vector<std::string> recipients;
    std::string subject;
    std::vector<std::string> attachments;
    std::string body;
};

TEST(OutgoingMailTest, SplitsAtTheFirstThreeLineFeeds)
{
    const ParseCase cases[] = {
        { "a@b.kr\nHi\n\nline 1\nline 2\n", { "a@b.kr" }, "Hi", {}, "line 1\nline 2\n" },
        { "a@b.kr,c@d.kr\nS\n\\Program Files\\x.doc;C:\\y.xls;\nbody", { "a@b.kr", "c@d.kr" }, "S",
            { "\\Program Files\\x.doc", "C:\\y.xls" }, "body" },
        { "\n\n\n", {}, "", {}, "" },
        { "", {}, "", {}, "" },
        { "a,,b\nonly subject", { "a", "b" }, "only subject", {}, "" },
        { "x@y\r\nSubj\r\n;;\r\nbody\r\n", { "x@y\r" }, "Subj", {}, "body\r\n" },
    };
    for (const auto& c : cases) {
        OutgoingMail mail = parseOutgoingMail(c.text);
        EXPECT_EQ(mail.recipients, c.recipients) << c.text;
        EXPECT_EQ(mail.subject, c.subject) << c.text;
        EXPECT_EQ(mail.attachments, c.attachments) << c.text;
        EXPECT_EQ(mail.body, c.body) << c.text;
    }
}

TEST(OutgoingMailTest, EnvelopeAddressesAreBareAndSafe)
{
    const std::pair<const char*, const char*> cases[] = {
        { " kim@example.com ", "kim@example.com" },
        { "김 <kim@example.com>", "kim@example.com" },
        { "nobody", "" },
        { "a@b\r\nRCPT TO:x@y", "" },
        { "x@y\r", "x@y" },
    };
    for (const auto& [entry, address] : cases)
        EXPECT_EQ(envelopeAddress(entry), address) << entry;
}

TEST(OutgoingMailTest, AttachmentEntriesNameUploadsOrPcFiles)
{
    AttachmentSource uploaded = attachmentSourceOf("\\Program Files\\x.doc");
    EXPECT_TRUE(uploaded.uploaded);
    EXPECT_EQ(uploaded.name, "x.doc");

    AttachmentSource climbing = attachmentSourceOf("\\..\\..\\etc/passwd");
    EXPECT_TRUE(climbing.uploaded);
    EXPECT_EQ(climbing.name, "passwd");

    AttachmentSource dots = attachmentSourceOf("\\My Documents\\..");
    EXPECT_NE(dots.name, "..");

    AttachmentSource pc = attachmentSourceOf("C:\\work\\report.xls");
    EXPECT_FALSE(pc.uploaded);
    EXPECT_EQ(pc.pcPath, "C:\\work\\report.xls");
    EXPECT_EQ(pc.name, "report.xls");
}

TEST(OutgoingMailTest, HeaderTextIsEncodedOnlyWhenNotAscii)
{
    EXPECT_EQ(encodeHeaderText("plain subject"), "plain subject");
    EXPECT_EQ(encodeHeaderText("한국"), "=?UTF-8?B?7ZWc6rWt?=");
    // Long text becomes several words, none longer than 75 characters, and
    // no character is split between two words.
    std::string longText;
    for (int i = 0; i < 40; ++i)
        longText += "가";
    std::string encoded = encodeHeaderText(longText);
    std::string decoded;
    std::size_t start = 0;
    while ((start = encoded.find("=?UTF-8?B?", start)) != std::string::npos) {
        auto end = encoded.find("?=", start + 10);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end + 2 - start, 75u);
        std::string piece = platform::codec::decodeBase64Lenient(encoded.substr(start + 10, end - start - 10));
        EXPECT_EQ(piece.size() % 3, 0u); // Whole three-byte characters.
        decoded += piece;
        start = end + 2;
    }
    EXPECT_EQ(decoded, longText);
}

TEST(OutgoingMailTest, LegacyCodePageTextBecomesUtf8)
{
    EXPECT_EQ(asUtf8("\xc7\xd1\xb1\xb9"), "한국");
    EXPECT_EQ(asUtf8("한국"), "한국");
}

MessageParts sampleParts()
{
    MessageParts parts;
    parts.from = "pc@example.com";
    parts.to = { "a@b.kr", "c@d.kr" };
    parts.subject = "Hello";
    parts.noteText = "line 1\nline 2";
    parts.date = "Tue, 05 Mar 2002 10:11:12 +0900";
    parts.messageId = "1.quillon@example.com";
    parts.boundary = "=_quillon_1";
    return parts;
}

TEST(OutgoingMailTest, PlainMessageHasCrLfLinesAndItsHeaders)
{
    std::string message = composeMessage(sampleParts());
    EXPECT_NE(message.find("From: pc@example.com\r\n"), std::string::npos);
    EXPECT_NE(message.find("To: a@b.kr,\r\n c@d.kr\r\n"), std::string::npos);
    EXPECT_NE(message.find("Subject: Hello\r\n"), std::string::npos);
    EXPECT_NE(message.find("Message-ID: <1.quillon@example.com>\r\n"), std::string::npos);
    EXPECT_NE(message.find("Content-Transfer-Encoding: 7bit\r\n\r\nline 1\r\nline 2\r\n"), std::string::npos);
    EXPECT_EQ(message.find("multipart"), std::string::npos);
}

TEST(OutgoingMailTest, KoreanBodyAndAttachmentsTravelInBase64)
{
    MessageParts parts = sampleParts();
    parts.noteText = "안녕하세요 ";
    parts.attachments = { { "보고서.doc", std::string("\0\x01\xff", 3) } };
    std::string message = composeMessage(parts);
    EXPECT_NE(message.find("Content-Type: multipart/mixed; boundary=\"=_quillon_1\""), std::string::npos);
    EXPECT_NE(message.find(platform::codec::encodeBase64("안녕하세요 ")), std::string::npos);
    EXPECT_NE(message.find("filename=\"=?UTF-8?B?" + platform::codec::encodeBase64("보고서.doc") + "?=\""),
        std::string::npos);
    EXPECT_NE(message.find("\r\n\r\nAAH/\r\n--=_quillon_1--\r\n"), std::string::npos);
}

} // namespace
} // namespace pc::mail
