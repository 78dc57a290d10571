#include "pocket/mypc/mypc_upload.h"

#include "pocket/mypc/mypc_busy.h"
#include "pocket/mypc/mypc_test_peer.h"
#include "pocket/mypc/mypc_transfer.h"
#include "proto/upload_block.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

namespace pocket::mypc {
namespace {

class RecordingProgress final : public ProgressView {
public:
    void openProgress(const std::string& title) override { lines.push_back("open " + title); }
    void setTotalLine(const std::string& text) override { lines.push_back(text); }
    void setDoneLine(const std::string& text) override { done = text; }
    void setRateLine(const std::string& text) override { rate = text; }
    void setBar(int percent) override { bar = percent; }
    void closeProgress() override { lines.push_back("close"); }

    std::vector<std::string> lines;
    std::string done;
    std::string rate;
    int bar = -1;
};

std::string ack(std::int32_t total)
{
    auto block = proto::formatUploadAck(total);
    return std::string(block.data(), block.size());
}

class MyPcUploadTest : public testing::MyPcFixture {
protected:
    void SetUp() override
    {
        m_settings.pcUploadPort = m_uploadPort.port();
        connect();
    }
    ~MyPcUploadTest() override
    {
        if (m_up >= 0)
            ::close(m_up);
    }

    // Starts the upload of a handheld file and accepts its upload connection.
    void startUpload(const std::string& content, int purpose = kUploadPlainFile)
    {
        writeDeviceFile("\\My Documents\\a.bin", content);
        ASSERT_TRUE(m_upload.start("PDA\\My Documents\\a.bin", purpose));
        m_up = m_uploadPort.accept();
        ASSERT_GE(m_up, 0);
        EXPECT_EQ(nextRequest(),
            std::to_string(purpose) + " 309 " + std::to_string(content.size()) + "\na.bin\nowner");
        EXPECT_TRUE(m_busy.isBusy());
    }
    // What the handheld sends next on the upload connection.
    std::string takeBlock(std::size_t size)
    {
        if (!runUntil([&] { return link::testing::isReadable(m_up); }))
            return "(nothing)";
        return link::testing::receiveExactly(m_up, size);
    }
    bool upConnectionClosed()
    {
        if (!runUntil([&] { return link::testing::isReadable(m_up); }))
            return false;
        char byte;
        return ::recv(m_up, &byte, 1, 0) == 0;
    }

