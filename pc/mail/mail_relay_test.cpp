// The mail relay behind the command channel: a RemoteService on a poll loop
// with ephemeral ports, a scripted handheld, Dovecot as the POP3 server and
// aiosmtpd as the SMTP relay.

#include "pc/mail/mail_relay.h"

#include "pc/service/testing/service_fixture.h"
#include "platform/codec/base64.h"
#include "tests/fixtures/child_server.h"
#include "tests/fixtures/mail/dovecot_server.h"
#include "tests/fixtures/mail/pop3_uids.h"
#include "tests/fixtures/mail/smtp_sink.h"
#include "tests/fixtures/suite_server.h"

namespace pc::mail {
namespace {

namespace fs = std::filesystem;
using service::testing::ScriptedHandheld;
using tests::fixtures::DovecotServer;
using tests::fixtures::keepForSuite;
using tests::fixtures::SmtpSink;
using namespace std::chrono_literals;

class MailRelayTest : public service::testing::ServiceFixture {
protected:
    // Small, so that a mail too large to fetch is cheap to make.
    static constexpr std::size_t kAnswerLimit = 64 * 1024;

    static void SetUpTestSuite()
    {
        keepForSuite(s_dovecot, DovecotServer::start({ { "kim", "secret" } }));
        keepForSuite(s_sink, SmtpSink::start());
    }
    static void TearDownTestSuite()
    {
        s_dovecot.reset();
        s_sink.reset();
    }

    void SetUp() override
    {
        ASSERT_NE(s_dovecot, nullptr);
        ASSERT_NE(s_sink, nullptr);
        s_dovecot->clearMailbox("kim");
        MailRelayConfig config;
        config.mailBoxes = home() / "boxes";
        config.serviceRoot = root();
        config.winIni = home() / "win.ini";
        config.pop3.timeout = 10s;
        config.pop3.maxAnswerBytes = kAnswerLimit;
        config.sendTimeout = 10s;
        MailRelayHooks hooks;
        hooks.currentUser = [this] { return MailUser { credentials.id, accounts }; };
        hooks.postAnswer = [this](proto::PcAnswer answer) { service->postAnswer(std::move(answer)); };
        hooks.sendAnswer = [this](const proto::PcAnswer& answer) { service->sendAnswer(answer); };
        hooks.postLog = [this](std::string text) { service->postLog(std::move(text)); };
        relay = std::make_unique<MailRelay>(config, hooks);
        relay->setMailClientReady(true);
        service->setMailCommands(relay.get());
        accounts = { { server(), "kim", "secret" } };
        platform::Profile winIni(home() / "win.ini");
        ASSERT_TRUE(winIni.writeString("MAIL", "host", "127.0.0.1"));
        ASSERT_TRUE(winIni.writeInt("MAIL", "port", s_sink->port()));
        service->start();
        handheld = loggedInHandheld();
    }
    void TearDown() override
    {
        service->setMailCommands(nullptr);
        relay.reset();
    }

    std::string server() const { return "127.0.0.1:" + std::to_string(s_dovecot->port()); }
    void deliver(const std::string& subject, const std::string& body = "hello\r\n")
    {
        auto delivered = s_dovecot->deliver("kim", "From: s@example.com\r\nSubject: " + subject + "\r\n\r\n" + body);
        ASSERT_TRUE(delivered) << delivered.error();
    }
    std::vector<std::string> serverUids() { return tests::fixtures::pop3Uids(s_dovecot->port(), "kim", "secret"); }
    // Waits long enough for a POP3 conversation on the worker.
    std::optional<proto::PcAnswer> answerOf(const proto::PcRequest& request)
    {
        handheld->send(request);
        return nextAnswer();
    }
    std::optional<proto::PcAnswer> nextAnswer()
    {
        pumpUntil([&] { return handheld->pump(), !handheld->answers().empty(); }, 30s);
        return handheld->takeAnswer();
    }

