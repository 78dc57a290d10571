#include "tests/e2e/e2e_harness.h"

#include "tests/fixtures/child_server.h"
#include "platform/registry.h"
#include "platform/temp_folder.h"
#include "platform/tls/tls_identity.h"
#include "pocket/link/pc_pairing.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tests::e2e {

namespace fs = std::filesystem;

fs::path makeTemporaryFolder(const std::string& prefix)
{
    // The caller removes the folder when it is done.
    return platform::TempFolder(prefix).release();
}

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ChildProgram::ChildProgram(const char* binary, std::vector<std::string> words, const Environment& environment)
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

ChildProgram::~ChildProgram()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_input >= 0)
        ::close(m_input);
    ::close(m_output);
}

void ChildProgram::type(const std::string& lines)
{
    (void)!::write(m_input, lines.data(), lines.size());
}

void ChildProgram::endInput()
{
    ::close(m_input);
    m_input = -1;
}

bool ChildProgram::readMore(std::chrono::steady_clock::time_point deadline)
{
    auto left
        = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p { m_output, POLLIN, 0 };
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
        return false;
    char buffer[4096];
    ssize_t got = ::read(m_output, buffer, sizeof buffer);
    if (got <= 0)
        return false;
    m_text.append(buffer, static_cast<std::size_t>(got));
    return true;
}

bool ChildProgram::waitFor(const std::string& text, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::size_t found = m_text.find(text, m_consumed);
        if (found != std::string::npos) {
            m_consumed = found + text.size();
            return true;
        }
        if (!readMore(deadline))
            return false;
    }
}

bool ChildProgram::waitForOutput(const std::string& text, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (m_text.find(text) == std::string::npos) {
        if (!readMore(deadline))
            return false;
    }
    return true;
}

int ChildProgram::wait()
{
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int ChildProgram::terminate()
{
    ::kill(m_pid, SIGTERM);
    return wait();
}

PcPorts::PcPorts()
    : command(fixtures::freeLoopbackPort())
    , upload(fixtures::freeLoopbackPort())
    , web(fixtures::freeLoopbackPort())
{
}

std::vector<std::string> PcPorts::arguments() const
{
    return { "--command-port", std::to_string(command), "--upload-port", std::to_string(upload), "--web-port",
        std::to_string(web) };
}

std::string PcPorts::pocketOptionLine() const
{
    return "option SEVER_IP 127.0.0.1 PC_PORT " + std::to_string(command) + " PC_UPLOAD_PORT "
        + std::to_string(upload) + " PC_WEB_PORT " + std::to_string(web) + "\n";
}

ChildProgram startHeadlessPc(const fs::path& home, const fs::path& configHome, const std::string& password,
    const std::vector<std::string>& arguments)
{
    std::vector<std::string> words = { "quillon", "--headless", "--home", home.string() };
    words.insert(words.end(), arguments.begin(), arguments.end());
    return ChildProgram(QUILLON_BINARY, std::move(words),
        { { "QUILLON_PASSWORD", password }, { "XDG_CONFIG_HOME", configHome.string() } });
}

ChildProgram startPocketConsole(const fs::path& pocketHome)
{
    return ChildProgram(QUILLON_POCKET_BINARY, { "quillon-pocket", "--console" },
        { { "QUILLON_POCKET_HOME", pocketHome.string() }, { "PATH", "/nonexistent" } });
}

std::vector<std::string> ownerStartArguments(const PcPorts& ports)
{
    std::vector<std::string> arguments = { "--id", "owner", "--start" };
    auto portArguments = ports.arguments();
    arguments.insert(arguments.end(), portArguments.begin(), portArguments.end());
    return arguments;
}

void pairPocketWithPc(const fs::path& pocketHome, const fs::path& pcHome)
{
    fs::create_directories(pcHome);
    fs::create_directories(pocketHome);
    auto identity = platform::TlsIdentity::loadOrCreate(pcHome);
    auto registry = platform::Registry::open(pocketHome / "registry.txt");
    if (!identity || !registry)
        return;
    (void)(*registry)->createKey(pocket::link::kPairedPcsKey);
    (void)(*registry)->setString(pocket::link::kPairedPcsKey, "127.0.0.1", identity->fingerprint());
}

ChildProgram startOwnerPc(const fs::path& root, const PcPorts& ports)
{
    pairPocketWithPc(root / "pocket", root / "pc");
    return startHeadlessPc(root / "pc", root / "config", "secret", ownerStartArguments(ports));
}

bool logInOwner(ChildProgram& pocket, const PcPorts& ports)
{
    pocket.type(ports.pocketOptionLine());
    pocket.type("login owner secret\n");
    return pocket.waitFor("[Quillon] 로그인되었습니다.\n");
}

} // namespace tests::e2e
