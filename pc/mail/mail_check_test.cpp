// The mail check, prepare and delete against a real POP3 server: Dovecot on
// loopback, started by the fixture.

#include "pc/mail/mail_check.h"

#include "pc/mail/oversized_mail.h"
#include "pc/mail/prepared_mail.h"
#include "pc/mail/private_files.h"
#include "pc/mail/seen_index.h"
#include "pc/mail/pop3_client.h"
#include "platform/codepage.h"
#include "tests/fixtures/mail/dovecot_server.h"
#include "tests/fixtures/suite_server.h"
#include "platform/net_address.h"
#include "platform/temp_folder.h"
#include "platform/testing/loopback_port.h"

#include <gtest/gtest.h>

#include <optional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pc::mail {
namespace {

namespace fs = std::filesystem;
using tests::fixtures::DovecotServer;
using tests::fixtures::keepForSuite;
using namespace std::chrono_literals;

// A loopback port with a listener that never accepts (its connections
// complete but nobody answers), or, when `listening` is false, a port that
// nobody listens on. The listener stays open until the process ends.
std::uint16_t loopbackPort(bool listening)
{
    if (!listening)
        return platform::testing::closedLoopbackPort();
    auto listener = platform::listenTcp("127.0.0.1", 0, 4);
    if (!listener)
        return 0;
    auto port = platform::localPort(listener->fd()).valueOr(0);
    (void)listener->release(); // Open, never accepting, until the process ends.
    return port;
}

class MailCheckTest : public ::testing::Test {
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
        s_server->clearMailbox("lee");
        m_temp.emplace("mail_check_test");
        m_root = m_temp->path();
        m_options.timeout = 10s;
    }
    void TearDown() override
    {
        m_temp.reset();
    }

    MailStore store() const { return MailStore(m_root / "boxes", m_root / "Quillon"); }
    std::string server() const { return "127.0.0.1:" + std::to_string(s_server->port()); }
    Pop3Account account(std::string user, std::string password) const { return { server(), user, password }; }
    void deliver(const std::string& user, const std::string& subject, const std::string& body = "hello\r\n")
    {
        auto delivered = s_server->deliver(user,
            "From: Sender <s@example.com>\r\nTo: " + user + "@example.com\r\nSubject: " + subject
                + "\r\nDate: Tue, 05 Mar 2002 10:11:12 +0900\r\n\r\n" + body);
        ASSERT_TRUE(delivered) << delivered.error();
    }
    std::string mailList() const { return readFileBytes(store().mailListPath()).valueOr(std::string("<missing>")); }
    std::vector<std::string> uidsOf(const std::string& user, const std::string& password)
    {
        Pop3Client client("127.0.0.1", s_server->port(), user, password);
        if (!client.connect())
            return {};
        int count = client.stat();
        if (count > 0 && !client.uidl(count))
            return {};
        return client.uids();
    }

    static inline std::unique_ptr<DovecotServer> s_server;
    std::optional<platform::TempFolder> m_temp;
    fs::path m_root;
    Pop3Options m_options;
};

TEST_F(MailCheckTest, NoAccountsWritesAnEmptyListAndAnswersNothing)
{
    CheckResult result = runMailCheck(store(), { "owner", {} }, m_options);
    EXPECT_EQ(result.mailList, "\n");
    EXPECT_EQ(mailList(), "\n");
    EXPECT_EQ(checkAnswerText(result), "nothing");
}

TEST_F(MailCheckTest, FailedAccountGivesTheCommaFormAndTheOthersAreFetched)
{
    deliver("lee", "first");
    deliver("lee", "second");
    MailUser user { "owner", { account("kim", "wrong"), account("lee", "pw") } };
    CheckResult result = runMailCheck(store(), user, m_options);
    EXPECT_FALSE(result.allAccountsOk);
    auto uids = uidsOf("lee", "pw");
    ASSERT_EQ(uids.size(), 2u);
    std::string expected = "first\tSender <s@example.com>\t" + server() + "\t" + uids[0] + "\n"
        + "second\tSender <s@example.com>\t" + server() + "\t" + uids[1] + "\n\n";
    EXPECT_EQ(result.mailList, expected);
    EXPECT_EQ(mailList(), expected);
    EXPECT_EQ(checkAnswerText(result), "," + expected);
    // The raw messages and the seen index are in the fetch area; nothing
    // was deleted on the server.
    EXPECT_TRUE(fs::exists(store().rawMessagePath("owner", server(), uids[0])));
    EXPECT_EQ(readSeenIndex(store().seenIndexPath("owner", server())), uids);

    // Checked again at once, nothing is new, but the failed account still counts.
    CheckResult again = runMailCheck(store(), user, m_options);
    EXPECT_EQ(checkAnswerText(again), "nothingbutanyfail");
    EXPECT_EQ(mailList(), "\n");
}

