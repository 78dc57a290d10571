// Runs `quillon --headless` in a temporary home with free ports and drives it
// as a handheld would: log-in, folder list, download with an HTTP fetch,
// upload, and the stop of the service from the console.

#include "pc/service/testing/scripted_handheld.h"

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
using pc::service::testing::httpGet;
using pc::service::testing::ScriptedHandheld;
using pc::service::testing::ScriptedUpload;
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

// The program in a child process with pipes on its standard input and output.
class RunningQuillon {
public:
    RunningQuillon(const fs::path& home, std::vector<std::string> arguments, const std::string& password)
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
            ::setenv("QUILLON_PASSWORD", password.c_str(), 1);
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

    ~RunningQuillon()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_input);
        ::close(m_output);
    }

    void type(const std::string& line) { (void)!::write(m_input, line.data(), line.size()); }

    // Reads output until it holds `text` or the deadline passes.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout = 10s)
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

    // Sends SIGTERM and returns the exit status (-1 when it did not exit normally).
    int terminate()
    {
        ::kill(m_pid, SIGTERM);
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
};

class QuillonE2e : public ::testing::Test {
protected:
    QuillonE2e()
    {
        std::string pattern = (fs::temp_directory_path() / "quillon-e2e-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        home = ::mkdtemp(buffer.data());
        disk = home / "disk";
        fs::create_directories(disk / "docs");
        std::ofstream(disk / "docs" / "report.txt") << "0123456789";
        // Drive C: is the temporary disk folder.
        std::ofstream(home / "Quillon.ini") << "[Drives]\nC=" << disk.string() << "\n";
    }
    ~QuillonE2e() override { fs::remove_all(home); }

    std::vector<std::string> portArguments()
    {
        return { "--command-port", std::to_string(commandPort), "--upload-port", std::to_string(uploadPort),
            "--web-port", std::to_string(webPort) };
    }

    fs::path home;
    fs::path disk;
    std::uint16_t commandPort = freePort();
    std::uint16_t uploadPort = freePort();
    std::uint16_t webPort = freePort();
};

TEST_F(QuillonE2e, HandheldSessionAgainstTheRealProgram)
{
    auto arguments = portArguments();
    arguments.insert(arguments.end(), { "--id", "owner", "--start" });
    RunningQuillon quillon(home, arguments, "secret");
    ASSERT_TRUE(quillon.waitForOutput("PC 서버를 시작합니다..\n")) << quillon.output();

    auto handheld = ScriptedHandheld::connect(commandPort);
    ASSERT_TRUE(handheld);
    handheld->send({ 0, 310, "owner\nwrong" });
    auto refused = handheld->waitAnswer();
    ASSERT_TRUE(refused);
    EXPECT_EQ(*refused, (proto::PcAnswer { 0, 310, "NO" }));

    handheld->send({ 0, 310, "owner\nsecret" });
    auto accepted = handheld->waitAnswer();
    ASSERT_TRUE(accepted);
    EXPECT_EQ(*accepted, (proto::PcAnswer { 1, 310, "YES\\C:\\\\" }));
    auto probe = handheld->waitAnswer();
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->code, 328);
    EXPECT_TRUE(quillon.waitForOutput("사용자 인증을 완료하였습니다..\n"));

    handheld->send({ 10, 306, "C:\\docs\\" });
    auto list = handheld->waitAnswer();
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (proto::PcAnswer { 10, 306, ".0report.txt\n\n" }));

    handheld->send({ 11, 308, "C:\\docs\\report.txt" });
    auto download = handheld->waitAnswer();
    ASSERT_TRUE(download);
    EXPECT_EQ(*download, (proto::PcAnswer { 10, 308, "report.txt" }));
    auto fetched = httpGet(webPort, "/pda_Download/report.txt");
    ASSERT_TRUE(fetched);
    EXPECT_EQ(fetched->body, "0123456789");

    auto upload = ScriptedUpload::connect(uploadPort);
    ASSERT_TRUE(upload);
    handheld->send({ 0, 309, "5\nhello.txt\nowner" });
    auto go = handheld->waitAnswer();
    ASSERT_TRUE(go);
    EXPECT_EQ(*go, (proto::PcAnswer { 0, 309, "" }));
    upload->sendBlock("hello");
    ASSERT_TRUE(upload->waitAcks(1));
    EXPECT_EQ(upload->acks().front(), 5);
    upload->sendBlock("FILE_SEND_COMPLETE");
    auto done = handheld->waitAnswer();
    ASSERT_TRUE(done);
    EXPECT_EQ(*done, (proto::PcAnswer { 1, 309, "" }));
    std::ifstream uploaded(home / "Quillon" / "pda_Upload" / "hello.txt");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(uploaded)), {}), "hello");

    quillon.type("stop\n");
    auto stopping = handheld->waitAnswer();
    ASSERT_TRUE(stopping);
    EXPECT_EQ(*stopping, (proto::PcAnswer { 0, 312, "" }));
    EXPECT_TRUE(handheld->waitClosed());
    EXPECT_TRUE(quillon.waitForOutput("PC 서버를 종료합니다..\n"));
    EXPECT_EQ(quillon.terminate(), 0);
}

TEST_F(QuillonE2e, WithoutTerminalAndPasswordItExplainsAndEnds)
{
    RunningQuillon quillon(home, portArguments(), "");
    EXPECT_TRUE(quillon.waitForOutput("QUILLON_PASSWORD")) << quillon.output();
    int status = quillon.terminate();
    EXPECT_EQ(status, 1);
}

TEST_F(QuillonE2e, UserStartOptionStartsTheServerAfterLogin)
{
    std::ofstream(home / "Quillon.ini", std::ios::app) << "[Quillon]\nsavedid=kim\nidsaved=true\nkim_check2=true\n";
    RunningQuillon quillon(home, portArguments(), "pw");
    ASSERT_TRUE(quillon.waitForOutput("PC 서버를 시작합니다..\n")) << quillon.output();
    auto handheld = ScriptedHandheld::connect(commandPort);
    ASSERT_TRUE(handheld);
    handheld->send({ 0, 310, "kim\npw" });
    auto accepted = handheld->waitAnswer();
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->text, "YES\\C:\\\\");
    EXPECT_EQ(quillon.terminate(), 0);
}

} // namespace
