#include "pocket/mail/mail_inbox.h"

#include "platform/clock.h"
#include "pocket/mail/mail_files.h"

#include <gtest/gtest.h>

namespace pocket::mail {
namespace {

TEST(InboxMessage, EncodesKoreanHeadersAndKeepsTheBody)
{
    MailFile mail;
    mail.sender = "a@x";
    mail.to = "kim@y";
    mail.title = "안녕";
    mail.time = "2026.01.05 월 10:20:30";
    platform::WallTime received {};
    std::string message = formatInboxMessage(mail, "<pre>본문</pre>", received);
    EXPECT_NE(message.find("Subject: =?UTF-8?B?7JWI64WV?=\n"), std::string::npos) << message;
    EXPECT_NE(message.find("Date: Mon, 05 Jan 2026 10:20:30 -0000\n"), std::string::npos) << message;
    EXPECT_EQ(message.find("Cc:"), std::string::npos);
    EXPECT_TRUE(message.ends_with("\n\n<pre>본문</pre>\n"));
}

} // namespace
} // namespace pocket::mail
