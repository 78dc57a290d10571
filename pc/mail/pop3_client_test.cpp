// The POP3 client against a scripted loopback peer: the answers a real
// server will not give (errors at each step, answers in pieces, silence).
// The client against Dovecot is in pop3_dovecot_test.cpp.

#include "pc/mail/pop3_client.h"

#include "pc/mail/private_files.h"
#include "pc/mail/scripted_pop3_server.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pc::mail {
namespace {

using testing::loginSteps;
using testing::ScriptedPop3Server;
using testing::ScriptStep;

// Long enough for any scripted answer on a busy machine; only the tests of a
// silent server wait for it to run out.
constexpr std::chrono::milliseconds kReceiveTimeout { 2000 };
constexpr std::chrono::milliseconds kSilenceTimeout { 150 };

std::vector<ScriptStep> withLogin(std::vector<ScriptStep> rest)
{
    auto steps = loginSteps();
    steps.insert(steps.end(), rest.begin(), rest.end());
    return steps;
}

std::unique_ptr<Pop3Client> makeClient(const ScriptedPop3Server& server)
{
    auto client = std::make_unique<Pop3Client>("127.0.0.1", server.port(), "", "");
    client->setCredentials("kim", "secret");
    client->setReceiveTimeout(kReceiveTimeout);
    return client;
}

TEST(Pop3Client, ConnectFailsAtTheStepThatAnswersErr)
{
    struct Case {
        std::string_view name;
        std::vector<ScriptStep> script;
        std::string_view error;
    };
    const Case cases[] = {
        { "greeting", { { "", { "-ERR go away\r\n" } } }, kPop3NoGreeting },
        { "user", { { "", { "+OK ready\r\n" } }, { "USER", { "-ERR no such user\r\n" } } }, kPop3BadUser },
        { "pass",
            { { "", { "+OK ready\r\n" } }, { "USER", { "+OK\r\n" } }, { "PASS", { "-ERR wrong\r\n" } } },
            kPop3BadPassword },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPop3Server server(c.script);
        auto client = makeClient(server);
        EXPECT_FALSE(client->connect());
        EXPECT_EQ(client->lastError(), c.error);
        EXPECT_FALSE(client->isConnected());
        client.reset();
        // The socket was closed: the peer saw the end without a QUIT.
        auto lines = server.finish();
        for (const auto& line : lines)
            EXPECT_NE(line, "QUIT");
    }
}

TEST(Pop3Client, LowerCaseAnswersPassTheSingleLineCheck)
{
    ScriptedPop3Server server({ { "", { "+ok hi\r\n" } }, { "USER", { "-err but passes\r\n" } },
        { "PASS", { "whatever\r\n" } }, { "STAT", { "+OK 0 0\r\n" } }, { "QUIT", { "+OK\r\n" } } });
    auto client = makeClient(server);
    ASSERT_TRUE(client->connect());
    EXPECT_EQ(client->lastError(), kPop3Ok);
    EXPECT_EQ(client->stat(), 0);
    EXPECT_EQ(client->lastResponse(), "+OK 0 0\r\n");
    EXPECT_TRUE(client->quit());
    EXPECT_EQ(server.finish(), (std::vector<std::string> { "USER kim", "PASS secret", "STAT", "QUIT" }));
}

TEST(Pop3Client, StatFailuresGiveMinusOne)
{
    ScriptedPop3Server server(withLogin({ { "STAT", { "-ERR locked\r\n" } }, { "STAT", { "+OK\r\n" } },
        { "QUIT", { "+OK\r\n" } } }));
    auto client = makeClient(server);
    ASSERT_TRUE(client->connect());
    EXPECT_EQ(client->stat(), -1);
    EXPECT_EQ(client->lastError(), kPop3StatFailed);
    EXPECT_EQ(client->stat(), -1);
}

TEST(Pop3Client, ReadsUidlAnswerSplitIntoPieces)
{
    ScriptedPop3Server server(withLogin({ { "UIDL", { "+OK 2 messages\r\n1 a1\r", "\n2 b.2\r\n.", "\r\n" } },
        { "QUIT", { "+OK\r\n" } } }));
    auto client = makeClient(server);
    ASSERT_TRUE(client->connect());
    ASSERT_TRUE(client->uidl(2));
    EXPECT_EQ(client->uids(), (std::vector<std::string> { "a1", "b.2" }));
}

TEST(Pop3Client, MultiLineErrInAnyCaseFails)
{
    ScriptedPop3Server server(withLogin({ { "RETR", { "-err no such message\r\n" } },
        { "UIDL", { "-E", "RR busy\r\n" } }, { "QUIT", { "+OK\r\n" } } }));
    auto client = makeClient(server);
    platform::TempFolder folder("pop3_client_test");
    MailRecord record;
    ASSERT_TRUE(client->connect());
    EXPECT_FALSE(client->retrieve(1, record, folder.path() / "raw"));
    EXPECT_EQ(client->lastError(), kPop3RetrFailed);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "raw"));
    // The error line was read whole: the next answer is in step.
    EXPECT_FALSE(client->uidl(0));
    EXPECT_TRUE(client->quit());
}