    static inline std::unique_ptr<DovecotServer> s_dovecot;
    static inline std::unique_ptr<SmtpSink> s_sink;
    std::vector<Pop3Account> accounts;
    std::unique_ptr<MailRelay> relay;
    std::unique_ptr<ScriptedHandheld> handheld;
};

TEST_F(MailRelayTest, CheckPrepareAndDeleteThroughTheCommandChannel)
{
    deliver("hello");
    auto uids = serverUids();
    ASSERT_EQ(uids.size(), 1u);

    auto checked = answerOf({ 0, 304, "" });
    ASSERT_TRUE(checked);
    EXPECT_EQ(*checked, (proto::PcAnswer { 0, 304, ".hello\ts@example.com\t" + server() + "\t" + uids[0] + "\n\n" }));
    auto again = answerOf({ 0, 304, "" });
    ASSERT_TRUE(again);
    EXPECT_EQ(again->text, "nothing");

    auto prepared = answerOf({ 0, 305, "12\n" + server() + "\n" + uids[0] });
    ASSERT_TRUE(prepared);
    EXPECT_EQ(prepared->first, 12);
    EXPECT_EQ(prepared->code, 305);
    EXPECT_TRUE(prepared->text.starts_with(uids[0] + "///From : s@example.com \r\n")) << prepared->text;
    EXPECT_TRUE(prepared->text.ends_with("Body : <pre>hello\r\n</pre>[END]")) << prepared->text;

    handheld->send({ 0, 332, uids[0] + "\n" + server() });
    // The delete runs on the POP3 worker and answers nothing.
    pumpUntil([&] { return handheld->pump(), false; }, 200ms);
    ASSERT_TRUE(relay->waitIdle(20s));
    EXPECT_TRUE(serverUids().empty());
    EXPECT_TRUE(handheld->answers().empty());
}

TEST_F(MailRelayTest, LongListIsFetchedFromTheWebServer)
{
    for (int i = 0; i < 10; ++i)
        deliver(std::string(90, static_cast<char>('a' + i)));
    auto checked = answerOf({ 0, 304, "" });
    ASSERT_TRUE(checked);
    EXPECT_EQ(checked->text, "success");
    auto list = service::testing::httpGet(web->webPort(), "/pda_Mail/MailList");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->status, 200);
    EXPECT_EQ(std::count(list->body.begin(), list->body.end(), '\n'), 11);
    EXPECT_TRUE(list->body.starts_with(std::string(90, 'a') + "\t"));

    // A mail of 5000 bytes is read through its preview file.
    deliver("big", std::string(5000, 'z') + "\r\n");
    auto newOne = answerOf({ 0, 304, "" });
    ASSERT_TRUE(newOne);
    ASSERT_TRUE(newOne->text.starts_with(".big\t"));
    std::string uid = serverUids().back();
    auto prepared = answerOf({ 0, 305, "3\n" + server() + "\n" + uid });
    ASSERT_TRUE(prepared);
    EXPECT_EQ(*prepared, (proto::PcAnswer { 3, 305, "_success/" + uid }));
    auto preview = service::testing::httpGet(web->webPort(), "/pda_Mail/owner/" + uid + "/" + uid + ".txt");
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->status, 200);
    EXPECT_NE(preview->body.find(std::string(4000, 'z')), std::string::npos);
}

TEST_F(MailRelayTest, FailedAccountAndOverlappingChecks)
{
    deliver("one");
    deliver("two");
    // The first account's server does not answer at all (a refused log-in
    // is tested with the check itself; Dovecot then slows the next log-in).
    std::string unanswered = "127.0.0.1:" + std::to_string(tests::fixtures::freeLoopbackPort());
    accounts = { { unanswered, "kim", "secret" }, { server(), "kim", "secret" } };
    // Two checks at once: the second waits for the first, so the first
    // reports both messages and the second finds nothing new.
    handheld->send({ 0, 304, "" });
    handheld->send({ 0, 304, "" });
    auto first = nextAnswer();
    auto second = nextAnswer();
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->text.starts_with(",one\t")) << first->text;
    EXPECT_NE(first->text.find("\ntwo\t"), std::string::npos);
    EXPECT_EQ(second->text, "nothingbutanyfail");
    // Beside the word: which account failed and why, for the handheld and
    // for the PC's log.
    std::string failed = unanswered + " (kim): 연결이 거부되었습니다";
    EXPECT_EQ(first->detail, failed);
    EXPECT_EQ(second->detail, failed);
    auto logged = [&](const std::string& text) {
        return std::find(log.entries.begin(), log.entries.end(), text) != log.entries.end();
    };
    EXPECT_TRUE(pumpUntil([&] { return logged("메일 체크: 계정 2개, 새 메일 0통, 실패한 계정 1개\n"); }));
    EXPECT_TRUE(logged("메일 체크 실패: " + failed + "\n"));
    EXPECT_TRUE(logged("메일 체크: 계정 2개, 새 메일 2통, 실패한 계정 1개\n"));
}

