// The mail relay of the real `quillon --headless`: accounts and the SMTP
// relay set with console commands, then a scripted handheld checks mail
// from Dovecot, reads one, uploads an attachment, sends a mail in three
// pieces through aiosmtpd and deletes a mail on the server.

#include "pc/mail/pop3_client.h"
#include "pc/service/testing/scripted_handheld.h"
#include "platform/codec/base64.h"
#include "tests/fixtures/mail/dovecot_server.h"
#include "tests/fixtures/mail/smtp_sink.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using pc::service::testing::ScriptedHandheld;
using pc::service::testing::ScriptedUpload;
using tests::fixtures::DovecotServer;
using tests::fixtures::SmtpSink;
using namespace std::chrono_literals;

std::uint16_t freePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// quillon --headless in a child process, its input and output on pipes.
class Quillon {
public:
    Quillon(const fs::path& home, std::vector<std::string> arguments)
    {
        int input[2];
        int output[2];
        EXPECT_EQ(::pipe2(input, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(output, O_CLOEXEC), 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(input[0], 0);
            ::dup2(output[1], 1);
            ::dup2(output[1], 2);
            ::setenv("QUILLON_PASSWORD", "secret", 1);
            ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
            std::vector<std::string> words = { "quillon", "--headless", "--home", home.string() };
            words.insert(words.end(), arguments.begin(), arguments.end());
            std::vector<char*> argv;
            for (auto& word : words)
                argv.push_back(word.data());
            argv.push_back(nullptr);
            ::execv(QUILLON_BINARY, argv.data());
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(output[1]);
        m_input = input[1];
        m_output = output[0];
    }
    ~Quillon()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_input);
        ::close(m_output);
    }

    void type(const std::string& line) { (void)!::write(m_input, line.data(), line.size()); }

    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout = 15s)
    {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (m_text.find(text) == std::string::npos) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p { m_output, POLLIN, 0 };
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return false;
            char buffer[4096];
            ssize_t got = ::read(m_output, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            m_text.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }
    const std::string& output() const { return m_text; }

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    std::string m_text;
};

std::vector<std::string> uidsOn(const DovecotServer& server)
{
    pc::mail::Pop3Client client("127.0.0.1", server.port(), "kim", "secret");
    if (!client.connect())
        return { "<no connection>" };
    int count = client.stat();
    if (count > 0 && !client.uidl(count))
        return { "<no list>" };
    return client.uids();
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

    std::string pattern = (fs::temp_directory_path() / "quillon-mail-e2e-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fs::path home = ::mkdtemp(buffer.data());
    std::uint16_t commandPort = freePort();
    std::uint16_t uploadPort = freePort();
    {
        Quillon quillon(home, { "--id", "owner", "--start", "--command-port", std::to_string(commandPort),
                                  "--upload-port", std::to_string(uploadPort), "--web-port", std::to_string(freePort()) });
        ASSERT_TRUE(quillon.waitForOutput("PC 서버를 시작합니다..\n")) << quillon.output();
        std::string server = "127.0.0.1:" + std::to_string((*dovecot)->port());
        quillon.type("add " + server + " kim secret\naccounts\n");
        ASSERT_TRUE(quillon.waitForOutput("1. " + server + "\tkim\n")) << quillon.output();
        quillon.type("relay set 127.0.0.1 " + std::to_string((*sink)->port()) + "\n");
        ASSERT_TRUE(quillon.waitForOutput("relay: 127.0.0.1:")) << quillon.output();

        auto handheld = ScriptedHandheld::connect(commandPort);
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
        auto upload = ScriptedUpload::connect(uploadPort);
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
    }
    fs::remove_all(home);
}

} // namespace
