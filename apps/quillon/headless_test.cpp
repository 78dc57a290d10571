#include "apps/quillon/headless.h"

#include "pc/service/testing/scripted_handheld.h"
#include "platform/net_address.h"
#include "platform/testing/loopback_port.h"

#include <chrono>
#include <fcntl.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace apps::quillon {
namespace {

namespace fs = std::filesystem;

using platform::testing::freeLoopbackPort;

// Sends one request to 127.0.0.1:port and reads to the end; "" when nothing
// listens there.
std::string httpGet(std::uint16_t port, std::string_view path)
{
    std::string response;
    if (auto connected = platform::connectTcp("127.0.0.1", port)) {
        (void)platform::sendAll(connected->fd(), "GET " + std::string(path) + " HTTP/1.0\r\n\r\n");
        char buffer[4096];
        ssize_t received;
        while ((received = ::recv(connected->fd(), buffer, sizeof buffer, 0)) > 0)
            response.append(buffer, static_cast<std::size_t>(received));
    }
    return response;
}

class HeadlessTest : public ::testing::Test {
protected:
    HeadlessTest()
        : m_home(fs::temp_directory_path() / ("quillon_headless_" + std::to_string(::getpid())))
    {
        fs::remove_all(m_home);
        // The console login takes the password from the environment.
        ::setenv("QUILLON_PASSWORD", "secret", 1);
    }

    // Options of a started server with a login id and ephemeral ports.
    PcOptions startedOptions(std::uint16_t webPort) const
    {
        PcOptions options;
        options.start = true;
        options.home = m_home.string();
        options.id = "owner";
        options.commandPort = 0;
        options.uploadPort = 0;
        options.webPort = webPort;
        return options;
    }
    ~HeadlessTest() override { fs::remove_all(m_home); }

    fs::path m_home;
};

TEST_F(HeadlessTest, CreatesTheFoldersAndServesTheServiceRoot)
{
    PcOptions options = startedOptions(freeLoopbackPort());
    std::ostringstream out, err;
    std::string response;
    int status = runHeadless(options, out, err, [&] {
        std::ofstream(m_home / "Quillon" / "pda_Download" / "serverfolder") << "C:\\\n";
        response = httpGet(options.webPort.value_or(0), "/pda_Download/serverfolder");
    });
    EXPECT_EQ(status, 0) << err.str();
    for (const char* folder : { "Quillon/pda_ReqDoc", "Quillon/pda_Download", "Quillon/pda_Upload", "Quillon/pda_Mail" })
        EXPECT_TRUE(fs::is_directory(m_home / folder)) << folder;
    EXPECT_TRUE(response.starts_with("HTTP/1.0 200 OK\r\n")) << response;
    EXPECT_TRUE(response.ends_with("\r\n\r\nC:\\\n"));
    EXPECT_NE(out.str().find("\"GET /pda_Download/serverfolder HTTP/1.0\" 200 4\n"), std::string::npos) << out.str();
}

TEST_F(HeadlessTest, TellsTheUserWhenTheWebServerCannotStart)
{
    auto blocker = platform::listenTcp("0.0.0.0", 0, 1);
    ASSERT_TRUE(blocker);

    PcOptions options = startedOptions(platform::localPort(blocker->fd()).valueOr(0));
    std::ostringstream out, err;
    bool waited = false;
    EXPECT_NE(runHeadless(options, out, err, [&] { waited = true; }), 0);
    EXPECT_FALSE(waited);
    EXPECT_NE(out.str().find("[Quillon] Failed to start the web server\n"), std::string::npos) << out.str();
}

// The next answer with `code`, passing over keep-alive probes.
std::optional<proto::PcAnswer> answerWithCode(pc::service::testing::ScriptedHandheld& handheld,
    std::int32_t code)
{
    while (auto answer = handheld.waitAnswer()) {
        if (answer->code == code)
            return answer;
    }
    return std::nullopt;
}

TEST_F(HeadlessTest, UploadWritesOneProgressLinePerTenth)
{
    using pc::service::testing::ScriptedHandheld;
    using pc::service::testing::ScriptedUpload;
    PcOptions options = startedOptions(freeLoopbackPort());
    options.commandPort = freeLoopbackPort();
    options.uploadPort = freeLoopbackPort();
    std::ostringstream out, err;
    std::optional<proto::PcAnswer> ended;
    int status = runHeadless(options, out, err, [&] {
        auto handheld = ScriptedHandheld::connect(options.commandPort.value_or(0));
        if (!handheld || !handheld->send({ 0, 310, "owner\nsecret" }) || !answerWithCode(*handheld, 310))
            return;
        handheld->send({ 0, 309, "20480\nbig.bin\nx" });
        auto accepted = answerWithCode(*handheld, 309);
        auto upload = ScriptedUpload::connect(options.uploadPort.value_or(0));
        if (!accepted || accepted->first != 0 || !upload)
            return;
        for (std::size_t block = 1; block <= 20; ++block) {
            if (!upload->sendBlock(std::string(1024, 'u')) || !upload->waitAcks(block))
                return;
        }
        upload->sendBlock("FILE_SEND_COMPLETE");
        ended = answerWithCode(*handheld, 309);
    });
    EXPECT_EQ(status, 0) << err.str();
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->first, 1);
    // Twenty blocks of 5 % each: a line at each tenth, none per block.
    std::string text = out.str();
    std::string lines;
    for (std::size_t at = text.find("진행 "); at != std::string::npos; at = text.find("진행 ", at + 1))
        lines += text.substr(at, text.find('\n', at) + 1 - at);
    std::string expected;
    for (int tenth = 10; tenth <= 100; tenth += 10)
        expected += "진행 " + std::to_string(tenth) + "%\n";
    EXPECT_EQ(lines, expected) << text;
    EXPECT_EQ(fs::file_size(m_home / "Quillon" / "pda_Upload" / "big.bin"), 20480u);
}

