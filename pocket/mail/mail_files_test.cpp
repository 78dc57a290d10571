#include "pocket/mail/mail_files.h"

#include <gtest/gtest.h>

namespace pocket::mail {
namespace {

TEST(MailList, ReadsLinesUpToTheEmptyLineOrTheLastLineFeed)
{
    struct Case {
        const char* name;
        std::string_view content;
        std::vector<MailListEntry> expected;
    };
    const Case cases[] = {
        { "two lines and the final LF", "hi\ta@x\tpop.x\tu1\nyo\tb@x\tpop.x\tu2\n\n",
            { { "hi", "a@x", "pop.x", "u1" }, { "yo", "b@x", "pop.x", "u2" } } },
        { "nothing new", "\n", {} },
        { "text after the last LF is no line", "hi\ta\tp\tu1\npartial\tb", { { "hi", "a", "p", "u1" } } },
        { "missing fields stay empty", "only subject\n", { { "only subject", "", "", "" } } },
        { "stops at an empty line", "a\tb\tc\td\n\ne\tf\tg\th\n", { { "a", "b", "c", "d" } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseMailList(c.content), c.expected);
    }
}

TEST(MailFile, ReadsTheFieldsThePcWrites)
{
    std::string content = "a.jpg/b.doc//From : A <a@x> \r\nTo : kim@y \r\nCc :  \r\nTitle : hello \r\n"
                          "Time : 2026.01.05 월 10:20:30 \r\nPop3 : pop.x \r\nBody : <pre>hi <b>there</b></pre>[END]";
    auto mail = parseMailFile(content);
    EXPECT_TRUE(mail.hasAttachments);
    EXPECT_EQ(mail.attachmentBlock, "a.jpg/b.doc//");
    EXPECT_EQ(mail.attachments, (std::vector<std::string> { "a.jpg", "b.doc" }));
    EXPECT_EQ(mail.sender, "A <a@x>");
    EXPECT_EQ(mail.to, "kim@y");
    EXPECT_EQ(mail.cc, "");
    EXPECT_EQ(mail.title, "hello");
    EXPECT_EQ(mail.time, "2026.01.05 월 10:20:30");
    EXPECT_EQ(mail.pop3, "pop.x");
    EXPECT_EQ(mail.body, "<pre>hi <b>there</b></pre>");
    EXPECT_TRUE(mail.header.starts_with("From : A <a@x> \r\nTo : "));
    EXPECT_TRUE(mail.header.ends_with("Pop3 : pop.x \r\n"));
}

TEST(MailFile, WithoutAttachmentsBeginsWithTheMarker)
{
    auto mail = parseMailFile("//From : a \r\nTo : b \r\nCc : c \r\nTitle : t \r\nTime : x \r\nPop3 : p \r\n"
                              "Body : <pre>see http://x/y </pre> and </pre>[END]");
    EXPECT_FALSE(mail.hasAttachments);
    EXPECT_TRUE(mail.attachments.empty());
    EXPECT_EQ(mail.sender, "a");
    // The body runs to the last "</pre>", so a body quoting the tag stays whole.
    EXPECT_EQ(mail.body, "<pre>see http://x/y </pre> and </pre>");
}

TEST(MailFile, DamagedFilesGiveEmptyFields)
{
    for (std::string_view content : { "", "//", "no markers at all", "x//To : ", "//Body : <pre>", "<pre>" }) {
        SCOPED_TRACE(content);
        auto mail = parseMailFile(content);
        EXPECT_EQ(mail.title, "");
        EXPECT_EQ(mail.body, "");
    }
}

TEST(AttachmentList, EndsAtTheDoubleSlash)
{
    EXPECT_EQ(parseAttachmentList("a.jpg/b.doc//From"), (std::vector<std::string> { "a.jpg", "b.doc" }));
    EXPECT_EQ(parseAttachmentList("//From"), std::vector<std::string> {});
    EXPECT_EQ(parseAttachmentList("one.txt//"), std::vector<std::string> { "one.txt" });
}

TEST(MailDraft, RoundTripsAndKeepsEmptyFieldsBetweenMarkers)
{
    MailDraft draft { "a@x,b@y", "", "body\nline" };
    std::string text = formatMailDraft(draft);
    EXPECT_EQ(text, "a@x,b@y [MSGBR] [MSGBR]body\nline [MSGEND]");
    EXPECT_EQ(parseMailDraft(text), draft);
    EXPECT_FALSE(parseMailDraft("a [MSGBR]b [MSGEND]"));
    EXPECT_FALSE(parseMailDraft("a [MSGBR]b [MSGBR]c"));
}

TEST(MailText, JoinsFieldsAndCutsAtTheLimits)
{
    std::vector<std::string> attachments;
    for (int i = 0; i < 12; ++i)
        attachments.push_back("f" + std::to_string(i));
    std::string text = buildMailText({ "to@x", std::string(120, 's'), "body" }, attachments);
    EXPECT_EQ(text, "to@x\n" + std::string(99, 's') + "\nf0;f1;f2;f3;f4;f5;f6;f7;f8;f9;\nbody");
    EXPECT_EQ(buildMailText({ "a", "b", "c" }, {}), "a\nb\n\nc");
}

TEST(MailText, CountsRecipients)
{
    EXPECT_EQ(countRecipients(""), 0u);
    EXPECT_EQ(countRecipients("a@x"), 1u);
    EXPECT_EQ(countRecipients("1,2,3,4,5,6,7,8,9,10"), 10u);
}

TEST(MailAge, FiltersStoredMailsByTheViewPeriod)
{
    platform::LocalTime today;
    today.year = 2026;
    today.month = 3;
    today.day = 10;
    EXPECT_EQ(mailAgeDays({ 2026, 3, 5 }, today), 5);
    EXPECT_EQ(mailAgeDays({ 2025, 12, 31 }, today), 365 - 9 * 30 - 21);
    EXPECT_TRUE(isWithinViewPeriod("2026.03.05 목 10:00:00", 5, today));
    EXPECT_FALSE(isWithinViewPeriod("2026.03.04 수 10:00:00", 5, today));
    EXPECT_TRUE(isWithinViewPeriod("2001.01.01 월 10:00:00", -1, today));
    EXPECT_TRUE(isWithinViewPeriod("unreadable", 1, today));
}

} // namespace
} // namespace pocket::mail
