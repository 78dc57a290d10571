#include "pocket/mypc/mypc_transfer.h"

#include "pocket/mypc/mypc_test_peer.h"

#include <gtest/gtest.h>

namespace pocket::mypc {
namespace {

using namespace std::chrono_literals;

class RecordingProgress final : public ProgressView {
public:
    void openProgress(const std::string& title) override { lines.push_back("open " + title); }
    void setTotalLine(const std::string& text) override { lines.push_back(text); }
    void setDoneLine(const std::string& text) override { done = text; }
    void setBar(int percent) override { bars.push_back(percent); }
    void closeProgress() override { lines.push_back("close"); }

    std::vector<std::string> lines;
    std::string done;
    std::vector<int> bars;
};

TEST(DownloadPercent, CountsAgainstSizeLimitOrSpinner)
{
    struct Case {
        const char* name;
        TransferKind kind;
        std::int64_t size;
        std::int64_t limit;
        std::int64_t received;
        int expected;
    };
    const Case cases[] = {
        { "pc file below the limit", TransferKind::PcFile, 2000, 10000, 500, 25 },
        { "pc file above the limit counts the limit", TransferKind::PcFile, 40000, 10000, 5000, 50 },
        { "pc file of unknown size counts the limit", TransferKind::PcFile, 0, 1000, 250, 25 },
        { "pc file without a limit counts the size", TransferKind::PcFile, 4000, 0, 1000, 25 },
        { "web file of known size", TransferKind::WebFile, 1000, 0, 1000, 100 },
        { "more than announced stays at 100", TransferKind::MailAttachment, 100, 0, 512, 100 },
        { "web file of unknown size spins", TransferKind::WebFile, 0, 0, 512, 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int spinner = 0;
        TransferRequest request { c.size, c.kind, "", "", c.limit };
        EXPECT_EQ(downloadPercent(request, c.received, spinner), c.expected);
    }
}

TEST(DownloadPercent, SpinnerStartsAgainAfterReachingHundred)
{
    TransferRequest request { 0, TransferKind::WebFile, "", "", 0 };
    int spinner = 98;
    EXPECT_EQ(downloadPercent(request, 1, spinner), 100);
    EXPECT_EQ(downloadPercent(request, 2, spinner), 0);
    EXPECT_EQ(downloadPercent(request, 3, spinner), 2);
}

TEST(PercentEncodePath, EncodesWhatAUrlCannotCarry)
{
    EXPECT_EQ(percentEncodePath("a b%.txt"), "a%20b%25.txt");
    EXPECT_EQ(percentEncodePath("1.2.3.4:91\\pda_Download\\x~y"), "1.2.3.4:91\\pda_Download\\x~y");
    EXPECT_EQ(percentEncodePath("가"), "%EA%B0%80");
    EXPECT_EQ(percentEncodePath("a?b#c"), "a%3Fb%23c");
}

class TransferRunnerTest : public testing::MyPcFixture {
protected:
    TransferRequest pcFile(std::uint16_t port, const std::string& name, std::int64_t size, std::int64_t limit = 0)
    {
        return { size, TransferKind::PcFile, "127.0.0.1:" + std::to_string(port) + "\\pda_Download\\" + name, name, limit };
    }
    bool runToEnd()
    {
        return runUntil([&] { return m_outcome.has_value(); });
    }

    RecordingProgress m_progress;
    TransferRunner m_runner { m_loop, m_ui, m_settings, m_device, m_progress };
    std::optional<TransferOutcome> m_outcome;

    void SetUp() override
    {
        m_runner.setFinishedHandler([this](TransferOutcome outcome) { m_outcome = outcome; });
    }
};

TEST_F(TransferRunnerTest, SavesAPcFileWithProgress)
{
    std::string body(1300, 'x');
    testing::FileWebServer web({ { "/pda_Download/a.txt", { 200, body } } }, 1);
    ASSERT_TRUE(m_runner.start(pcFile(web.port(), "a.txt", 1300, 1000 * 1024), kActivitySaveFile));
    EXPECT_TRUE(m_runner.isRunning());
    EXPECT_EQ(m_runner.activity(), "파일 저장");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(*m_outcome, TransferOutcome::Saved);
    EXPECT_FALSE(m_runner.isRunning());
    EXPECT_EQ(readFile(m_runner.destinationOf(pcFile(0, "a.txt", 0))), body);
    EXPECT_EQ(m_progress.lines, (std::vector<std::string> { "open a.txt", "전체사이즈 : 1.2 KB", "close" }));
    EXPECT_EQ(m_progress.done, "받은사이즈 : 1.2 KB");
    EXPECT_EQ(m_progress.bars.front(), 0);
    EXPECT_EQ(m_progress.bars.back(), 100);
    EXPECT_EQ(m_ui.lastText(), "파일다운로드 폴더에 저장되었습니다.\n\n\\Program Files\\Quillon\\받은파일\\a.txt");
}

TEST_F(TransferRunnerTest, WebFilesGoToTheWebFolder)
{
    testing::FileWebServer web({ { "/page.html", { 200, "<p>" } } }, 1);
    TransferRequest request { 0, TransferKind::WebFile, "http://127.0.0.1:" + std::to_string(web.port()) + "/page.html",
        "page.html", 0 };
    ASSERT_TRUE(m_runner.start(request, kActivitySaveWebPage));
    EXPECT_EQ(m_progress.lines[1], "전체사이즈 : 알수없음");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(readFile(m_device.toLocal(m_settings.webFolderPath) / "page.html"), "<p>");
    EXPECT_EQ(m_ui.lastText(), "웹파일다운로드 폴더에 저장되었습니다.\n\n\\Program Files\\Quillon\\웹저장\\page.html");
}

TEST_F(TransferRunnerTest, AnErrorPageIsNotSaved)
{
    std::filesystem::path earlier = m_device.toLocal(m_settings.saveFilePath) / "gone.txt";
    testing::FileWebServer web({}, 1);
    ASSERT_TRUE(m_runner.start(pcFile(web.port(), "gone.txt", 10), kActivitySaveFile));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(*m_outcome, TransferOutcome::OpenFailed);
    EXPECT_FALSE(std::filesystem::exists(earlier));
    EXPECT_EQ(m_ui.lastText(), "잘못된 주소이거나 네트워크 에러입니다.");
}

TEST_F(TransferRunnerTest, NoPcMeansANetworkError)
{
    ASSERT_TRUE(m_runner.start(pcFile(link::testing::closedLoopbackPort(), "a.txt", 10), kActivitySaveFile));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(*m_outcome, TransferOutcome::OpenFailed);
    EXPECT_EQ(m_progress.lines.back(), "close");
    EXPECT_EQ(m_ui.lastText(), "잘못된 주소이거나 네트워크 에러입니다.");
}

TEST_F(TransferRunnerTest, NoConnectionIsToldAsSuch)
{
    TransferRequest request { 0, TransferKind::WebFile, "http://nowhere.invalid/a.html", "a.html" };
    ASSERT_TRUE(m_runner.start(request, kActivitySaveWebPage));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(*m_outcome, TransferOutcome::NoConnection);
    EXPECT_EQ(m_ui.lastText(), "현재 인터넷연결이 되어 있지 않습니다.");
}

TEST_F(TransferRunnerTest, RequestMayNameItsFileItsBarAndItsEnd)
{
    // A mail's content: its own file, the list page's bar, no message.
    link::testing::OneShotHttpServer web(200, "mail body");
    RecordingProgress bar;
    std::optional<TransferOutcome> told;
    TransferRequest request { 0, TransferKind::MailContent, "127.0.0.1:" + std::to_string(web.port()) + "/m", "m" };
    request.destination = m_root / "mail" / "m";
    std::filesystem::create_directories(request.destination.parent_path());
    request.progress = &bar;
    request.done = [&](TransferOutcome outcome) { told = outcome; };
    ASSERT_TRUE(m_runner.start(request, "메일 내용 다운중"));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(told, TransferOutcome::Saved);
    EXPECT_EQ(readFile(request.destination), "mail body");
    EXPECT_EQ(bar.lines.back(), "close");
    EXPECT_TRUE(m_progress.lines.empty());
    EXPECT_EQ(m_ui.callCount(), 0u);
}

TEST_F(TransferRunnerTest, PcFileCutAtTheLimitIsAFailureAndLeavesNoFile)
{
    // The PC answered a size within the limit, then sent more than the
    // limit: what arrived is not the file, and is not kept.
    testing::FileWebServer web({ { "/pda_Download/big.bin", { 200, std::string(5000, 'b') } } }, 1);
    ASSERT_TRUE(m_runner.start(pcFile(web.port(), "big.bin", 1000, 1024), kActivitySaveFile));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(*m_outcome, TransferOutcome::TooLarge);
    EXPECT_FALSE(std::filesystem::exists(m_runner.destinationOf(pcFile(0, "big.bin", 0))));
    EXPECT_EQ(m_ui.lastText(), "데이터 크기가 설정해 놓으신 크기보다 큽니다.\n\n전송 가능한 파일 크기 : 1K 이하");
    EXPECT_EQ(m_ui.calls().back().icon, platform::Icon::Warning);

    // Exactly the limit is a whole file.
    m_outcome.reset();
    testing::FileWebServer exact({ { "/pda_Download/fits.bin", { 200, std::string(1024, 'f') } } }, 1);
    ASSERT_TRUE(m_runner.start(pcFile(exact.port(), "fits.bin", 1024, 1024), kActivitySaveFile));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(*m_outcome, TransferOutcome::Saved);
    EXPECT_EQ(readFile(m_runner.destinationOf(pcFile(0, "fits.bin", 0))).size(), 1024u);
}

TEST_F(TransferRunnerTest, RefusesFileUrlsAndUnsafeNames)
{
    ASSERT_FALSE(m_runner.start({ 0, TransferKind::WebFile, "file:///etc/passwd", "passwd", 0 }, kActivitySaveWebPage));
    EXPECT_EQ(m_ui.lastText(), "이 페이지는 저장할 수 없거나 잘못된 주소입니다.");
    EXPECT_EQ(m_progress.lines.back(), "close");
    EXPECT_FALSE(m_runner.isRunning());
}

TEST_F(TransferRunnerTest, NamesFromThePcAreSavedAsOneSafeComponent)
{
    // "..", a path of the PC's own and a control byte all land inside the
    // download folder, under the one safe-name rule.
    const std::pair<const char*, const char*> cases[] = {
        { "..", "_" },
        { "..\\..\\etc\\passwd", "passwd" },
        { "a\tb.txt", "a_b.txt" },
    };
    const auto folder = m_device.toLocal(m_settings.saveFilePath);
    for (const auto& [name, saved] : cases) {
        SCOPED_TRACE(name);
        m_outcome.reset();
        testing::FileWebServer web({ { "/pda_Download/x", { 200, "body" } } }, 1);
        auto request = pcFile(web.port(), "x", 4, 1000 * 1024);
        request.title = name;
        ASSERT_TRUE(m_runner.start(request, kActivitySaveFile));
        ASSERT_TRUE(runToEnd());
        EXPECT_EQ(*m_outcome, TransferOutcome::Saved);
        EXPECT_EQ(readFile(folder / saved), "body");
    }
    EXPECT_FALSE(std::filesystem::exists(folder.parent_path() / "passwd"));
}

TEST_F(TransferRunnerTest, CancelStopsWithoutMessageAndKeepsNoPartialFile)
{
    // A peer that sends part of the body and then waits.
    link::testing::LoopbackListener slow;
    std::thread peer([&] {
        int fd = slow.accept();
        link::testing::receiveExactly(fd, 1); // Part of the request is enough.
        link::testing::sendAll(fd, "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(2048, 's'));
        link::testing::receiveExactly(fd, 100000); // Until the handheld hangs up.
        ::close(fd);
    });
    ASSERT_TRUE(m_runner.start(pcFile(slow.port(), "slow.bin", 100000, 0), kActivitySaveFile));
    ASSERT_TRUE(runUntil([&] { return m_progress.done != "받은사이즈 : 0 B" && !m_progress.done.empty(); }));
    m_runner.cancel();
    EXPECT_FALSE(m_runner.isRunning());
    ASSERT_TRUE(runToEnd());
    peer.join();
    EXPECT_EQ(*m_outcome, TransferOutcome::Cancelled);
    EXPECT_EQ(m_ui.callCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(m_runner.destinationOf(pcFile(0, "slow.bin", 0))));
}

} // namespace
} // namespace pocket::mypc