TEST_F(HeadlessTest, LogsInFromACredentialsFileAndKeepsTheLogInTheLogFolder)
{
    ::unsetenv("QUILLON_PASSWORD");
    fs::create_directories(m_home);
    const fs::path credentials = m_home / "credentials";
    std::ofstream(credentials) << "# for the service\nid=owner\npassword=from file\n";
    fs::permissions(credentials, fs::perms::owner_read | fs::perms::owner_write);
    PcOptions options = startedOptions(0);
    options.id.clear();
    options.commandPort = freeLoopbackPort();
    options.credentials = credentials.string();
    std::ostringstream out, err;
    std::optional<proto::PcAnswer> login;
    int status = runHeadless(options, out, err, [&] {
        if (auto handheld = pc::service::testing::ScriptedHandheld::connect(options.commandPort.value_or(0));
            handheld && handheld->send({ 0, 310, "owner\nfrom file" }))
            login = answerWithCode(*handheld, 310);
    });
    EXPECT_EQ(status, 0) << err.str();
    ASSERT_TRUE(login);
    EXPECT_TRUE(login->text.starts_with("YES\\")) << login->text;
    // The log on standard output is in the log folder too.
    std::string shown = out.str();
    EXPECT_NE(shown.find("사용자 인증을 완료하였습니다..\n"), std::string::npos) << shown;
    std::string kept;
    for (const auto& entry : fs::directory_iterator(m_home / "boxes" / "log"))
        kept += std::string(std::istreambuf_iterator<char>(std::ifstream(entry.path()).rdbuf()), {});
    EXPECT_NE(kept.find("PC 서버를 시작합니다..\n"), std::string::npos) << kept;
    EXPECT_NE(kept.find("사용자 인증을 완료하였습니다..\n"), std::string::npos) << kept;
}

TEST_F(HeadlessTest, RefusesACredentialsFileOthersCanRead)
{
    fs::create_directories(m_home);
    const fs::path credentials = m_home / "credentials";
    std::ofstream(credentials) << "id=owner\npassword=secret\n";
    fs::permissions(credentials, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    PcOptions options = startedOptions(0);
    options.credentials = credentials.string();
    std::ostringstream out, err;
    bool waited = false;
    EXPECT_EQ(runHeadless(options, out, err, [&] { waited = true; }), 1);
    EXPECT_FALSE(waited);
    EXPECT_EQ(err.str(), "quillon: " + credentials.string() + " may be read or changed by others; make it private: chmod 600 "
            + credentials.string() + "\n");
}

TEST_F(HeadlessTest, ProgramStopsOnSigterm)
{
    const std::uint16_t port = freeLoopbackPort();
    const std::string portText = std::to_string(port);
    const std::string home = m_home.string();
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        int input = ::open("/dev/null", O_RDONLY);
        ::dup2(input, 0);
        ::execl(QUILLON_BINARY, "quillon", "--headless", "--start", "--home", home.c_str(), "--web-port",
            portText.c_str(), "--id", "owner", "--command-port", "0", "--upload-port", "0", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Wait until the server answers (or give up after a generous deadline).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string response;
    while (response.empty() && std::chrono::steady_clock::now() < deadline) {
        response = httpGet(port, "/");
        if (response.empty())
            ::poll(nullptr, 0, 10);
    }
    EXPECT_TRUE(response.starts_with("HTTP/1.0 404 Not Found\r\n")) << response;
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace apps::quillon
