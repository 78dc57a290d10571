// The mail check's fetch and the delete against a scripted POP3 peer, for
// answers Dovecot never gives: a STAT without a count, a LIST that tells too
// little. The check against Dovecot is in mail_check_test.cpp.

#include "pc/mail/mail_check.h"

#include "pc/mail/prepared_mail.h"
#include "pc/mail/private_files.h"
#include "pc/mail/scripted_pop3_server.h"
#include "pc/mail/seen_index.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace pc::mail {
namespace {

namespace fs = std::filesystem;
using testing::loginSteps;
using testing::ScriptedPop3Server;
using testing::ScriptStep;
using Commands = std::vector<std::string>;

std::vector<ScriptStep> withLogin(std::vector<ScriptStep> rest)
{
    auto steps = loginSteps();
    steps.insert(steps.end(), rest.begin(), rest.end());
    return steps;
}

Commands sentWithLogin(Commands rest)
{
    Commands commands { "USER kim", "PASS secret" };
    commands.insert(commands.end(), rest.begin(), rest.end());
    return commands;
}

class MailCheckScriptedTest : public ::testing::Test {
protected:
    MailCheckScriptedTest()
    {
        m_options.timeout = std::chrono::seconds(5);
    }

    MailStore store() const { return MailStore(m_root / "boxes", m_root / "Quillon"); }
    static Pop3Account account(const ScriptedPop3Server& server)
    {
        return { "127.0.0.1:" + std::to_string(server.port()), "kim", "secret" };
    }

    platform::TempFolder m_temp { "mail_check_scripted_test" };
    fs::path m_root = m_temp.path();
    Pop3Options m_options;
};

TEST_F(MailCheckScriptedTest, StatWithoutACountLetsTheUidlAnswerDecide)
{
    const std::string message = "+OK\r\nSubject: counted anyway\r\nFrom: a@b\r\n\r\nbody\r\n.\r\n";
    ScriptedPop3Server server(withLogin({ { "STAT", { "+OK mailbox ready\r\n" } },
        { "UIDL", { "+OK\r\n1 u1\r\n.\r\n" } }, { "LIST", { "+OK\r\n1 40\r\n.\r\n" } },
        { "RETR", { message } }, { "QUIT", { "+OK\r\n" } } }));
    std::vector<FetchedMail> fetched;
    EXPECT_TRUE(fetchNewMail(store(), "owner", account(server), m_options, fetched));
    EXPECT_EQ(server.finish(), sentWithLogin(Commands { "STAT", "UIDL", "LIST", "RETR 1", "QUIT" }));
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(fetched[0].subject, "counted anyway");
    EXPECT_EQ(fetched[0].uid, "u1");
}

TEST_F(MailCheckScriptedTest, RefusedStatAndRefusedUidlFailTheFetch)
{
    ScriptedPop3Server server(withLogin(
        { { "STAT", { "-ERR locked\r\n" } }, { "UIDL", { "-ERR locked\r\n" } }, { "QUIT", { "+OK\r\n" } } }));
    std::vector<FetchedMail> fetched;
    EXPECT_FALSE(fetchNewMail(store(), "owner", account(server), m_options, fetched));
    EXPECT_EQ(server.finish(), sentWithLogin(Commands { "STAT", "UIDL", "QUIT" }));
    EXPECT_TRUE(fetched.empty());
}

TEST_F(MailCheckScriptedTest, EmptyMailboxEndsWithQuit)
{
    ScriptedPop3Server server(withLogin({ { "STAT", { "+OK 0 0\r\n" } }, { "QUIT", { "+OK\r\n" } } }));
    std::vector<FetchedMail> fetched;
    EXPECT_TRUE(fetchNewMail(store(), "owner", account(server), m_options, fetched));
    EXPECT_EQ(server.finish(), sentWithLogin(Commands { "STAT", "QUIT" }));
}

TEST_F(MailCheckScriptedTest, DeleteWithoutAStatCountFindsTheMessageByUidl)
{
    ScriptedPop3Server server(withLogin({ { "STAT", { "+OK\r\n" } },
        { "UIDL", { "+OK\r\n1 u1\r\n2 u2\r\n.\r\n" } }, { "DELE", { "+OK\r\n" } },
        { "QUIT", { "+OK\r\n" } } }));
    MailUser user { "owner", { account(server) } };
    EXPECT_EQ(deleteMail(user, "u2\n" + user.accounts[0].server, m_options), DeleteOutcome::Deleted);
    EXPECT_EQ(server.finish(), sentWithLogin(Commands { "STAT", "UIDL", "DELE 2", "QUIT" }));

    ScriptedPop3Server empty(withLogin({ { "STAT", { "+OK 0 0\r\n" } }, { "QUIT", { "+OK\r\n" } } }));
    MailUser emptyUser { "owner", { account(empty) } };
    EXPECT_EQ(deleteMail(emptyUser, "u2\n" + emptyUser.accounts[0].server, m_options),
        DeleteOutcome::NoSuchMessage);
    EXPECT_EQ(empty.finish(), sentWithLogin(Commands { "STAT", "QUIT" }));
}

// LIST calls the message small, but its answer outgrows the limit: the part
// that came gives the stand-in its header, and the fetch ends there (the
// rest of the answer is not read) with the message marked seen.
TEST_F(MailCheckScriptedTest, AnswerBeyondTheLimitDespiteListGetsAStandIn)
{
    m_options.maxAnswerBytes = 4096;
    std::string big
        = "+OK\r\nSubject: grew\r\nFrom: a@b\r\nContent-Type: image/png\r\n\r\n" + std::string(8000, 'x');
    ScriptedPop3Server server(withLogin({ { "STAT", { "+OK 2 100\r\n" } },
        { "UIDL", { "+OK\r\n1 u1\r\n2 u2\r\n.\r\n" } }, { "LIST", { "+OK\r\n1 50\r\n2 50\r\n.\r\n" } },
        { "RETR", { big } } }));
    std::vector<FetchedMail> fetched;
    EXPECT_TRUE(fetchNewMail(store(), "owner", account(server), m_options, fetched));
    EXPECT_EQ(server.finish(), sentWithLogin(Commands { "STAT", "UIDL", "LIST", "RETR 1" }));
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(fetched[0].subject, "grew");
    EXPECT_EQ(fetched[0].tooLargeBytes, 4096);
    EXPECT_EQ(readSeenIndex(store().seenIndexPath("owner", account(server).server)), Commands { "u1" });
    fs::path rawPath = store().rawMessagePath("owner", account(server).server, "u1");
    std::string standIn = readFileBytes(rawPath).valueOr(std::string());
    EXPECT_TRUE(standIn.starts_with("+OK\r\nSubject: grew\r\nFrom: a@b\r\nMIME-Version: 1.0\r\n")) << standIn;
    EXPECT_EQ(standIn.find("image/png"), std::string::npos);
}

} // namespace
} // namespace pc::mail
