#include "pc/app/update_check.h"

#include "platform/net_address.h"
#include "platform/testing/fake_ui.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace pc::app {
namespace {

namespace fs = std::filesystem;
using platform::Answer;

TEST(UpdateCheckValues, ComparesTheTwoValuesOfBothTexts)
{
    struct Case {
        const char* name;
        const char* remote;
        const char* local;
        bool offered;
    };
    const Case cases[] = {
        { "same", "ver:2.1\ndate:20020315", "ver:2.1\ndate:20020315", false },
        { "first differs", "ver:2.2\ndate:20020315", "ver:2.1\ndate:20020315", true },
        { "second differs", "ver:2.1\ndate:20020401", "ver:2.1\ndate:20020315", true },
        // Remote: after the second ":"; local: after the last one.
        { "remote second colon, local last colon", "a:1\nb:3", "a:1\nx:y:3", false },
        { "remote keeps later colons", "a:1\nb:2:3", "a:1\nb:3", true },
        { "exact text, line breaks count", "ver:2.1\ndate:1\n", "ver:2.1\ndate:1", true },
        { "no colon anywhere", "nothing", "nothing", false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isNewerVersionOffered(c.remote, c.local), c.offered);
    }
    EXPECT_EQ(remoteVersionValues("v:1.0\r\nd:x:y"), (VersionValues { "1.0\r", "x:y" }));
    EXPECT_EQ(localVersionValues("v:1.0\nd:x:y"), (VersionValues { "1.0", "y" }));
}

// A web server on loopback that answers every request with one response.
class TinyHttpServer {
public:
    explicit TinyHttpServer(std::string response)
        : m_response(std::move(response))
    {
        auto listener = platform::listenTcp("127.0.0.1", 0);
        EXPECT_TRUE(listener);
        m_listener = std::move(*listener);
        m_port = *platform::localPort(m_listener.fd());
        m_thread = std::thread([this] { serve(); });
    }
    ~TinyHttpServer()
    {
        ::shutdown(m_listener.fd(), SHUT_RDWR);
        m_thread.join();
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(m_port); }
    std::string host() const { return "http://" + address(); }
    std::string request() const { return m_request; }

private:
    void serve()
    {
        for (;;) {
            int fd = ::accept(m_listener.fd(), nullptr, nullptr);
            if (fd < 0)
                return;
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(got));
                if (request[0] == '\x16')
                    break; // A TLS handshake, which this server does not speak.
            }
            m_request = request;
            (void)platform::sendAll(fd, m_response);
            ::close(fd);
        }
    }

    std::string m_response;
    platform::SocketFd m_listener;
    std::uint16_t m_port = 0;
    std::thread m_thread;
    std::string m_request;
};

std::string okResponse(const std::string& body)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size())
        + "\r\n\r\n" + body;
}

struct RecordingLauncher final : DesktopLauncher {
    bool openFile(const fs::path&) override { return true; }
    bool openDateTimeSettings() override { return true; }
    bool runCommand(const std::string& command) override { return commands.push_back(command), true; }
    std::vector<std::string> commands;
};

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path()
            / ("quillon-update-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void writeLocal(const std::string& text)
    {
        std::ofstream(m_folder / "QLVER.txt", std::ios::binary) << text;
    }
    UpdateOutcome check(const std::string& host)
    {
        if (!host.empty()) {
            EXPECT_TRUE(profile.writeString("Quillon", "updateserver", host));
        }
        UpdateCheck update(profile, ui, launcher, m_folder);
        return update.run();
    }

    fs::path m_folder;
    platform::Profile profile { fs::temp_directory_path() / ("quillon-update-profile-" + std::to_string(::getpid()) + ".ini") };
    platform::testing::FakeUi ui;
    RecordingLauncher launcher;
};

TEST_F(UpdateCheckTest, WithoutAServerEndsAtOnce)
{
    writeLocal("ver:1\ndate:1");
    EXPECT_EQ(check(""), UpdateOutcome::NoUpdate);
    EXPECT_EQ(ui.callCount(), 0u);
}

TEST_F(UpdateCheckTest, AsksWhenTheServerOffersAnotherVersionAndRunsTheUpdateOnYes)
{
    TinyHttpServer server(okResponse("ver:2\ndate:2"));
    writeLocal("ver:1\ndate:1");
    ui.pushAnswer(Answer::No);
    EXPECT_EQ(check(server.host()), UpdateOutcome::NoUpdate);
    EXPECT_EQ(server.request().rfind("GET /update/QLVER.txt HTTP/", 0), 0u) << server.request();
    ASSERT_EQ(ui.callCount(), 1u);
    EXPECT_EQ(ui.lastText(), "Quillon 새버전이 나왔습니다.\n업데이트 하시겠습니까?");
    EXPECT_EQ(ui.calls()[0].buttons, platform::Buttons::YesNo);
    EXPECT_TRUE(launcher.commands.empty());

    ui.pushAnswer(Answer::Yes);
    EXPECT_TRUE(profile.writeString("Quillon", "updatecommand", "my-updater --now"));
    EXPECT_EQ(check(server.host()), UpdateOutcome::UpdateChosen);
    EXPECT_EQ(launcher.commands, std::vector<std::string> { "my-updater --now" });
    EXPECT_TRUE(profile.deleteKey("Quillon", "updatecommand"));
}

TEST_F(UpdateCheckTest, NoQuestionForTheSameVersionAMissingFileOrAnErrorStatus)
{
    {
        TinyHttpServer server(okResponse("ver:1\ndate:1"));
        writeLocal("ver:1\ndate:1");
        EXPECT_EQ(check(server.host()), UpdateOutcome::NoUpdate);
    }
    {
        TinyHttpServer server("HTTP/1.0 404 Not Found\r\nContent-Length: 5\r\n\r\nnope!");
        writeLocal("ver:1\ndate:1");
        EXPECT_EQ(check(server.host()), UpdateOutcome::NoUpdate);
    }
    {
        TinyHttpServer server(okResponse("ver:2\ndate:2"));
        fs::remove(m_folder / "QLVER.txt");
        EXPECT_EQ(check(server.host()), UpdateOutcome::NoUpdate);
    }
    EXPECT_EQ(ui.callCount(), 0u);
}

TEST_F(UpdateCheckTest, AServerNamedWithoutSchemeIsAskedOverTls)
{
    TinyHttpServer server(okResponse("ver:2\ndate:2"));
    writeLocal("ver:1\ndate:1");
    EXPECT_EQ(check(server.address()), UpdateOutcome::NoUpdate);
    // A TLS handshake (0x16) came instead of a clear request, and what the
    // clear server answered was not taken for a version file.
    ASSERT_FALSE(server.request().empty());
    EXPECT_EQ(server.request()[0], '\x16');
    EXPECT_EQ(ui.callCount(), 0u);
}

TEST_F(UpdateCheckTest, OnlyTheFirstHundredLocalBytesCount)
{
    TinyHttpServer server(okResponse("v:1\nd:" + std::string(94, 'x')));
    // 100 bytes match the remote text; what follows is never read.
    writeLocal("v:1\nd:" + std::string(94, 'x') + "MORE");
    EXPECT_EQ(check(server.host()), UpdateOutcome::NoUpdate);
    EXPECT_EQ(ui.callCount(), 0u);
}

} // namespace
} // namespace pc::app