TEST_F(MailRelayTest, FailedSendNamesItsCauseToTheHandheldAndTheLog)
{
    platform::Profile winIni(home() / "win.ini");
    ASSERT_TRUE(winIni.deleteSection("MAIL"));
    auto sent = answerOf({ 4, 329, "kim@example.com\n제목\n\n본문" });
    ASSERT_TRUE(sent);
    std::string cause = "PC의 보내는 메일(SMTP) 서버가 설정되어 있지 않습니다 (환경설정 - 메일 설정)";
    EXPECT_EQ(*sent, (proto::PcAnswer { 0, 329, "error", cause }));
    std::string entry = "메일 보내기: \"제목\" -> kim@example.com, 보내지 못했습니다 (error)\n" + cause + "\n";
    EXPECT_TRUE(pumpUntil([&] { return std::find(log.entries.begin(), log.entries.end(), entry) != log.entries.end(); }));
}

TEST_F(MailRelayTest, MailTooLargeToFetchIsListedAndLogged)
{
    deliver("big", std::string(kAnswerLimit, 'b') + "\r\n");
    auto uids = serverUids();
    ASSERT_EQ(uids.size(), 1u);
    auto checked = answerOf({ 0, 304, "" });
    ASSERT_TRUE(checked);
    EXPECT_EQ(checked->text, ".big\ts@example.com\t" + server() + "\t" + uids[0] + "\n\n");
    // The entry is appended on the window thread.
    auto logged = [&] {
        for (const auto& entry : log.entries) {
            bool named = entry.starts_with("메일 계정 kim@" + server() + ": ");
            if (named && entry.find("제목: big\n") != std::string::npos)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(pumpUntil(logged));
}

TEST_F(MailRelayTest, NoMailProgramAnswersVersionFail)
{
    relay->setMailClientReady(false);
    auto checked = answerOf({ 0, 304, "" });
    ASSERT_TRUE(checked);
    EXPECT_EQ(*checked, (proto::PcAnswer { 0, 304, "version fail" }));
}

TEST_F(MailRelayTest, MailInThreePiecesWithAnUploadedAttachmentReachesTheRelay)
{
    writeFile(root() / "pda_Upload" / "sketch.png", std::string("\x89PNG\r\n\x1a\n", 8));
    std::string lines;
    for (int i = 0; i < 15; ++i)
        lines += std::string(99, 'b') + "\n";
    std::string text = "kim@example.com\n세 조각\n\\My Documents\\sketch.png;\n" + lines + "END";
    std::size_t before = s_sink->messages().size();

    auto next1 = answerOf({ 3, 329, text.substr(0, 900) });
    ASSERT_TRUE(next1);
    EXPECT_EQ(*next1, (proto::PcAnswer { 900, 330, "NEXT" }));
    auto next2 = answerOf({ 0, 329, text.substr(900) });
    ASSERT_TRUE(next2);
    EXPECT_EQ(*next2, (proto::PcAnswer { static_cast<std::int32_t>(text.size()), 330, "NEXT" }));
    auto sent = answerOf({ 1, 329, "" });
    ASSERT_TRUE(sent);
    EXPECT_EQ(*sent, (proto::PcAnswer { 0, 329, "success" }));

    auto mails = s_sink->waitForMessages(before + 1, 10s);
    ASSERT_EQ(mails.size(), before + 1);
    const auto& mail = mails.back();
    EXPECT_EQ(mail.to, (std::vector<std::string> { "kim@example.com" }));
    EXPECT_NE(mail.content.find("filename=\"sketch.png\""), std::string::npos);
    EXPECT_NE(mail.content.find(platform::codec::encodeBase64(std::string("\x89PNG\r\n\x1a\n", 8))), std::string::npos);
    EXPECT_NE(mail.content.find(std::string(99, 'b') + "\r\n" + std::string(99, 'b')), std::string::npos);
    EXPECT_NE(mail.content.find("END \r\n"), std::string::npos); // One space for the attachment.
}

} // namespace
} // namespace pc::mail
