// Submission with STARTTLS to a real relay (aiosmtpd) that shows a
// certificate of a test authority and takes no mail before TLS: refused,
// naming the relay and the reason, while the authority is not trusted;
// delivered once it is; and a relay set up without STARTTLS gets the
// relay's own refusal, not a silent loss.

#include "pc/mail/mail_sender.h"
#include "pc/mail/smtp_submit.h"
#include "platform/temp_folder.h"
#include "tests/fixtures/mail/smtp_sink.h"
#include "tests/fixtures/suite_server.h"
#include "tests/fixtures/tls/test_authority.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace pc::mail {
namespace {

using namespace std::chrono_literals;
using tests::fixtures::SmtpSink;
using tests::fixtures::TestAuthority;
using tests::fixtures::TrustedCaFile;

constexpr std::string_view kMessage = "Subject: private\r\n\r\nover TLS\r\n";

class SmtpTlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::unsetenv(platform::kCaFileVariable);
        s_folder.emplace("smtp_tls_test");
        auto authority = TestAuthority::make(s_folder->path());
        ASSERT_TRUE(authority) << authority.error();
        s_authority = *authority;
        tests::fixtures::keepForSuite(s_sink,
            SmtpSink::start(tests::fixtures::SmtpSinkTls { authority->serverCertificateFile, authority->serverKeyFile }));
    }
    static void TearDownTestSuite()
    {
        s_sink.reset();
        s_folder.reset();
    }
    void SetUp() override { ASSERT_NE(s_sink, nullptr) << "the SMTP sink did not start"; }

    static SmtpRelay relay(bool startTls)
    {
        SmtpRelay relay;
        relay.host = "127.0.0.1";
        relay.port = s_sink->port();
        relay.startTls = startTls;
        return relay;
    }
    static SubmitResult submit(bool startTls)
    {
        return submitMail(relay(startTls), "pc@quillon.test", { "kim@example.com" }, kMessage, 10s);
    }

    static inline std::optional<platform::TempFolder> s_folder;
    static inline TestAuthority s_authority;
    static inline std::unique_ptr<SmtpSink> s_sink;
};

TEST_F(SmtpTlsTest, RefusalsNameTheirCauseAndNothingIsDelivered)
{
    auto before = s_sink->messages().size();
    // STARTTLS to a relay whose authority is not trusted: our own check;
    // a clear submission: the relay's own refusal.
    for (auto [startTls, cause, relayReplied] : { std::tuple { true, "127.0.0.1의 인증서를 확인할 수 없습니다: ", false },
             std::tuple { false, "530", true } }) {
        auto result = submit(startTls);
        EXPECT_EQ(result.outcome, SubmitOutcome::Refused);
        EXPECT_EQ(result.relayReplied, relayReplied);
        EXPECT_EQ(result.detail.rfind(cause, 0), 0u) << result.detail;
    }

    // The handheld's send answers its failure and the cause names the check.
    platform::TempFolder home("smtp_tls_send");
    SendSetup setup;
    setup.winIni = home.path() / "win.ini";
    setup.uploads = home.path();
    setup.pcPathToLocal = [](std::string_view) { return std::nullopt; };
    setup.timeout = 10s;
    platform::Profile winIni(setup.winIni);
    ASSERT_TRUE(winIni.writeString("MAIL", "host", "127.0.0.1"));
    ASSERT_TRUE(winIni.writeInt("MAIL", "port", s_sink->port()));
    ASSERT_TRUE(winIni.writeString("MAIL", "starttls", "1"));
    std::string cause;
    EXPECT_EQ(sendHandheldMail("kim@example.com\ns\n\nbody", setup, &cause), "fail1");
    EXPECT_NE(cause.find("인증서를 확인할 수 없습니다"), std::string::npos) << cause;
    EXPECT_EQ(s_sink->messages().size(), before);
}

TEST_F(SmtpTlsTest, WithTheAuthorityTrustedTheMailGoesOutOverTls)
{
    auto before = s_sink->messages().size();
    TrustedCaFile trusted(s_authority.caFile);
    auto result = submit(true);
    ASSERT_EQ(result.outcome, SubmitOutcome::Accepted) << result.detail << "\n" << s_sink->log();
    auto mails = s_sink->waitForMessages(before + 1, 10s);
    ASSERT_EQ(mails.size(), before + 1);
    EXPECT_EQ(mails.back().to, std::vector<std::string> { "kim@example.com" });
    EXPECT_NE(mails.back().content.find("over TLS"), std::string::npos);
}

} // namespace
} // namespace pc::mail