TEST(Pop3Client, RetrieveReadsToTheRealTerminatorAndKeepsTheWholeAnswer)
{
    const std::string answer = "+OK 40 octets\r\nSubject: x\r\nFrom: a@b\r\n\r\nA sentence.\r\n"
                               "..dotted\r\nend\r\n.\r\n";
    ScriptedPop3Server server(withLogin({ { "RETR", { answer.substr(0, 40), answer.substr(40, 13),
                                                        answer.substr(53) } },
        { "QUIT", { "+OK\r\n" } } }));
    auto client = makeClient(server);
    platform::TempFolder folder("pop3_client_test");
    MailRecord record;
    ASSERT_TRUE(client->connect());
    ASSERT_TRUE(client->retrieve(3, record, folder.path() / "u1"));
    EXPECT_EQ(record.headerText, "Subject: x\r\nFrom: a@b");
    EXPECT_EQ(record.bodyText, "A sentence.\r\n.dotted\r\nend\r\n");
    EXPECT_EQ(record.subject, "x");
    EXPECT_EQ(*readFileBytes(folder.path() / "u1"), answer);
    EXPECT_EQ(std::filesystem::status(folder.path() / "u1").permissions(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    client.reset();
    EXPECT_EQ(server.finish().at(2), "RETR 3");
}

TEST(Pop3Client, RetrieveOfTheSmallestAnswer)
{
    ScriptedPop3Server server(withLogin({ { "RETR", { "+OK\r\nSubject: x\r\n\r\nbody\r\n.\r\n" } },
        { "QUIT", { "+OK\r\n" } } }));
    auto client = makeClient(server);
    platform::TempFolder folder("pop3_client_test");
    MailRecord record;
    ASSERT_TRUE(client->connect());
    ASSERT_TRUE(client->retrieve(1, record, folder.path() / "u"));
    EXPECT_EQ(record.headerText, "Subject: x");
    EXPECT_EQ(record.bodyText, "body\r\n");
}

TEST(Pop3Client, AnswerBeyondTheLimitFailsAndKeepsNothing)
{
    std::string big = "+OK\r\nSubject: big\r\n\r\n" + std::string(5000, 'x') + "\r\n.\r\n";
    ScriptedPop3Server server(withLogin({ { "RETR", { big } } }));
    auto client = makeClient(server);
    client->setMaxAnswerBytes(4096);
    platform::TempFolder folder("pop3_client_test");
    MailRecord record;
    ASSERT_TRUE(client->connect());
    EXPECT_FALSE(client->retrieve(1, record, folder.path() / "u"));
    EXPECT_EQ(client->lastError(), kPop3AnswerTooLarge);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "u"));
    EXPECT_FALSE(client->isConnected());
    // The header fields come from the part that arrived.
    EXPECT_EQ(record.subject, "big");
    EXPECT_TRUE(record.bodyText.empty());
}

