// Sending the handheld's mail through a real SMTP relay: aiosmtpd on
// loopback, started by the fixture, which stores what it accepts.

#include "pc/mail/mail_sender.h"

#include "platform/codec/base64.h"
#include "tests/fixtures/mail/smtp_sink.h"
#include "tests/fixtures/suite_server.h"
#include "platform/temp_folder.h"
#include "platform/testing/loopback_port.h"

#include <gtest/gtest.h>

#include <optional>

#include <fstream>
#include <unistd.h>

namespace pc::mail {
namespace {

namespace fs = std::filesystem;
using tests::fixtures::SmtpSink;
using tests::fixtures::keepForSuite;
using namespace std::chrono_literals;

class MailSenderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        keepForSuite(s_sink, SmtpSink::start());
    }
    static void TearDownTestSuite()
    {
        s_sink.reset();
    }

    void SetUp() override
    {
        ASSERT_NE(s_sink, nullptr) << "the SMTP sink did not start";
        m_temp.emplace("mail_sender_test");
        m_home = m_temp->path();
        fs::create_directories(m_home / "pda_Upload");
        fs::create_directories(m_home / "disk");
        m_setup.winIni = m_home / "win.ini";
        m_setup.uploads = m_home / "pda_Upload";
        m_setup.pcPathToLocal = [this](std::string_view pcPath) -> std::optional<fs::path> {
            if (!pcPath.starts_with("C:\\"))
                return std::nullopt;
            return m_home / "disk" / std::string(pcPath.substr(3));
        };
        m_setup.timeout = 10s;
        useRelay(s_sink->port());
        m_before = s_sink->messages().size();
    }
    void TearDown() override
    {
        m_temp.reset();
    }

    void useRelay(unsigned port)
    {
        platform::Profile winIni(m_setup.winIni);
        ASSERT_TRUE(winIni.writeString("MAIL", "host", "127.0.0.1"));
        ASSERT_TRUE(winIni.writeInt("MAIL", "port", static_cast<int>(port)));
        ASSERT_TRUE(winIni.writeString("MAIL", "from", "pc@quillon.test"));
    }
    void writeFile(const fs::path& file, std::string_view bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    std::string send(std::string_view text) { return sendHandheldMail(text, m_setup); }
    std::vector<tests::fixtures::ReceivedMail> newMessages(std::size_t count)
    {
        auto all = s_sink->waitForMessages(m_before + count, 10s);
        return std::vector<tests::fixtures::ReceivedMail>(all.begin() + static_cast<long>(std::min(m_before, all.size())), all.end());
    }

    static inline std::unique_ptr<SmtpSink> s_sink;
    std::optional<platform::TempFolder> m_temp;
    fs::path m_home;
    SendSetup m_setup;
    std::size_t m_before = 0;
};

TEST_F(MailSenderTest, DeliversTextAndAttachmentsToTheRelay)
{
    writeFile(m_home / "pda_Upload" / "photo.jpg", std::string("\xff\xd8\xff\x00jpeg", 8));
    writeFile(m_home / "disk" / "report.txt", "quarterly");
    EXPECT_EQ(send("kim@example.com, lee@example.com\n회의\n\\My Documents\\photo.jpg;C:\\report.txt;\n안녕\n둘째 줄"),
        "success");
    auto mails = newMessages(1);
    ASSERT_EQ(mails.size(), 1u) << s_sink->log();
    const auto& mail = mails.front();
    EXPECT_EQ(mail.from, "pc@quillon.test");
    EXPECT_EQ(mail.to, (std::vector<std::string> { "kim@example.com", "lee@example.com" }));
    EXPECT_NE(mail.content.find("Subject: " + encodeHeaderText("회의")), std::string::npos);
    // The note text keeps one space per attachment.
    EXPECT_NE(mail.content.find(platform::codec::encodeBase64("안녕\r\n둘째 줄  ").substr(0, 20)), std::string::npos);
    EXPECT_NE(mail.content.find("filename=\"photo.jpg\""), std::string::npos);
    EXPECT_NE(mail.content.find(platform::codec::encodeBase64(std::string("\xff\xd8\xff\x00jpeg", 8))),
        std::string::npos);
    EXPECT_NE(mail.content.find("filename=\"report.txt\""), std::string::npos);
    EXPECT_NE(mail.content.find(platform::codec::encodeBase64("quarterly")), std::string::npos);
}

TEST_F(MailSenderTest, AnswerWordsForTheFailures)
{
    EXPECT_EQ(send("\nsubject\n\nbody"), "not user");
    EXPECT_EQ(send("kim, lee\nsubject\n\nbody"), "not realuser");
    // An attachment that is not there makes the mail system refuse the call.
    EXPECT_EQ(send("kim@example.com\ns\n\\x\\missing.doc;\nbody"), "fail1");
    EXPECT_EQ(send("kim@example.com\ns\nD:\\nodrive.doc;\nbody"), "fail1");
    // The relay refuses some recipients, or all of them.
    EXPECT_EQ(send("refuse-me@example.com,kim@example.com\ns\n\nbody"), "fail3");
    EXPECT_EQ(send("refuse-me@example.com\ns\n\nbody"), "fail3");
    // The relay refuses the sender.
    platform::Profile winIni(m_setup.winIni);
    ASSERT_TRUE(winIni.writeString("MAIL", "from", "blocked@quillon.test"));
    EXPECT_EQ(send("kim@example.com\ns\n\nbody"), "fail1");

    // Only the partly refused mail went out, to the accepted recipient.
    auto mails = newMessages(1);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails.front().to, (std::vector<std::string> { "kim@example.com" }));
}