    link::testing::LoopbackListener m_uploadPort;
    RecordingProgress m_progress;
    MyPcBusy m_busy { m_ui };
    MyPcUpload m_upload { m_loop, m_ui, m_link, m_settings, m_device, m_busy, m_progress };
    int m_up = -1;
};

TEST_F(MyPcUploadTest, SendsEachBlockAfterTheAcknowledgementAndEndsWithTheMarker)
{
    std::string content(2500, 'q');
    startUpload(content);
    EXPECT_EQ(m_upload.state(), MyPcUpload::State::Requested);
    answer(0, 309, "");
    EXPECT_EQ(takeBlock(1024), content.substr(0, 1024));
    EXPECT_FALSE(m_busy.isBusy());
    EXPECT_EQ(m_progress.done, "보낸사이즈 : 1.0 KB");
    EXPECT_EQ(m_progress.bar, 40);
    // Nothing more until the PC acknowledges.
    EXPECT_FALSE(runUntil([&] { return link::testing::isReadable(m_up); }, std::chrono::milliseconds(50)));
    EXPECT_EQ(m_progress.rate, "");
    // A second later the speed and time left are known.
    m_clock.advance(std::chrono::milliseconds(1000));
    link::testing::sendAll(m_up, ack(1024));
    EXPECT_EQ(takeBlock(1024), content.substr(1024, 1024));
    EXPECT_EQ(m_progress.done, "보낸사이즈 : 2.0 KB");
    EXPECT_EQ(m_progress.rate, "속도 : 2.0 KB/s, 남은 시간 : 1초");
    link::testing::sendAll(m_up, ack(2048));
    EXPECT_EQ(takeBlock(452), content.substr(2048));
    link::testing::sendAll(m_up, ack(2500));
    EXPECT_EQ(takeBlock(18), "FILE_SEND_COMPLETE");
    EXPECT_EQ(m_upload.state(), MyPcUpload::State::Finishing);

    answer(1, 309, "", "C:\\Quillon\\pda_Upload\\a.bin");
    ASSERT_TRUE(runUntil([&] { return !m_upload.isRunning(); }));
    EXPECT_EQ(m_ui.lastText(), "pc에 파일 upload를 완료하였습니다!\n\nPC 저장 위치 : C:\\Quillon\\pda_Upload\\a.bin");
    EXPECT_EQ(m_progress.lines, (std::vector<std::string> { "open a.bin", "전체사이즈 : 2.4 KB", "close" }));
    EXPECT_TRUE(upConnectionClosed());
}

TEST_F(MyPcUploadTest, PcThatNeverAcknowledgesEndsTheUploadAfterSixtySeconds)
{
    std::string content(3000, 'q');
    startUpload(content);
    answer(0, 309, "");
    EXPECT_EQ(takeBlock(1024), content.substr(0, 1024));
    // The PC keeps silent: nothing happens a millisecond early ...
    m_clock.advance(std::chrono::milliseconds(MyPcUpload::kAnswerTimeoutMs - 1));
    m_loop.processPending();
    EXPECT_EQ(m_upload.state(), MyPcUpload::State::Sending);
    // ... and at sixty seconds the upload ends with a message.
    m_clock.advance(std::chrono::milliseconds(1));
    ASSERT_TRUE(runUntil([&] { return !m_upload.isRunning(); }));
    EXPECT_EQ(m_ui.lastText(), "[MYPC]파일 전송 - TIME OUT(timeout val: 60초) \n다시 시도해주십시오.");
    EXPECT_EQ(m_progress.lines.back(), "close");
    EXPECT_TRUE(upConnectionClosed());
    EXPECT_FALSE(m_busy.isBusy());

    // Nothing stays refused: the next upload starts.
    ::close(m_up);
    m_up = -1;
    startUpload("next");
    EXPECT_EQ(m_upload.state(), MyPcUpload::State::Requested);
}

TEST_F(MyPcUploadTest, PcThatNeverAnswersTheAnnouncementFreesTheBusyFlag)
{
    startUpload("abc");
    m_clock.advance(std::chrono::milliseconds(MyPcUpload::kAnswerTimeoutMs));
    ASSERT_TRUE(runUntil([&] { return !m_upload.isRunning(); }));
    EXPECT_FALSE(m_busy.isBusy());
    EXPECT_EQ(m_ui.lastText(), "[MYPC]파일 전송 - TIME OUT(timeout val: 60초) \n다시 시도해주십시오.");
}

TEST_F(MyPcUploadTest, EmptyFileSendsOnlyTheMarker)
{
    startUpload("");
    answer(0, 309, "");
    EXPECT_EQ(takeBlock(18), "FILE_SEND_COMPLETE");
}

TEST_F(MyPcUploadTest, EndAnswersCloseTheUploadWithTheirMessages)
{
    struct Case {
        int first;
        const char* text;
    };
    const Case cases[] = {
        { 7, "pc에 같은 이름의 파일이 사용중이므로 파일생성에 실패 하였습니다." },
        { 4, "현재 파일 전송중이므로\n첨부파일은 전송하실 수 없습니다. 나중에 다시 시도해주세요." },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        startUpload("abc", kUploadMailAttachment);
        answer(2, 309, ""); // Carries nothing: ignored.
        answer(c.first, 309, "");
        ASSERT_TRUE(runUntil([&] { return !m_upload.isRunning(); }));
        EXPECT_EQ(m_ui.lastText(), c.text);
        EXPECT_FALSE(m_busy.isBusy());
        EXPECT_TRUE(upConnectionClosed());
        ::close(m_up);
        m_up = -1;
    }
}

TEST_F(MyPcUploadTest, RefusesWhatCannotBeSent)
{
    EXPECT_FALSE(m_upload.start("C:\\docs\\a.txt"));
    EXPECT_EQ(m_ui.lastText(), "PDA 파일을 선택해 주십시오.");

    EXPECT_FALSE(m_upload.start("PDA\\My Documents\\missing.txt"));
    EXPECT_EQ(m_ui.lastText(), "해당 파일을 찾지 못하였습니다.");
    int up = m_uploadPort.accept();
    ASSERT_GE(up, 0);
    EXPECT_EQ(link::testing::receiveExactly(up, 1), ""); // Closed again.
    ::close(up);

    EXPECT_FALSE(m_upload.start("PDA"));
    EXPECT_EQ(m_ui.lastText(), "파일없음");
    ::close(m_uploadPort.accept());
    EXPECT_FALSE(m_upload.isRunning());
}

TEST_F(MyPcUploadTest, NoUploadPortShowsBothMessages)
{
    m_settings.pcUploadPort = link::testing::closedLoopbackPort();
    writeDeviceFile("\\a.txt", "x");
    EXPECT_FALSE(m_upload.start("PDA\\a.txt"));
    auto calls = m_ui.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].text, "Failed to connect");
    EXPECT_EQ(calls[1].text, "파일 전송을 할수가 없습니다. 인터넷이 가능한지 확인해 주십시오.");
}

TEST_F(MyPcUploadTest, BusyWhileTheAnnouncementWaits)
{
    startUpload("abc");
    EXPECT_FALSE(m_upload.start("PDA\\My Documents\\a.bin"));
    EXPECT_EQ(m_ui.lastText(), "현재 다른 명령을 수행중입니다. 잠시만 기다려주세요.");
}

TEST_F(MyPcUploadTest, PcClosingTheUploadConnectionEndsTheUpload)
{
    startUpload(std::string(3000, 'z'));
    answer(0, 309, "");
    EXPECT_EQ(takeBlock(1024).size(), 1024u);
    // The announcement is answered, but the upload still runs.
    EXPECT_FALSE(m_upload.start("PDA\\My Documents\\a.bin"));
    EXPECT_EQ(m_ui.lastText(), "현재 다른 명령을 수행중입니다. 잠시만 기다려주세요.");
    ::close(m_up);
    m_up = -1;
    ASSERT_TRUE(runUntil([&] { return !m_upload.isRunning(); }));
    EXPECT_EQ(m_progress.bar, 100);
    EXPECT_EQ(m_progress.lines.back(), "close");
}

TEST_F(MyPcUploadTest, LostCommandConnectionEndsTheUpload)
{
    startUpload("abc");
    ::close(m_peer);
    m_peer = -1;
    ASSERT_TRUE(runUntil([&] { return !m_upload.isRunning(); }));
    EXPECT_FALSE(m_busy.isBusy());
    EXPECT_TRUE(upConnectionClosed());
}

} // namespace
} // namespace pocket::mypc
