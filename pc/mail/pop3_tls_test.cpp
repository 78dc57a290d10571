// POP3 with TLS: POP3S and STLS against a real Dovecot that shows a
// certificate of a test authority, checked by name, trusted only through
// QUILLON_CA_FILE; and a server that refuses STLS, which never sees the
// password.

#include "pc/mail/mail_check.h"
#include "pc/mail/pop3_client.h"
#include "pc/mail/scripted_pop3_server.h"
#include "platform/temp_folder.h"
#include "platform/trusted_authorities.h"
#include "tests/fixtures/mail/dovecot_server.h"
#include "tests/fixtures/suite_server.h"
#include "tests/fixtures/tls/test_authority.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace pc::mail {
namespace {

using tests::fixtures::DovecotServer;
using tests::fixtures::TestAuthority;
using tests::fixtures::TrustedCaFile;

class Pop3TlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::unsetenv(platform::kCaFileVariable);
        s_folder.emplace("pop3_tls_test");
        auto authority = TestAuthority::make(s_folder->path());
        ASSERT_TRUE(authority) << authority.error();
        s_authority = *authority;
        tests::fixtures::keepForSuite(s_server,
            DovecotServer::start({ { "kim", "secret" } },
                tests::fixtures::DovecotTls { authority->serverCertificateFile, authority->serverKeyFile }));
    }
    static void TearDownTestSuite()
    {
        s_server.reset();
        s_folder.reset();
    }
    void SetUp() override
    {
        ASSERT_NE(s_server, nullptr) << "Dovecot did not start";
        s_server->clearMailbox("kim");
    }

    static Pop3Account account(Pop3Security security)
    {
        auto port = security == Pop3Security::Pop3s ? s_server->tlsPort() : s_server->port();
        return { "127.0.0.1:" + std::to_string(port), "kim", "secret", security };
    }
    static Pop3Options options()
    {
        Pop3Options options;
        options.timeout = std::chrono::seconds(10);
        return options;
    }

    static inline std::optional<platform::TempFolder> s_folder;
    static inline TestAuthority s_authority;
    static inline std::unique_ptr<DovecotServer> s_server;
};

TEST_F(Pop3TlsTest, AnUntrustedCertificateIsRefusedNamingTheServerAndTheReason)
{
    for (auto security : { Pop3Security::Pop3s, Pop3Security::Stls }) {
        auto client = makePop3Client(account(security), options());
        EXPECT_FALSE(client->connect());
        EXPECT_EQ(client->lastError(), kPop3TlsFailed);
        EXPECT_FALSE(client->isConnected());
        std::string cause = describePop3Failure(*client);
        EXPECT_EQ(cause.rfind("127.0.0.1의 인증서를 확인할 수 없습니다: ", 0), 0u) << cause;
        EXPECT_NE(cause.find("local issuer certificate"), std::string::npos) << cause;
    }
    // The log-in test of the account dialog tells the same.
    auto cause = logInTest(account(Pop3Security::Pop3s), options());
    ASSERT_TRUE(cause);
    EXPECT_NE(cause->find("인증서를 확인할 수 없습니다"), std::string::npos) << *cause;
}

TEST_F(Pop3TlsTest, WithTheAuthorityTrustedBothKindsFetchMail)
{
    ASSERT_TRUE(s_server->deliver("kim", "Subject: private\r\n\r\nover TLS\r\n"));
    TrustedCaFile trusted(s_authority.caFile);
    for (auto security : { Pop3Security::Pop3s, Pop3Security::Stls }) {
        auto client = makePop3Client(account(security), options());
        ASSERT_TRUE(client->connect()) << describePop3Failure(*client) << "\n" << s_server->log();
        EXPECT_EQ(client->stat(), 1);
        ASSERT_TRUE(client->uidl(1));
        MailRecord record;
        platform::TempFolder folder("pop3_tls_fetch");
        ASSERT_TRUE(client->retrieve(1, record, folder.path() / "raw"));
        EXPECT_EQ(record.subject, "private");
        EXPECT_EQ(record.bodyText, "over TLS\r\n");
        EXPECT_TRUE(client->quit());
    }
}

TEST(Pop3Stls, AServerThatRefusesStlsNeverSeesThePassword)
{
    for (std::string answer : { "-ERR no TLS here\r\n", "hmm\r\n" }) {
        testing::ScriptedPop3Server server({ { "", { "+OK ready\r\n" } }, { "STLS", { answer } } });
        Pop3Client client("127.0.0.1", server.port(), "kim", "secret");
        client.setSecurity(Pop3Security::Stls);
        client.setReceiveTimeout(std::chrono::seconds(10));
        EXPECT_FALSE(client.connect());
        EXPECT_EQ(client.lastError(), kPop3TlsFailed);
        EXPECT_EQ(describePop3Failure(client).rfind(std::string(kPop3StlsRefused), 0), 0u);
        EXPECT_EQ(server.finish(), std::vector<std::string> { "STLS" });
    }
}

} // namespace
} // namespace pc::mail