TEST(Pop3Client, ListGivesSizesAndTopTheHeaderAlone)
{
    ScriptedPop3Server server(withLogin({ { "LIST", { "+OK 2 messages\r\n1 120\r\n", "2 7000\r\n.\r\n" } },
        { "TOP", { "+OK\r\nSubject: head only\r\nFrom: a@b\r\n\r\n.\r\n" } },
        { "TOP", { "-ERR no TOP\r\n" } }, { "QUIT", { "+OK\r\n" } } }));
    auto client = makeClient(server);
    ASSERT_TRUE(client->connect());
    ASSERT_TRUE(client->list());
    EXPECT_EQ(client->sizes(), (std::map<int, std::int64_t> { { 1, 120 }, { 2, 7000 } }));
    MailRecord record;
    ASSERT_TRUE(client->top(2, record));
    EXPECT_EQ(record.headerText, "Subject: head only\r\nFrom: a@b");
    EXPECT_EQ(record.subject, "head only");
    // A server without TOP refuses it and stays in step.
    EXPECT_FALSE(client->top(1, record));
    EXPECT_TRUE(client->quit());
    EXPECT_EQ(server.finish(),
        (std::vector<std::string> { "USER kim", "PASS secret", "LIST", "TOP 2 0", "TOP 1 0", "QUIT" }));
}

TEST(Pop3Client, ConnectionClosedBeforeTheTerminatorFails)
{
    ScriptedPop3Server server(withLogin({ { "RETR", { "+OK\r\nSubject: cut\r\n\r\nhalf a mes" }, true } }));
    auto client = makeClient(server);
    platform::TempFolder folder("pop3_client_test");
    MailRecord record;
    ASSERT_TRUE(client->connect());
    EXPECT_FALSE(client->retrieve(1, record, folder.path() / "u"));
    EXPECT_EQ(client->lastError(), kPop3SocketError);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "u"));
}

TEST(Pop3Client, SilentServerTimesOutWithSocketError)
{
    {
        ScriptedPop3Server server(std::vector<ScriptStep> { ScriptStep { "", {} } });
        auto client = makeClient(server);
        client->setReceiveTimeout(kSilenceTimeout);
        EXPECT_FALSE(client->connect());
        EXPECT_EQ(client->lastError(), kPop3SocketError);
    }
    {
        ScriptedPop3Server server(withLogin({ { "RETR", { "+OK\r\nSubject: x\r\n" } } }));
        auto client = makeClient(server);
        platform::TempFolder folder("pop3_client_test");
        MailRecord record;
        ASSERT_TRUE(client->connect());
        client->setReceiveTimeout(kSilenceTimeout);
        EXPECT_FALSE(client->retrieve(1, record, folder.path() / "u"));
        EXPECT_EQ(client->lastError(), kPop3SocketError);
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "u"));
    }
}

TEST(Pop3Client, DeleAndQuitReportTheirFailures)
{
    ScriptedPop3Server server(withLogin({ { "DELE", { "-ERR no such message\r\n" } }, { "DELE", { "+OK\r\n" } },
        { "QUIT", { "-ERR cannot\r\n" } } }));
    auto client = makeClient(server);
    ASSERT_TRUE(client->connect());
    EXPECT_FALSE(client->dele(7));
    EXPECT_EQ(client->lastError(), kPop3DeleFailed);
    EXPECT_TRUE(client->dele(2));
    EXPECT_FALSE(client->quit());
    EXPECT_EQ(client->lastError(), kPop3QuitFailed);
    EXPECT_FALSE(client->isConnected());
    EXPECT_EQ(server.finish(), (std::vector<std::string> { "USER kim", "PASS secret", "DELE 7", "DELE 2", "QUIT" }));
}

TEST(Pop3Client, DestroyingAConnectedClientSaysQuit)
{
    ScriptedPop3Server server(withLogin({ { "QUIT", { "+OK bye\r\n" } } }));
    auto client = makeClient(server);
    ASSERT_TRUE(client->connect());
    EXPECT_TRUE(client->connect()); // Already connected: nothing is sent.
    client.reset();
    EXPECT_EQ(server.finish().back(), "QUIT");
}

TEST(Pop3Client, UnreachableServerAndAbsentCredentials)
{
    Pop3Client client("127.0.0.1", 1, "u", "p");
    client.setCredentials(std::nullopt, "other");
    EXPECT_EQ(client.user(), "u");
    EXPECT_EQ(client.password(), "p");
    EXPECT_EQ(client.lastError(), kPop3Ok);
    EXPECT_FALSE(client.connect());
    EXPECT_EQ(client.lastError(), kPop3NoConnection);
    EXPECT_TRUE(client.quit());
}

} // namespace
} // namespace pc::mail
