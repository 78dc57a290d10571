// The POP3 client against a real server: Dovecot on loopback, started by the
// fixture with its own configuration.

#include "pc/mail/pop3_client.h"

#include "pc/mail/private_files.h"
#include "tests/fixtures/mail/dovecot_server.h"
#include "tests/fixtures/suite_server.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <optional>

namespace pc::mail {
namespace {

namespace fs = std::filesystem;
using tests::fixtures::DovecotServer;
using tests::fixtures::keepForSuite;

class Pop3DovecotTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        keepForSuite(s_server, DovecotServer::start({ { "kim", "secret" }, { "lee", "pw" } }));
    }
    static void TearDownTestSuite()
    {
        s_server.reset();
    }

    void SetUp() override
    {
        ASSERT_NE(s_server, nullptr) << "Dovecot did not start";
        s_server->clearMailbox("kim");
        m_temp.emplace("pop3_dovecot_test");
        m_folder = m_temp->path();
    }
    void TearDown() override
    {
        m_temp.reset();
    }

    std::unique_ptr<Pop3Client> client(std::string user = "kim", std::string password = "secret")
    {
        auto c = std::make_unique<Pop3Client>("127.0.0.1", s_server->port(), "", "");
        c->setCredentials(user, password);
        c->setReceiveTimeout(std::chrono::seconds(10));
        return c;
    }
    void deliver(std::string_view message)
    {
        auto delivered = s_server->deliver("kim", message);
        ASSERT_TRUE(delivered) << delivered.error();
    }

    static inline std::unique_ptr<DovecotServer> s_server;
    std::optional<platform::TempFolder> m_temp;
    fs::path m_folder;
};

TEST_F(Pop3DovecotTest, EmptyMailbox)
{
    auto c = client("lee", "pw");
    ASSERT_TRUE(c->connect()) << c->lastError() << "\n" << s_server->log();
    EXPECT_EQ(c->stat(), 0);
    ASSERT_TRUE(c->uidl(0));
    EXPECT_TRUE(c->uids().empty());
    EXPECT_TRUE(c->quit());
}

TEST_F(Pop3DovecotTest, ListsAndRetrievesMessages)
{
    std::string big = "Subject: big\r\n\r\n";
    for (int i = 0; i < 4000; ++i)
        big += "line " + std::to_string(i) + " of a long message that spans many receive chunks.\r\n";
    deliver("Subject: first\r\nFrom: a@example.com\r\n\r\nhello\r\n");
    deliver("Subject: =?euc-kr?B?x9GxuQ==?=\r\n\r\n.starts with a dot\r\n.\r\nA sentence.\r\n");
    deliver(big);

    auto c = client();
    ASSERT_TRUE(c->connect()) << c->lastError() << "\n" << s_server->log();
    EXPECT_EQ(c->stat(), 3);
    ASSERT_TRUE(c->uidl(3));
    ASSERT_EQ(c->uids().size(), 3u);
    EXPECT_NE(c->uids()[0], c->uids()[1]);

    MailRecord first;
    ASSERT_TRUE(c->retrieve(1, first, m_folder / "1"));
    EXPECT_EQ(first.subject, "first");
    EXPECT_EQ(first.from, "a@example.com");
    EXPECT_EQ(first.bodyText, "hello\r\n");
    std::string raw = *readFileBytes(m_folder / "1");
    EXPECT_TRUE(raw.starts_with("+OK"));
    EXPECT_TRUE(raw.ends_with("hello\r\n.\r\n"));

    MailRecord dotted;
    ASSERT_TRUE(c->retrieve(2, dotted, m_folder / "2"));
    EXPECT_EQ(dotted.subject, "한국");
    EXPECT_EQ(dotted.bodyText, ".starts with a dot\r\n.\r\nA sentence.\r\n");

    MailRecord large;
    ASSERT_TRUE(c->retrieve(3, large, m_folder / "3"));
    EXPECT_EQ(large.subject, "big");
    EXPECT_TRUE(large.bodyText.ends_with("line 3999 of a long message that spans many receive chunks.\r\n"));
    EXPECT_GT(fs::file_size(m_folder / "3"), 200000u);

    MailRecord missing;
    EXPECT_FALSE(c->retrieve(9, missing, m_folder / "9"));
    EXPECT_EQ(c->lastError(), kPop3RetrFailed);
    EXPECT_FALSE(fs::exists(m_folder / "9"));
    EXPECT_TRUE(c->quit());
}

TEST_F(Pop3DovecotTest, AnswerLimitStopsALargeMessage)
{
    deliver("Subject: big\r\n\r\n" + std::string(100000, 'x') + "\r\n");
    auto c = client();
    c->setMaxAnswerBytes(50000);
    ASSERT_TRUE(c->connect());
    ASSERT_EQ(c->stat(), 1);
    MailRecord record;
    EXPECT_FALSE(c->retrieve(1, record, m_folder / "big"));
    EXPECT_EQ(c->lastError(), kPop3AnswerTooLarge);
    EXPECT_FALSE(fs::exists(m_folder / "big"));
}

TEST_F(Pop3DovecotTest, DeleteTakesEffectAtQuit)
{
    deliver("Subject: one\r\n\r\n1\r\n");
    deliver("Subject: two\r\n\r\n2\r\n");
    {
        auto c = client();
        ASSERT_TRUE(c->connect());
        ASSERT_TRUE(c->uidl(2));
        EXPECT_TRUE(c->dele(1));
        EXPECT_FALSE(c->dele(5));
        EXPECT_EQ(c->lastError(), kPop3DeleFailed);
        // Destruction says QUIT, which makes the deletion take effect.
    }
    auto c = client();
    ASSERT_TRUE(c->connect());
    EXPECT_EQ(c->stat(), 1);
    MailRecord record;
    ASSERT_TRUE(c->retrieve(1, record, m_folder / "left"));
    EXPECT_EQ(record.subject, "two");
}

// Last in the file: Dovecot holds back further log-ins from an address that
// failed one, so a run of the whole binary would wait behind it.
TEST_F(Pop3DovecotTest, WrongPasswordIsRefused)
{
    auto c = client("kim", "wrong");
    EXPECT_FALSE(c->connect());
    EXPECT_EQ(c->lastError(), kPop3BadPassword) << s_server->log();
    EXPECT_FALSE(c->isConnected());
}

} // namespace
} // namespace pc::mail
