// The handheld's mail client end to end: the real `quillon --headless` with
// a Dovecot account and an SMTP sink, and `quillon-pocket --console` on free
// loopback ports. The handheld checks mail, reads a mail with an attachment,
// saves the attachment and stores the mail into its Inbox, then sends a
// short mail and one long enough to travel in pieces.

#include "tests/fixtures/mail/dovecot_server.h"
#include "tests/fixtures/mail/smtp_sink.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tests::fixtures::DovecotServer;
using tests::fixtures::SmtpSink;

std::uint16_t unusedPort()
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

// A program in a child process with pipes on standard input and output.
class Child {
public:
    Child(const char* binary, std::vector<std::string> words, std::vector<std::pair<std::string, std::string>> environment)
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
            for (const auto& [name, value] : environment)
                ::setenv(name.c_str(), value.c_str(), 1);
            std::vector<char*> argv;
            for (auto& word : words)
                argv.push_back(word.data());
            argv.push_back(nullptr);
            ::execv(binary, argv.data());
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(output[1]);
        m_input = input[1];
        m_output = output[0];
    }

    ~Child()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_input >= 0)
            ::close(m_input);
        ::close(m_output);
    }

    void type(const std::string& lines) { (void)!::write(m_input, lines.data(), lines.size()); }
    void endInput()
    {
        ::close(m_input);
        m_input = -1;
    }

    // Reads output until it holds `text` after what earlier waits consumed.
    bool waitFor(const std::string& text, std::chrono::milliseconds timeout = 20s)
    {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            std::size_t found = m_text.find(text, m_consumed);
            if (found != std::string::npos) {
                m_consumed = found + text.size();
                return true;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd p { m_output, POLLIN, 0 };
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return false;
            char buffer[4096];
            ssize_t got = ::read(m_output, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            m_text.append(buffer, static_cast<std::size_t>(got));
        }
    }

    // Waits for the exit and returns the status (-1 when killed).
    int wait()
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    const std::string& output() const { return m_text; }

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    std::string m_text;
    std::size_t m_consumed = 0;
};

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

constexpr const char* kMailWithAttachment = "From: a@example.com\r\nTo: kim@example.com\r\nSubject: with file\r\n"
                                            "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
                                            "--b1\r\nContent-Type: text/plain\r\n\r\nsee attached\r\n"
                                            "--b1\r\nContent-Type: text/plain; name=\"note.txt\"\r\n"
                                            "Content-Disposition: attachment; filename=\"note.txt\"\r\n\r\n"
                                            "memo text\r\n--b1--\r\n";