// The handheld and the PC's log learn which account failed and why; the
// answer word stays the one the handheld has always read.
TEST_F(MailCheckTest, FailedAccountsAreNamedWithTheirCause)
{
    deliver("lee", "mail");
    std::string refused = "127.0.0.1:" + std::to_string(loopbackPort(false));
    std::string silent = "127.0.0.1:" + std::to_string(loopbackPort(true));
    // Long enough for Dovecot's delayed answer to a wrong password. After a
    // failed log-in Dovecot delays every log-in from the same address for a
    // while, so the good account goes first.
    m_options.timeout = 8000ms;
    MailUser user { "owner",
        { account("lee", "pw"), account("kim", "wrong"), { refused, "park", "pw" }, { silent, "choi", "pw" } } };
    CheckResult result = runMailCheck(store(), user, m_options);

    ASSERT_EQ(result.failures.size(), 3u) << checkAnswerDetail(result);
    EXPECT_EQ(result.failures[0].server, server());
    EXPECT_EQ(result.failures[0].user, "kim");
    EXPECT_TRUE(result.failures[0].cause.starts_with("아이디 또는 비밀번호가 틀립니다: -ERR"))
        << result.failures[0].cause;
    EXPECT_EQ(result.failures[1], (AccountFailure { refused, "park", "연결이 거부되었습니다" }));
    EXPECT_EQ(result.failures[2], (AccountFailure { silent, "choi", "서버의 응답 시간이 초과되었습니다" }));
    EXPECT_EQ(result.newMessages, 1u);
    EXPECT_EQ(checkAnswerText(result).substr(0, 5), ",mail");
    EXPECT_EQ(checkAnswerDetail(result),
        result.failures[0].text() + "\n" + refused + " (park): 연결이 거부되었습니다\n" + silent
            + " (choi): 서버의 응답 시간이 초과되었습니다");

    ASSERT_EQ(result.logEntries.size(), 4u);
    EXPECT_EQ(result.logEntries[1], "메일 체크 실패: " + refused + " (park): 연결이 거부되었습니다\n");
    EXPECT_EQ(result.logEntries[3], "메일 체크: 계정 4개, 새 메일 1통, 실패한 계정 3개\n");
}

TEST_F(MailCheckTest, RepeatedCheckAnswersNothingAndNewMailOnlyTheNew)
{
    deliver("kim", "one");
    MailUser user { "owner", { account("kim", "secret") } };
    EXPECT_EQ(checkAnswerText(runMailCheck(store(), user, m_options)).substr(0, 4), ".one");
    EXPECT_EQ(checkAnswerText(runMailCheck(store(), user, m_options)), "nothing");
    deliver("kim", "two");
    std::string answer = checkAnswerText(runMailCheck(store(), user, m_options));
    EXPECT_EQ(answer.substr(0, 4), ".two");
    EXPECT_EQ(answer.find("one"), std::string::npos);
}

// A message beyond the answer limit stays on the server and is not
// retrieved; a one-line stand-in is listed in its place and the PC's log
// names it. The mail behind it still comes in the same check.
TEST_F(MailCheckTest, MessageTooLargeToFetchIsListedAsAStandIn)
{
    deliver("kim", "small");
    deliver("kim", "huge", std::string(20000, 'h') + "\r\n");
    deliver("kim", "later");
    m_options.maxAnswerBytes = 10000;
    MailUser user { "owner", { account("kim", "secret") } };
    CheckResult result = runMailCheck(store(), user, m_options);
    auto uids = uidsOf("kim", "secret");
    ASSERT_EQ(uids.size(), 3u); // Nothing left the server.
    std::string from = "\tSender <s@example.com>\t" + server() + "\t";
    EXPECT_EQ(result.mailList,
        "small" + from + uids[0] + "\nhuge" + from + uids[1] + "\nlater" + from + uids[2] + "\n\n");

    Pop3Client lister("127.0.0.1", s_server->port(), "kim", "secret");
    ASSERT_TRUE(lister.connect() && lister.list());
    std::int64_t size = lister.sizes().at(2);
    ASSERT_GT(size, 20000);
    std::vector<std::string> logged { oversizedLogText(user.accounts[0], size, "huge"),
        "메일 체크: 계정 1개, 새 메일 3통\n" };
    EXPECT_EQ(result.logEntries, logged);
    EXPECT_EQ(checkAnswerText(runMailCheck(store(), user, m_options)), "nothing");

    // The handheld opens the stand-in like any mail: one line of text.
    proto::PcAnswer prepared = prepareMail(store(), "owner", "3\n" + server() + "\n" + uids[1]);
    std::string file = readFileBytes(store().mailFolder("owner", uids[1]) / uids[1]).valueOr(std::string());
    EXPECT_EQ(prepared.text, uids[1] + "/" + file);
    EXPECT_NE(file.find("Title : huge \r\n"), std::string::npos) << file;
    EXPECT_TRUE(file.ends_with("Body : <pre>" + oversizedNotice(size) + "\r\n</pre>[END]")) << file;
}

