#include "pocket/mypc/mypc_download.h"

#include "pocket/mypc/mypc_busy.h"
#include "pocket/mypc/mypc_test_peer.h"
#include "pocket/mypc/mypc_transfer.h"

#include <gtest/gtest.h>

namespace pocket::mypc {
namespace {

TEST(ParseDownloadAnswer, SplitsPathAndName)
{
    auto answer = parseDownloadAnswer("C:\\docs\\a b.txt[_F_I_]a b.txt");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->pcPath, "C:\\docs\\a b.txt");
    EXPECT_EQ(answer->name, "a b.txt");
    EXPECT_FALSE(parseDownloadAnswer("C:\\docs\\a.txt"));
    EXPECT_FALSE(parseDownloadAnswer("C:\\docs\\[_F_I_]"));
}

class NullProgress final : public ProgressView {
public:
    void openProgress(const std::string&) override { ++opened; }
    void setTotalLine(const std::string& text) override { total = text; }
    void setDoneLine(const std::string&) override { }
    void setBar(int) override { }
    void closeProgress() override { }
    int opened = 0;
    std::string total;
};

class MyPcDownloadTest : public testing::MyPcFixture {
protected:
    void SetUp() override
    {
        m_settings.maxFileSizeKb = 1000;
        connect();
        m_runner.setFinishedHandler([this](TransferOutcome outcome) { m_outcome = outcome; });
    }

    // Asks for the file (agreeing) and checks the request.
    void request(const std::string& pcPath)
    {
        m_ui.pushAnswer(platform::Answer::Ok);
        ASSERT_TRUE(m_download.request(pcPath));
        EXPECT_EQ(nextRequest(), "0 323 " + pcPath);
        EXPECT_TRUE(m_busy.isBusy());
    }
    void answerAndHandle(int first, const std::string& text)
    {
        answer(first, 323, text);
        ASSERT_TRUE(runUntil([&] { return !m_download.isWaiting(); }));
    }

    MyPcBusy m_busy { m_ui };
    NullProgress m_progress;
    TransferRunner m_runner { m_loop, m_ui, m_settings, m_device, m_progress };
    MyPcDownload m_download { m_link, m_settings, m_ui, m_busy, m_runner };
    std::optional<TransferOutcome> m_outcome;
};

TEST_F(MyPcDownloadTest, FetchesThePreparedFile)
{
    testing::FileWebServer web({ { "/pda_Download/%EB%B3%B4%EA%B3%A0%20a.txt", { 200, "0123456789" } } }, 1);
    m_settings.pcWebPort = web.port();
    request("C:\\docs\\보고 a.txt");
    EXPECT_EQ(m_ui.calls().front().text, "\"C:\\docs\\보고 a.txt\" 을 받으시겠습니까?");
    answerAndHandle(10, "C:\\docs\\보고 a.txt[_F_I_]보고 a.txt");
    EXPECT_FALSE(m_busy.isBusy());
    ASSERT_TRUE(runUntil([&] { return m_outcome.has_value(); }));
    EXPECT_EQ(*m_outcome, TransferOutcome::Saved);
    EXPECT_EQ(m_progress.total, "전체사이즈 : 10 B");
    EXPECT_EQ(readFile(m_device.toLocal(m_settings.saveFilePath) / "보고 a.txt"), "0123456789");
    EXPECT_EQ(m_ui.lastText(), "파일다운로드 폴더에 저장되었습니다.\n\n\\Program Files\\Quillon\\받은파일\\보고 a.txt");
}

TEST_F(MyPcDownloadTest, RefusedAnswersStartNothing)
{
    struct Case {
        int first;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        { 0, "", "이파일은 현재 사용중이거나 다른 이유로 다운로드 받으실 수 없습니다." },
        { 0, "C:\\e.txt[_F_I_]e.txt", "이파일은 사이즈가 0인 파일입니다." },
        { 5, "no marker", "이파일은 현재 사용중이거나 다른 이유로 다운로드 받으실 수 없습니다." },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        request("C:\\e.txt");
        answerAndHandle(c.first, c.text);
        EXPECT_EQ(m_ui.lastText(), c.message);
        EXPECT_FALSE(m_busy.isBusy());
        EXPECT_FALSE(m_runner.isRunning());
        EXPECT_EQ(m_progress.opened, 0);
    }
}

TEST_F(MyPcDownloadTest, LargeFileAsksFirst)
{
    request("C:\\big.iso");
    // 2 000 000 bytes against the limit of 1000 KB: the user declines.
    m_ui.pushAnswer(platform::Answer::Cancel);
    answerAndHandle(2000000, "C:\\big.iso[_F_I_]big.iso");
    EXPECT_EQ(m_ui.lastText(),
        "데이터 크기가 설정해 놓으신 크기보다 큽니다. 받으시겠습니까?\n\n파일 크기 : 1.9 MB\n전송 가능한 파일 크기 : 1000K 이하");
    EXPECT_FALSE(m_runner.isRunning());
    EXPECT_FALSE(m_busy.isBusy());
}

TEST_F(MyPcDownloadTest, RefusalsBeforeTheRequest)
{
    EXPECT_FALSE(m_download.request(""));
    EXPECT_FALSE(m_download.request("\\server\\x"));
    EXPECT_EQ(m_ui.callCount(), 0u);
    m_ui.pushAnswer(platform::Answer::Cancel);
    EXPECT_FALSE(m_download.request("C:\\a.txt"));
    m_busy.set();
    EXPECT_FALSE(m_download.request("C:\\a.txt"));
    EXPECT_EQ(m_ui.lastText(), "현재 다른 명령을 수행중입니다. 잠시만 기다려주세요.");
    EXPECT_FALSE(link::testing::isReadable(m_peer));
}

TEST_F(MyPcDownloadTest, StrayAnswerIsIgnored)
{
    answer(10, 323, "C:\\a.txt[_F_I_]a.txt");
    runUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(m_ui.callCount(), 0u);
    EXPECT_FALSE(m_runner.isRunning());
}

} // namespace
} // namespace pocket::mypc
