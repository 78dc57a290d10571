// The mail relay of the real `quillon --headless`: accounts and the SMTP
// relay set with console commands, then a scripted handheld checks mail
// from Dovecot, reads one, uploads an attachment, sends a mail in three
// pieces through aiosmtpd and deletes a mail on the server.

#include "pc/service/testing/scripted_handheld.h"
#include "platform/codec/base64.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/fixtures/mail/dovecot_server.h"
#include "tests/fixtures/mail/pop3_uids.h"
#include "tests/fixtures/mail/smtp_sink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <poll.h>

namespace {

namespace fs = std::filesystem;
using pc::service::testing::ScriptedHandheld;
using pc::service::testing::ScriptedUpload;
using tests::e2e::ChildProgram;
using tests::fixtures::DovecotServer;
using tests::fixtures::SmtpSink;
using namespace std::chrono_literals;

std::vector<std::string> uidsOn(const DovecotServer& server)
{
    return tests::fixtures::pop3Uids(server.port(), "kim", "secret");
}

TEST(MailRelayE2e, CheckReadSendAndDeleteThroughTheRealProgram)
{
    auto dovecot = DovecotServer::start({ { "kim", "secret" } });
    ASSERT_TRUE(dovecot) << dovecot.error();
    auto sink = SmtpSink::start();
    ASSERT_TRUE(sink) << sink.error();
    for (const char* subject : { "first", "second" }) {
        auto delivered = (*dovecot)->deliver("kim",
            std::string("From: a@example.com\r\nSubject: ") + subject + "\r\n\r\nbody of " + subject + "\r\n");
        ASSERT_TRUE(delivered) << delivered.error();
    }
    auto uids = uidsOn(**dovecot);
    ASSERT_EQ(uids.size(), 2u);

    fs::path home = tests::e2e::makeTemporaryFolder("quillon-mail-e2e");
    tests::e2e::PcPorts ports;
    {
        ChildProgram quillon
            = tests::e2e::startHeadlessPc(home, home / "config", "secret", tests::e2e::ownerStartArguments(ports));
        ASSERT_TRUE(quillon.waitForOutput("PC 서버를 시작합니다..\n")) << quillon.output();
        std::string server = "127.0.0.1:" + std::to_string((*dovecot)->port());
        quillon.type("add " + server + " kim secret\naccounts\n");
        ASSERT_TRUE(quillon.waitForOutput("1. " + server + "\tkim\n")) << quillon.output();
        quillon.type("relay set 127.0.0.1 " + std::to_string((*sink)->port()) + "\n");
        ASSERT_TRUE(quillon.waitForOutput("relay: 127.0.0.1:")) << quillon.output();

        auto handheld = ScriptedHandheld::connect(ports.command);
        ASSERT_TRUE(handheld);
        handheld->send({ 0, 310, "owner\nsecret" });
        auto accepted = handheld->waitAnswer();
        ASSERT_TRUE(accepted && accepted->text.starts_with("YES"));
        auto probe = handheld->waitAnswer();
        ASSERT_TRUE(probe && probe->code == 328);

        handheld->send({ 0, 304, "" });
        auto checked = handheld->waitAnswer(30s);
        ASSERT_TRUE(checked);
        EXPECT_EQ(*checked,
            (proto::PcAnswer { 0, 304,
                ".first\ta@example.com\t" + server + "\t" + uids[0] + "\nsecond\ta@example.com\t" + server + "\t"
                    + uids[1] + "\n\n" }));

        handheld->send({ 0, 305, "7\n" + server + "\n" + uids[1] });
        auto prepared = handheld->waitAnswer();
        ASSERT_TRUE(prepared);
        EXPECT_EQ(prepared->first, 7);
        EXPECT_TRUE(prepared->text.starts_with(uids[1] + "///From : a@example.com \r\n")) << prepared->text;
        EXPECT_TRUE(prepared->text.ends_with("<pre>body of second\r\n</pre>[END]")) << prepared->text;

        // The handheld's attachment arrives through the upload port first.
        auto upload = ScriptedUpload::connect(ports.upload);
        ASSERT_TRUE(upload);
        handheld->send({ 0, 309, "4\nnote.txt\nowner" });
        auto go = handheld->waitAnswer();
        ASSERT_TRUE(go);
        upload->sendBlock("memo");
        ASSERT_TRUE(upload->waitAcks(1));
        upload->sendBlock("FILE_SEND_COMPLETE");
        auto uploaded = handheld->waitAnswer();
        ASSERT_TRUE(uploaded && uploaded->code == 309 && uploaded->first == 1);

        std::string body;
        for (int i = 0; i < 12; ++i)
            body += "line " + std::to_string(i) + " " + std::string(90, 'x') + "\n";
        std::string mail = "lee@example.com\nreport\n\\My Documents\\note.txt;\n" + body + "bye";
        handheld->send({ 3, 329, mail.substr(0, 900) });
        auto next = handheld->waitAnswer();
        ASSERT_TRUE(next);
        EXPECT_EQ(*next, (proto::PcAnswer { 900, 330, "NEXT" }));
        handheld->send({ 0, 329, mail.substr(900) });
        next = handheld->waitAnswer();
        ASSERT_TRUE(next);
        EXPECT_EQ(next->text, "NEXT");
        handheld->send({ 1, 329, "" });
        auto sent = handheld->waitAnswer(30s);
        ASSERT_TRUE(sent);
        EXPECT_EQ(*sent, (proto::PcAnswer { 0, 329, "success" }));
        auto mails = (*sink)->waitForMessages(1, 10s);
        ASSERT_EQ(mails.size(), 1u) << (*sink)->log();
        EXPECT_EQ(mails[0].to, (std::vector<std::string> { "lee@example.com" }));
        EXPECT_NE(mails[0].content.find("Subject: report\r\n"), std::string::npos);
        EXPECT_NE(mails[0].content.find("filename=\"note.txt\""), std::string::npos);
        EXPECT_NE(mails[0].content.find(platform::codec::encodeBase64("memo")), std::string::npos);
        EXPECT_NE(mails[0].content.find("line 11 " + std::string(90, 'x') + "\r\nbye \r\n"), std::string::npos);

        // A delete answers nothing; the message goes on the server.
        handheld->send({ 0, 332, uids[0] + "\n" + server });
        auto deadline = std::chrono::steady_clock::now() + 20s;
        while (uidsOn(**dovecot).size() != 1 && std::chrono::steady_clock::now() < deadline)
            ::poll(nullptr, 0, 50); // The PC deletes on its worker; look again shortly.
        EXPECT_EQ(uidsOn(**dovecot), (std::vector<std::string> { uids[1] }));
        quillon.terminate();
    }
    fs::remove_all(home);
}

} // namespace