TEST_F(MailCheckTest, ListOfNineHundredBytesGoesIntoTheFileOnly)
{
    MailUser user { "owner", { account("kim", "secret") } };
    for (int i = 0; i < 9; ++i)
        deliver("kim", std::string(80, static_cast<char>('a' + i)));
    CheckResult result = runMailCheck(store(), user, m_options);
    ASSERT_GE(result.mailList.size(), kInlineMailListLimit);
    EXPECT_EQ(checkAnswerText(result), "success");
    EXPECT_EQ(mailList(), result.mailList);
    EXPECT_EQ(std::count(result.mailList.begin(), result.mailList.end(), '\n'), 10);

    result.allAccountsOk = false;
    EXPECT_EQ(checkAnswerText(result), "successany");
}

TEST_F(MailCheckTest, AnswerTextTable)
{
    const struct {
        std::string list;
        bool ok;
        bool written;
        std::string answer;
    } cases[] = {
        { "\n", true, true, "nothing" },
        { "\n", false, true, "nothingbutanyfail" },
        { "a\n\n", true, true, ".a\n\n" },
        { "a\n\n", false, true, ",a\n\n" },
        { std::string(899, 'x'), true, true, "." + std::string(899, 'x') },
        { std::string(900, 'x'), true, true, "success" },
        { "a\n\n", false, false, "fail" },
    };
    for (const auto& c : cases) {
        CheckResult result;
        result.mailList = c.list;
        result.allAccountsOk = c.ok;
        result.listWritten = c.written;
        EXPECT_EQ(checkAnswerText(result), c.answer) << c.list.size();
    }
}

TEST_F(MailCheckTest, FieldsThatWouldSplitTheListLineBecomeSpaces)
{
    EXPECT_EQ(mailListField("a\tb\r\nc"), "a b  c");
}

TEST_F(MailCheckTest, PreparedMailIsAnsweredInlineOrThroughThePreview)
{
    deliver("kim", "short", "hi\r\n");
    deliver("kim", "long", std::string(5000, 'z') + "\r\n");
    MailUser user { "owner", { account("kim", "secret") } };
    (void)runMailCheck(store(), user, m_options);
    auto uids = uidsOf("kim", "secret");
    ASSERT_EQ(uids.size(), 2u);

    proto::PcAnswer small = prepareMail(store(), "owner", "17\n" + server() + "\n" + uids[0]);
    EXPECT_EQ(small.first, 17);
    EXPECT_EQ(small.code, 305);
    fs::path folder = store().mailFolder("owner", uids[0]);
    std::string file = readFileBytes(folder / uids[0]).valueOr(std::string());
    ASSERT_FALSE(file.empty());
    EXPECT_LT(file.size(), 900u);
    EXPECT_EQ(small.text, uids[0] + "/" + file);
    EXPECT_TRUE(file.starts_with("//From : "));

    proto::PcAnswer large = prepareMail(store(), "owner", "18\n" + server() + "\n" + uids[1]);
    EXPECT_EQ(large, (proto::PcAnswer { 18, 305, "_success/" + uids[1] }));
    EXPECT_TRUE(fs::exists(store().mailFolder("owner", uids[1]) / (uids[1] + ".txt")));

    const std::string failing[] = { "19\n" + server() + "\nno-such-uid", "20\nother-server\n" + uids[0], "21",
        "22\n" + server() };
    for (const auto& text : failing)
        EXPECT_EQ(prepareMail(store(), "owner", text).text, "fail") << text;
    EXPECT_EQ(prepareMail(store(), "owner", failing[0]).first, 19);
}

