// Runs the real `quillon --headless` and the handheld `quillon-pocket
// --console` against it, each in a temporary home on free loopback ports:
// settings, a refused and an accepted log-in, folder lists inline and fetched
// from the web server, log-out, and the PC stopping its service.
// PATH is emptied for the handheld so that it finds no nmcli.

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

class PocketConsoleE2e : public ::testing::Test {
protected:
    PocketConsoleE2e()
    {
        std::string pattern = (fs::temp_directory_path() / "pocket-e2e-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        root = ::mkdtemp(buffer.data());
        fs::create_directories(root / "pc");
        fs::create_directories(root / "pocket");
        disk = root / "disk";
        fs::create_directories(disk / "docs" / "sub");
        std::ofstream(disk / "docs" / "report.txt") << "0123456789";
        fs::create_directories(disk / "big");
        // Long names: the list passes 900 characters and travels as a file.
        for (int i = 0; i < 40; ++i)
            std::ofstream(disk / "big" / ("a-rather-long-file-name-number-" + std::to_string(i) + ".txt")) << i;
        std::ofstream(root / "pc" / "Quillon.ini") << "[Drives]\nC=" << disk.string() << "\n";
    }
    ~PocketConsoleE2e() override { fs::remove_all(root); }

    Child startPc()
    {
        return Child(QUILLON_BINARY,
            { "quillon", "--headless", "--home", (root / "pc").string(), "--id", "owner", "--start", "--command-port",
                std::to_string(commandPort), "--upload-port", std::to_string(uploadPort), "--web-port",
                std::to_string(webPort) },
            { { "QUILLON_PASSWORD", "secret" }, { "XDG_CONFIG_HOME", (root / "config").string() } });
    }

    Child startPocket()
    {
        return Child(QUILLON_POCKET_BINARY, { "quillon-pocket", "--console" },
            { { "QUILLON_POCKET_HOME", (root / "pocket").string() }, { "PATH", "/nonexistent" } });
    }

    std::string portOptions()
    {
        return "option SEVER_IP 127.0.0.1 PC_PORT " + std::to_string(commandPort) + " PC_UPLOAD_PORT "
            + std::to_string(uploadPort) + " PC_WEB_PORT " + std::to_string(webPort) + "\n";
    }

    fs::path root;
    fs::path disk;
    std::uint16_t commandPort = unusedPort();
    std::uint16_t uploadPort = unusedPort();
    std::uint16_t webPort = unusedPort();
};

TEST_F(PocketConsoleE2e, LogsInListsFoldersAndLogsOut)
{
    Child pc = startPc();
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
    Child pocket = startPocket();
    pocket.type(portOptions());
    pocket.type("login owner wrong\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] PC프로그램의 사용자 정보와, PDA 사용자 정보가 일치하지 않습니다.")) << pocket.output();

    pocket.type("login owner secret\n");
    ASSERT_TRUE(pocket.waitFor("drive\tC:\n")) << pocket.output();
    ASSERT_TRUE(pocket.waitFor("[Quillon] 로그인되었습니다.\n")) << pocket.output();

    pocket.type("ls C:\\docs\n");
    ASSERT_TRUE(pocket.waitFor("file\treport.txt\n")) << pocket.output();
    // "settings" prints once the listing before it is complete.
    pocket.type("ls C:/big\nsettings\n");
    ASSERT_TRUE(pocket.waitFor("SEVER_IP\t127.0.0.1\n")) << pocket.output();
    // Every one of the 40 names arrived through the fetched list file.
    std::string fetched = pocket.output();
    for (int i = 0; i < 40; ++i)
        EXPECT_NE(fetched.find("file\ta-rather-long-file-name-number-" + std::to_string(i) + ".txt\n"), std::string::npos) << i;

    pocket.type("logout\nyes\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 접속을 종료하시겠습니까?")) << pocket.output();
    ASSERT_TRUE(pocket.waitFor("[Quillon] 서버 연결이 종료되었습니다.\n")) << pocket.output();
    pocket.type("ls C:\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 서버와 연결이 안된 상태입니다.\n")) << pocket.output();
    pocket.endInput();
    EXPECT_EQ(pocket.wait(), 0);

    // The log-in was not remembered ("save" 0), the address and ports were.
    std::ifstream registry(root / "pocket" / "registry.txt");
    std::string stored((std::istreambuf_iterator<char>(registry)), {});
    EXPECT_NE(stored.find("\"SEVER_IP\" \"127.0.0.1\""), std::string::npos) << stored;
    EXPECT_NE(stored.find("\"PC_WEB_PORT\" " + std::to_string(webPort)), std::string::npos) << stored;
    EXPECT_EQ(stored.find("MY_PASSWORD"), std::string::npos) << stored;
}

TEST_F(PocketConsoleE2e, StoppedServiceResetsTheHandheld)
{
    Child pc = startPc();
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
    Child pocket = startPocket();
    pocket.type(portOptions() + "login owner secret\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 로그인되었습니다.\n")) << pocket.output();
    pc.type("stop\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 서버 연결이 종료되었습니다.\n")) << pocket.output();
    pocket.type("exit\n");
    EXPECT_EQ(pocket.wait(), 0);
}

} // namespace
