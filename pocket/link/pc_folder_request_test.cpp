#include "pocket/link/pc_folder_request.h"

#include "platform/http_fetch.h"
#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/device/device_root.h"
#include "pocket/link/fetch_to_file.h"
#include "pocket/link/pc_link.h"
#include "pocket/link/testing/fake_views.h"
#include "pocket/link/testing/loopback.h"
#include "pocket/settings/pda_settings.h"
#include "proto/command_codes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <atomic>
#include <filesystem>
#include <thread>
#include <fstream>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace pocket::link {
namespace {

using namespace std::chrono_literals;
using testing::answerRecord;

class RecordingFolderView final : public FolderListView {
public:
    void showFolder(const std::string& path, const std::vector<FolderEntry>& list) override
    {
        shownPath = path;
        entries = list;
        ++shown;
    }
    void restoreFolder(const std::string& path) override { restored = path; }

    std::string shownPath;
    std::vector<FolderEntry> entries;
    int shown = 0;
    std::string restored;
};

class PcFolderRequestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove_all(m_root);
        m_device.prepare();
        std::filesystem::create_directories(m_root / "Program Files" / "Quillon");
        m_settings.serverIp = "127.0.0.1";
        m_settings.pcPort = m_pc.port();
        m_link.prepare();
        ASSERT_TRUE(m_link.connect());
        m_peer = m_pc.accept();
        ASSERT_GE(m_peer, 0);
    }
    void TearDown() override
    {
        ::close(m_peer);
        std::filesystem::remove_all(m_root);
    }

    // Opens the folder and answers the 306 that arrives with `text`.
    void openAndAnswer(std::string_view path, std::string text)
    {
        int number = m_link.treeRequest().current();
        ASSERT_TRUE(m_request.open(path));
        std::string expected = "0xx0:" + std::to_string(number) + " 0xx1:306 0xx2:" + std::string(path);
        if (expected.back() != '\\')
            expected += "\\";
        EXPECT_EQ(testing::receiveUntilNul(m_peer), expected + std::string(1, '\0'));
        testing::sendAll(m_peer, answerRecord(number, proto::kCodeListFolder, std::move(text)));
        ASSERT_TRUE(m_loop.runUntil([&] { return m_view.shown > 0 || !m_view.restored.empty(); }, 5s));
    }

    std::filesystem::path m_root = std::filesystem::temp_directory_path() / ("pocket-folder-" + std::to_string(::getpid()));
    platform::testing::ManualClock m_clock;
    platform::PollEventLoop m_loop { m_clock };
    platform::testing::FakeUi m_ui;
    testing::LoopbackListener m_pc;
    testing::FakePcLinkView m_linkView;
    RecordingFolderView m_view;
    device::DeviceRoot m_device { m_root };
    settings::PdaSettings m_settings;
    platform::HttpFetch m_fetch;
    PcLink m_link { m_loop, m_ui, m_settings, m_linkView };
    PcFolderRequest m_request { m_link, m_settings, m_device, m_fetch, m_ui, m_view };
    int m_peer = -1;
};

TEST_F(PcFolderRequestTest, ShowsAnInlineList)
{
    openAndAnswer("C:", ".1Docs\n0a.txt\n\n");
    EXPECT_EQ(m_view.shownPath, "C:");
    EXPECT_EQ(m_view.entries, (std::vector<FolderEntry> { { true, "Docs" }, { false, "a.txt" } }));
    EXPECT_EQ(m_ui.callCount(), 0u);
}

TEST_F(PcFolderRequestTest, EmptyFolderShowsNothingItem)
{
    openAndAnswer("C:\\empty\\", ".\n");
    EXPECT_EQ(m_view.shownPath, "C:\\empty");
    EXPECT_TRUE(m_view.entries.empty());
    EXPECT_EQ(m_ui.lastText(), "NOTHING ITEM");
}

TEST_F(PcFolderRequestTest, FetchesALongListFromTheWebServer)
{
    std::string list;
    for (int i = 0; i < 200; ++i)
        list += "0file" + std::to_string(i) + ".txt\n";
    list += "\n";
    testing::OneShotHttpServer web(200, list);
    m_settings.pcWebPort = web.port();
    openAndAnswer("C:", "serverfolder");
    ASSERT_EQ(m_view.entries.size(), 200u);
    EXPECT_EQ(m_view.entries.back(), (FolderEntry { false, "file199.txt" }));
    EXPECT_EQ(web.requestHead().substr(0, 22), "GET /serverfolder HTTP");
}