TEST_F(MailCheckTest, KoreanSubjectReachesTheHandheldInItsCodePage)
{
    // "안녕" as an encoded word in UTF-8; the handheld reads CP949.
    deliver("kim", "=?UTF-8?B?7JWI64WV?=", "본문\r\n");
    MailStore cp949(m_root / "boxes", m_root / "Quillon", "CP949");
    MailUser user { "owner", { account("kim", "secret") } };
    CheckResult result = runMailCheck(cp949, user, m_options);
    auto uids = uidsOf("kim", "secret");
    ASSERT_EQ(uids.size(), 1u);
    std::string line = "안녕\tSender <s@example.com>\t" + server() + "\t" + uids[0] + "\n\n";
    EXPECT_EQ(result.mailList, line);
    EXPECT_EQ(mailList(), platform::fromUtf8(line, "CP949"));
    EXPECT_EQ(checkAnswerText(result, "CP949"), "." + line); // Converted when it is sent.

    proto::PcAnswer prepared = prepareMail(cp949, "owner", "5\n" + server() + "\n" + uids[0]);
    std::string file = readFileBytes(cp949.mailFolder("owner", uids[0]) / uids[0]).valueOr(std::string());
    EXPECT_NE(file.find(platform::fromUtf8("Title : 안녕 \r\n", "CP949")), std::string::npos);
    EXPECT_NE(file.find(platform::fromUtf8("<pre>본문", "CP949")), std::string::npos);
    EXPECT_EQ(prepared.text, uids[0] + "/" + platform::toUtf8(file, "CP949"));
}

TEST(MailCheckAnswer, InlineMailListLimitCountsTheCodePageBytes)
{
    // 300 syllables are 900 bytes in UTF-8 but 600 in CP949.
    CheckResult result;
    for (int i = 0; i < 300; ++i)
        result.mailList += "한";
    result.mailList += "\n";
    EXPECT_EQ(checkAnswerText(result), std::string(kCheckSuccess));
    EXPECT_EQ(checkAnswerText(result, "CP949"), "." + result.mailList);
}

TEST_F(MailCheckTest, DeleteRemovesOnlyTheNamedMessageOfTheNamedServer)
{
    deliver("kim", "keep");
    deliver("kim", "drop");
    MailUser user { "owner", { account("kim", "secret") } };
    auto uids = uidsOf("kim", "secret");
    ASSERT_EQ(uids.size(), 2u);

    EXPECT_EQ(deleteMail(user, uids[1] + "\nunknown.example.com", m_options), DeleteOutcome::NoSuchAccount);
    EXPECT_EQ(deleteMail(user, "no-such-uid\n" + server(), m_options), DeleteOutcome::NoSuchMessage);
    EXPECT_EQ(uidsOf("kim", "secret").size(), 2u);
    // An account whose server cannot be reached (a port nobody listens on).
    std::string gone = "127.0.0.1:" + std::to_string(loopbackPort(false));
    EXPECT_EQ(deleteMail({ "owner", { { gone, "kim", "secret" } } }, uids[1] + "\n" + gone, m_options),
        DeleteOutcome::ServerFailed);

    EXPECT_EQ(deleteMail(user, uids[1] + "\n" + server(), m_options), DeleteOutcome::Deleted);
    EXPECT_EQ(uidsOf("kim", "secret"), (std::vector<std::string> { uids[0] }));
}

TEST(Pop3AddressTest, ServerTextsWithAndWithoutPort)
{
    const std::pair<const char*, Pop3Address> cases[] = {
        { "mail.example.com", { "mail.example.com", 110 } },
        { "mail.example.com:1110", { "mail.example.com", 1110 } },
        { "127.0.0.1:0", { "127.0.0.1:0", 110 } },
        { "host:99999", { "host:99999", 110 } },
        { "host:pop", { "host:pop", 110 } },
        { "[::1]:2110", { "::1", 2110 } },
        { "[::1]", { "::1", 110 } },
        { "::1", { "::1", 110 } },
    };
    for (const auto& [text, address] : cases)
        EXPECT_EQ(pop3AddressOf(text), address) << text;
}

TEST(Pop3AddressTest, ServerTextOfAnAddressReadsBackTheSame)
{
    const std::pair<Pop3Address, const char*> cases[] = {
        { { "mail.example.com", 110 }, "mail.example.com" },
        { { "mail.example.com", 995 }, "mail.example.com:995" },
        { { "::1", 2110 }, "[::1]:2110" },
        { { "::1", 110 }, "::1" },
    };
    for (const auto& [address, text] : cases) {
        EXPECT_EQ(pop3ServerText(address), text);
        EXPECT_EQ(pop3AddressOf(pop3ServerText(address)), address) << text;
    }
}

} // namespace
} // namespace pc::mail
