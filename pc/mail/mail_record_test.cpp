#include "pc/mail/mail_record.h"

#include "pc/mail/encoded_words.h"

#include <gtest/gtest.h>

namespace pc::mail {
namespace {

struct Case {
    std::string_view name;
    std::string_view input;
    std::string_view expected;
};

TEST(MailRecord, FindsFieldsIgnoringCaseWithContinuationLines)
{
    const std::string header = "Received: from x\r\n\tby y\r\nsubject: first\r\n part\r\nX-Subject: no\r\n"
                               "From:a@b\r\nTo: \r\nCC:\tc@d \r\nDate: Tue, 05 Mar 2002 10:11:12 +0900";
    EXPECT_EQ(headerField(header, "Subject"), "first part");
    EXPECT_EQ(headerField(header, "Received"), "from x by y");
    EXPECT_EQ(headerField(header, "From"), "a@b");
    EXPECT_EQ(headerField(header, "To"), "");
    EXPECT_EQ(headerField(header, "Cc"), "c@d");
    EXPECT_EQ(headerField(header, "Date"), "Tue, 05 Mar 2002 10:11:12 +0900");
    EXPECT_EQ(headerField(header, "Message-ID"), "");
}

TEST(MailRecord, DecodesEncodedWords)
{
    const Case cases[] = {
        { "euc-kr B word", "=?euc-kr?B?x9GxuQ==?=", "한국" },
        { "ks_c_5601-1987 label", "=?ks_c_5601-1987?B?x9GxuQ==?=", "한국" },
        { "Q word, underscore is a space", "=?euc-kr?Q?=C7=D1=B1=B9_=B8=DE=C0=CF?=", "한국 메일" },
        { "lower-case b and q", "=?EUC-KR?b?x9GxuQ==?= =?utf-8?q?=ED=95=9C?=", "한국한" },
        { "utf-8 B word", "=?UTF-8?B?7JWI64WV7ZWY7IS47JqUIOyXrOufrOu2hA==?=", "안녕하세요 여러분" },
        { "character split across two words", "=?euc-kr?B?xw==?= =?euc-kr?B?0bG5?=", "한국" },
        { "utf-8 character split across folded words", "=?utf-8?B?7ZU=?=\r\n =?utf-8?B?nOq4gA==?=", "한글" },
        { "plain text around words is kept", "Re: =?euc-kr?B?x9GxuQ==?= (2)", "Re: 한국 (2)" },
        { "missing terminator decodes to the end", "=?euc-kr?B?x9GxuQ==", "한국" },
        { "iso-2022-kr", "=?iso-2022-kr?B?GyQpQw5HUTE5Pm4PIA5BJjhxDw==?=", "한국어 제목" },
        { "unknown charset passes bytes through", "=?x-unknown?Q?abc?=", "abc" },
        { "no encoded word", "plain ?B? text", "plain ?B? text" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeEncodedWords(c.input).text, c.expected);
    }
}

TEST(MailRecord, SubjectPostProcessing)
{
    const Case cases[] = {
        { "encoded", "=?euc-kr?B?x9GxuQ==?=", "한국" },
        { "empty", "", "제목없음" },
        { "blank", "   ", "제목없음" },
        { "plain stays", "hello", "hello" },
        { "decoded line breaks and tabs become spaces", "=?utf-8?Q?a=0D=0Ab=09c?=", "a  b c" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeSubject(c.input), c.expected);
    }
}

TEST(MailRecord, AddressPostProcessing)
{
    const Case cases[] = {
        { "encoded display name", "=?euc-kr?B?yKux5rW/?= <hong@example.com>", "홍길동 <hong@example.com>" },
        { "quoted encoded display name", "\"=?euc-kr?B?yKux5rW/?=\" <hong@example.com>", "홍길동 <hong@example.com>" },
        { "one-character name is dropped", "=?utf-8?Q?A?= <a@b>", "<a@b>" },
        { "no angle brackets", "=?euc-kr?B?yKux5rW/?=", "홍길동" },
        { "without encoded words unchanged", "Kim <kim@example.com>", "Kim <kim@example.com>" },
        { "empty", "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeAddress(c.input), c.expected);
    }
    EXPECT_EQ(decodeAddressList("=?euc-kr?B?yKux5rW/?= <h@x>, Kim <k@x>,  =?utf-8?B?7ZWc6rWt?= <c@x>"),
        "홍길동 <h@x>, Kim <k@x>,한국 <c@x>");
}

TEST(MailRecord, DateDisplayForm)
{
    const Case cases[] = {
        { "standard", "Tue, 05 Mar 2002 10:11:12 +0900", "2002.03.05 화요일 10:11:12" },
        { "one-digit day", "Sun, 3 Mar 2002 09:05:07 +0900 (KST)", "2002.03.03 일요일 09:05:07" },
        { "full weekday name", "Saturday, 09 Mar 2002 23:59:59 GMT", "2002.03.09 토요일 23:59:59" },
        { "every weekday", "Mon, 04 Mar 2002 1:2:3 +0000", "2002.03.04 월요일 01:02:03" },
        { "wednesday", "Wed, 06 Mar 2002 10:11:12 +0900", "2002.03.06 수요일 10:11:12" },
        { "thursday", "Thu, 07 Mar 2002 10:11:12 +0900", "2002.03.07 목요일 10:11:12" },
        { "friday", "Fri, 08 Mar 2002 10:11:12 +0900", "2002.03.08 금요일 10:11:12" },
        { "december", "Tue, 31 Dec 2002 10:11:12 +0900", "2002.12.31 화요일 10:11:12" },
        { "missing weekday is worked out", "05 Mar 2002 10:11:12 +0900", "2002.03.05 화요일 10:11:12" },
        { "missing seconds", "Tue, 05 Mar 2002 10:11 +0900", "2002.03.05 화요일 10:11:00" },
        { "unreadable stays", "yesterday", "yesterday" },
        { "empty", "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(formatMailDate(c.input), c.expected);
    }
}

TEST(MailRecord, FillDerivesAllFields)
{
    MailRecord record;
    record.fill("From: =?euc-kr?B?yKux5rW/?= <hong@example.com>\r\nTo: a@b, c@d\r\nSubject:\r\n"
                "Message-ID: <1.2@x>\r\n"
                "Date: Tue, 05 Mar 2002 10:11:12 +0900",
        "body\r\n");
    EXPECT_EQ(record.from, "홍길동 <hong@example.com>");
    EXPECT_EQ(record.to, "a@b, c@d");
    EXPECT_EQ(record.cc, "");
    EXPECT_EQ(record.subject, "제목없음");
    EXPECT_EQ(record.date, "2002.03.05 화요일 10:11:12");
    EXPECT_EQ(record.bodyText, "body\r\n");
    EXPECT_EQ(record.messageId, "<1.2@x>");
}

} // namespace
} // namespace pc::mail