TEST(PocketMailE2e, ChecksReadsSavesStoresAndSendsThroughThePc)
{
    auto dovecot = DovecotServer::start({ { "kim", "secret" } });
    ASSERT_TRUE(dovecot) << dovecot.error();
    auto sink = SmtpSink::start();
    ASSERT_TRUE(sink) << sink.error();
    ASSERT_TRUE((*dovecot)->deliver("kim", "From: b@example.com\r\nSubject: plain\r\n\r\nplain body\r\n"));
    ASSERT_TRUE((*dovecot)->deliver("kim", kMailWithAttachment));

    std::string pattern = (fs::temp_directory_path() / "pocket-mail-e2e-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fs::path root = ::mkdtemp(buffer.data());
    std::uint16_t commandPort = unusedPort();
    std::uint16_t uploadPort = unusedPort();
    std::uint16_t webPort = unusedPort();
    {
        Child pc(QUILLON_BINARY,
            { "quillon", "--headless", "--home", (root / "pc").string(), "--id", "owner", "--start", "--command-port",
                std::to_string(commandPort), "--upload-port", std::to_string(uploadPort), "--web-port",
                std::to_string(webPort) },
            { { "QUILLON_PASSWORD", "secret" }, { "XDG_CONFIG_HOME", (root / "config").string() } });
        ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
        std::string server = "127.0.0.1:" + std::to_string((*dovecot)->port());
        pc.type("add " + server + " kim secret\nrelay set 127.0.0.1 " + std::to_string((*sink)->port()) + "\n");
        ASSERT_TRUE(pc.waitFor("relay: 127.0.0.1:")) << pc.output();

        Child pocket(QUILLON_POCKET_BINARY, { "quillon-pocket", "--console" },
            { { "QUILLON_POCKET_HOME", (root / "pocket").string() }, { "PATH", "/nonexistent" } });
        pocket.type("option SEVER_IP 127.0.0.1 PC_PORT " + std::to_string(commandPort) + " PC_UPLOAD_PORT "
            + std::to_string(uploadPort) + " PC_WEB_PORT " + std::to_string(webPort) + "\n");
        pocket.type("login owner secret\n");
        ASSERT_TRUE(pocket.waitFor("[Quillon] 로그인되었습니다.\n")) << pocket.output();

        pocket.type("mail check\nok\n");
        // The list shows the newest line first.
        ASSERT_TRUE(pocket.waitFor("1\twith file\ta@example.com\t" + server + "\t")) << pocket.output();
        ASSERT_TRUE(pocket.waitFor("2\tplain\tb@example.com\t" + server + "\t")) << pocket.output();

        pocket.type("mail read 1\n");
        ASSERT_TRUE(pocket.waitFor("Title : with file")) << pocket.output();
        ASSERT_TRUE(pocket.waitFor("첨부파일이 있습니다\n")) << pocket.output();
        ASSERT_TRUE(pocket.waitFor("navigate\tmail\t")) << pocket.output();
        pocket.type("mail attachments\n");
        ASSERT_TRUE(pocket.waitFor("attachment\tnote.txt\n")) << pocket.output();

        pocket.type("mail save-attachment note.txt\n");
        ASSERT_TRUE(pocket.waitFor("[Quillon] 파일다운로드 폴더에 저장되었습니다.\n")) << pocket.output();
        fs::path device = root / "pocket" / "device";
        EXPECT_EQ(readFile(device / "Program Files" / "Quillon" / "받은파일" / "note.txt"), "memo text");

        pocket.type("mail store\n");
        ASSERT_TRUE(pocket.waitFor("[Quillon] Inbox의 Quillon 폴더에 저장되었습니다.")) << pocket.output();
        auto stored = fs::directory_iterator(device / "Inbox" / ".Quillon" / "new");
        ASSERT_NE(stored, fs::directory_iterator());
        std::string message = readFile(stored->path());
        EXPECT_NE(message.find("Subject: with file\n"), std::string::npos) << message;
        EXPECT_NE(message.find("see attached"), std::string::npos) << message;

        pocket.type("mail send lee@example.com hello short\\nbody\n");
        ASSERT_TRUE(pocket.waitFor("[Quillon] 이메일 전송을 완료하였습니다.\n")) << pocket.output();
        std::string longBody;
        for (int i = 0; i < 30; ++i)
            longBody += "line " + std::to_string(i) + " " + std::string(60, 'x') + "\\n";
        pocket.type("mail send park@example.com long " + longBody + "end\n");
        ASSERT_TRUE(pocket.waitFor("[Quillon] 이메일 전송을 완료하였습니다.\n")) << pocket.output();

        auto mails = (*sink)->waitForMessages(2, 20s);
        ASSERT_EQ(mails.size(), 2u) << (*sink)->log();
        EXPECT_EQ(mails[0].to, std::vector<std::string> { "lee@example.com" });
        EXPECT_NE(mails[0].content.find("short\r\nbody"), std::string::npos) << mails[0].content;
        EXPECT_EQ(mails[1].to, std::vector<std::string> { "park@example.com" });
        EXPECT_NE(mails[1].content.find("line 29 "), std::string::npos) << mails[1].content;
        EXPECT_NE(mails[1].content.find("end"), std::string::npos) << mails[1].content;
    }
    fs::remove_all(root);
}

} // namespace