TEST_F(PcFolderRequestTest, FailedFetchRestoresTheFolder)
{
    testing::OneShotHttpServer web(404, "<html>not here</html>");
    m_settings.pcWebPort = web.port();
    openAndAnswer("D:", "serverfolder");
    EXPECT_EQ(m_view.restored, "D:");
    EXPECT_EQ(m_view.shown, 0);
    EXPECT_EQ(m_ui.lastText(), "디렉토리 데이터를 받는데 실패하였습니다. \n다시 시도해주세요!");
}

// A PC web server that streams a list without end, counting what it sent.
class EndlessListServer {
public:
    EndlessListServer()
    {
        m_thread = std::thread([this] {
            int client = testing::acceptWithOkHead(m_listener);
            if (client < 0)
                return;
            std::string chunk;
            for (int i = 0; i < 4096; ++i)
                chunk += "0file.txt\n";
            while (testing::sendAll(client, chunk))
                m_sent += chunk.size();
            ::close(client);
        });
    }
    ~EndlessListServer() { m_thread.join(); }
    std::uint16_t port() const { return m_listener.port(); }
    std::uint64_t sent() const { return m_sent.load(); }

private:
    testing::LoopbackListener m_listener;
    std::atomic<std::uint64_t> m_sent { 0 };
    std::thread m_thread;
};

TEST_F(PcFolderRequestTest, ListLargerThanTheCapFailsWithoutFillingDiskOrMemory)
{
    EndlessListServer web;
    m_settings.pcWebPort = web.port();
    openAndAnswer("C:", "serverfolder");
    EXPECT_EQ(m_view.restored, "C:");
    EXPECT_EQ(m_view.shown, 0);
    EXPECT_EQ(m_ui.lastText(), "디렉토리 데이터를 받는데 실패하였습니다. \n다시 시도해주세요!");
    // The fetch stopped at the cap (plus what the sockets held), and left
    // nothing behind.
    EXPECT_LT(web.sent(), kMaxFetchedFileBytes + 16u * 1024 * 1024);
    for (const auto& entry : std::filesystem::directory_iterator(m_root / "Program Files" / "Quillon"))
        ADD_FAILURE() << "left behind: " << entry.path();
}

TEST_F(PcFolderRequestTest, TimeOutRestoresAndIgnoresTheLateAnswer)
{
    int number = m_link.treeRequest().current();
    ASSERT_TRUE(m_request.open("C:"));
    EXPECT_FALSE(m_request.open("D:")); // One folder request at a time.
    m_clock.advance(60s);
    m_loop.processPending();
    EXPECT_EQ(m_view.restored, "C:");
    EXPECT_EQ(m_ui.lastText(), "[MYPC]드라이브 FILE LIST 요청 - TIME OUT(timeout val: 60초) \n다시 요청해주십시오.");

    testing::sendAll(m_peer, answerRecord(number, proto::kCodeListFolder, ".0late.txt\n\n"));
    bool markerSeen = false;
    m_link.setHandler(999, [&](const proto::PcAnswer&) { markerSeen = true; });
    testing::sendAll(m_peer, answerRecord(0, 999, "")); // Arrives after the late answer.
    ASSERT_TRUE(m_loop.runUntil([&] { return markerSeen; }, 5s));
    EXPECT_EQ(m_view.shown, 0);
}

TEST(ParseFolderList, ReadsFlagsAndNames)
{
    EXPECT_EQ(parseFolderList("0report.txt\n1docs\n\n"),
        (std::vector<FolderEntry> { { false, "report.txt" }, { true, "docs" } }));
    EXPECT_EQ(parseFolderList("0a\n\n0hidden-after-empty-line\n"), (std::vector<FolderEntry> { { false, "a" } }));
    EXPECT_EQ(parseFolderList("0a\n0no-line-feed"), (std::vector<FolderEntry> { { false, "a" } }));
    EXPECT_TRUE(parseFolderList("\n").empty());
}

