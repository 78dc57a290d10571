#include "pc/mail/oversized_mail.h"

#include "pc/mail/raw_message.h"

#include <gtest/gtest.h>

namespace pc::mail {
namespace {

TEST(OversizedMail, StandInKeepsTheHeaderButNotTheBodysFields)
{
    std::string header = "Subject: =?UTF-8?B?7JWI64WV?=\r\n"
                         "Content-Type: multipart/mixed;\r\n\tboundary=\"x\"\r\n"
                         "From: a@b\r\n.Odd: dotted\r\nmime-version: 1.0\r\n"
                         "Content-Transfer-Encoding: base64\r\nTo: c@d,\r\n e@f";
    std::string standIn = oversizedStandIn(header, 70000000);
    EXPECT_EQ(standIn,
        "+OK\r\nSubject: =?UTF-8?B?7JWI64WV?=\r\nFrom: a@b\r\n..Odd: dotted\r\nTo: c@d,\r\n e@f\r\n"
        "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
        "Content-Transfer-Encoding: 8bit\r\n\r\n"
            + oversizedNotice(70000000) + "\r\n.\r\n");
    RawParts parts = splitRawMessage(standIn);
    EXPECT_NE(parts.header.find("\r\n.Odd: dotted\r\n"), std::string::npos);
    EXPECT_EQ(parts.body, oversizedNotice(70000000) + "\r\n");
    EXPECT_NE(oversizedNotice(70000000).find("70000000바이트"), std::string::npos);

    // Without a header (the server gave none) the stand-in is the notice alone.
    EXPECT_TRUE(oversizedStandIn("", 5).starts_with("+OK\r\nMIME-Version: 1.0\r\n"));
}

TEST(OversizedMail, LogNamesAccountSizeAndSubjectButNoPassword)
{
    std::string text = oversizedLogText({ "mail.example.com:1110", "kim", "secret" }, 70000000, "큰 첨부");
    EXPECT_EQ(text,
        "메일 계정 kim@mail.example.com:1110: 너무 커서 가져오지 못한 메일이 있습니다..\n"
        "크기: 70000000바이트, 제목: 큰 첨부\n");
}

} // namespace
} // namespace pc::mail