TEST_F(MailSenderTest, NoMailSystemAnswersError)
{
    platform::Profile winIni(m_setup.winIni);
    ASSERT_TRUE(winIni.writeString("MAIL", "MAPI", "0"));
    EXPECT_EQ(send("kim@example.com\ns\n\nbody"), "error");
    // Still "not user" first: the recipients are looked at before the mail system.
    EXPECT_EQ(send("\ns\n\nbody"), "not user");
    ASSERT_TRUE(winIni.deleteSection("MAIL"));
    EXPECT_EQ(send("kim@example.com\ns\n\nbody"), "error");
}

// The handheld shows the answer word's message; the cause beside it says
// what to mend: the relay not set, its refusal with its own reply.
TEST_F(MailSenderTest, FailuresNameTheirCause)
{
    auto causeOf = [&](std::string_view text) {
        std::string cause;
        (void)sendHandheldMail(text, m_setup, &cause);
        return cause;
    };
    std::string relay = "SMTP 서버 127.0.0.1:" + std::to_string(s_sink->port());
    EXPECT_EQ(causeOf("kim@example.com\ns\n\\x\\missing.doc;\nbody"), "첨부파일을 읽을 수 없습니다: \\x\\missing.doc");
    EXPECT_EQ(causeOf("refuse-me@example.com\ns\n\nbody"),
        relay + "가 받는 사람을 거부하였습니다: 550 5.1.1 No such user");
    EXPECT_EQ(causeOf("kim@example.com\ns\n\nbody"), "");
    platform::Profile winIni(m_setup.winIni);
    ASSERT_TRUE(winIni.writeString("MAIL", "from", "blocked@quillon.test"));
    EXPECT_EQ(causeOf("kim@example.com\ns\n\nbody"), relay + "가 메일을 거부하였습니다: 550 5.7.1 Sender refused");
    ASSERT_TRUE(winIni.deleteSection("MAIL"));
    EXPECT_EQ(causeOf("kim@example.com\ns\n\nbody"),
        "PC의 보내는 메일(SMTP) 서버가 설정되어 있지 않습니다 (환경설정 - 메일 설정)");

    EXPECT_EQ(sendLogText("kim@example.com, lee@example.com\n제목\n\nbody", "error", "원인"),
        "메일 보내기: \"제목\" -> kim@example.com, lee@example.com, 보내지 못했습니다 (error)\n원인\n");
    EXPECT_EQ(sendLogText("kim@example.com\n제목\n\nbody", "success", ""),
        "메일 보내기: \"제목\" -> kim@example.com, 보냈습니다 (success)\n");
}

TEST_F(MailSenderTest, RequiredStartTlsIsNeverSkipped)
{
    // The sink offers no STARTTLS: with it required, nothing goes out in clear.
    platform::Profile winIni(m_setup.winIni);
    ASSERT_TRUE(winIni.writeString("MAIL", "starttls", "1"));
    EXPECT_EQ(send("kim@example.com\ns\n\nbody"), "fail1");
    EXPECT_EQ(s_sink->messages().size(), m_before);
}

TEST_F(MailSenderTest, UnreachableRelayAnswersFail1)
{
    // A port nothing listens on: nothing answers there.
    std::uint16_t port = platform::testing::closedLoopbackPort();
    useRelay(port);
    std::string cause;
    EXPECT_EQ(sendHandheldMail("kim@example.com\ns\n\nbody", m_setup, &cause), "fail1");
    EXPECT_TRUE(cause.starts_with("SMTP 서버 127.0.0.1:" + std::to_string(port) + "에 보낼 수 없습니다: "))
        << cause;
}

} // namespace
} // namespace pc::mail