TEST(FixUpUrl, MakesHttpUrlsWithSlashes)
{
    platform::testing::FakeUi ui;
    EXPECT_EQ(fixUpUrl(ui, "10.0.0.2:91\\serverfolder"), "http://10.0.0.2:91/serverfolder");
    EXPECT_EQ(fixUpUrl(ui, "http://host\\a\\b.html"), "http://host/a/b.html");
    EXPECT_FALSE(fixUpUrl(ui, ""));
    EXPECT_EQ(ui.lastText(), "You must enter a URL.");
    EXPECT_EQ(lowerCaseSchemeAndHost("HTTP://Host:91/Searchfilelist"), "http://host:91/Searchfilelist");
    EXPECT_EQ(pcFileUrl("1.2.3.4", 91, "serverfolder"), "1.2.3.4:91\\serverfolder");
}

TEST(FetchToFile, ReplacesTheFileOnlyWithAWholeSuccessfulBody)
{
    auto folder = std::filesystem::temp_directory_path() / ("fetch-to-file-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto local = folder / "report.txt";
    auto contents = [&] {
        std::ifstream in(local, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    std::ofstream(local) << "earlier copy";
    platform::HttpFetch fetch;
    platform::testing::FakeUi ui;

    struct Case {
        const char* name;
        int status; // 0: nothing listens.
        bool ok;
        const char* after;
    };
    const Case cases[] = {
        { "error page", 404, false, "earlier copy" },
        { "PC not reachable", 0, false, "earlier copy" },
        { "whole body", 200, true, "new body" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<testing::OneShotHttpServer> web;
        std::uint16_t port = testing::closedLoopbackPort();
        if (c.status != 0) {
            web.emplace(c.status, "new body");
            port = web->port();
        }
        EXPECT_EQ(fetchToFile(fetch, ui, pcFileUrl("127.0.0.1", port, "report.txt"), local), c.ok);
        EXPECT_EQ(contents(), c.after);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
    }

    // A name at the length limit (84 Korean characters, 252 bytes) fits.
    std::string longName;
    for (int i = 0; i < 84; ++i)
        longName += "받";
    testing::OneShotHttpServer web(200, "long");
    EXPECT_TRUE(fetchToFile(fetch, ui, pcFileUrl("127.0.0.1", web.port(), "x"), folder / longName));
    EXPECT_TRUE(std::filesystem::exists(folder / longName));
    std::filesystem::remove_all(folder);
}

TEST(FetchToFile, TellsALackOfConnectionFromAMissingServer)
{
    using platform::Error;
    using platform::ErrorCode;
    EXPECT_FALSE(isNoConnection(Error { ErrorCode::Unavailable, "", ECONNREFUSED }));
    EXPECT_TRUE(isNoConnection(Error { ErrorCode::Unavailable, "", ENETUNREACH }));
    EXPECT_TRUE(isNoConnection(Error { ErrorCode::Unavailable, "", 0 })); // No address for the host.
    EXPECT_FALSE(isNoConnection(Error { ErrorCode::Timeout, "", 0 }));

    auto local = std::filesystem::temp_directory_path() / ("fetch-no-connection-" + std::to_string(::getpid()));
    platform::HttpFetch fetch;
    platform::testing::FakeUi ui;
    // A refused connection: the PC is not there, the network is.
    EXPECT_FALSE(fetchToFile(fetch, ui, pcFileUrl("127.0.0.1", testing::closedLoopbackPort(), "x"), local));
    EXPECT_EQ(ui.callCount(), 0u);
    // A host without an address (a reserved name): no connection.
    EXPECT_FALSE(fetchToFile(fetch, ui, "nowhere.invalid:91\\x", local));
    EXPECT_EQ(ui.lastText(), "인터넷연결이 되어 있지 않습니다.");
    EXPECT_FALSE(std::filesystem::exists(local));
}

TEST(FetchToFile, APcThatTricklesIsCutOffAtTheDeadline)
{
    testing::TricklingHttpServer pc;
    auto folder = std::filesystem::temp_directory_path() / ("fetch-trickle-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    platform::HttpFetch fetch;
    platform::testing::FakeUi ui;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(fetchToFile(fetch, ui, pcFileUrl("127.0.0.1", pc.port(), "serverfolder"), folder / "serverfolder",
        platform::FetchLimits { 1s, kMaxFetchedFileBytes }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    std::filesystem::remove_all(folder);
    // Result files are fetched with the deadline by default.
    EXPECT_EQ(kResultFileLimits.deadline, kFetchDeadline);
    EXPECT_EQ(kResultFileLimits.maxBodyBytes, kMaxFetchedFileBytes);
}

} // namespace
} // namespace pocket::link
