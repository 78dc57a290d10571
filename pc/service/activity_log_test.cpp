// The PC's log tells what the handheld did: a real service on loopback, a
// scripted handheld, and the log lines each action leaves.

#include "pc/service/activity_log.h"

#include "pc/service/testing/service_fixture.h"

namespace pc::service::testing {
namespace {

TEST(FormatSize, UnitsGrowWithTheSize)
{
    EXPECT_EQ(formatSize(0), "0 바이트");
    EXPECT_EQ(formatSize(1023), "1023 바이트");
    EXPECT_EQ(formatSize(1024), "1.0 KB");
    EXPECT_EQ(formatSize(2500), "2.4 KB");
    EXPECT_EQ(formatSize(300ull * 1024 * 1024), "300.0 MB");
    EXPECT_EQ(formatSize(3ull * 1024 * 1024 * 1024 / 2), "1.5 GB");
}

class ActivityLogTest : public ServiceFixture {
protected:
    void SetUp() override
    {
        service->start();
        handheld = loggedInHandheld();
        log.entries.clear();
    }

    std::optional<proto::PcAnswer> request(std::int32_t code, const std::string& text, std::int32_t first = 0)
    {
        return ask(*handheld, { first, code, text });
    }

    std::unique_ptr<ScriptedHandheld> handheld;
};

TEST_F(ActivityLogTest, DownloadsSearchesAndViewsEachLeaveALine)
{
    writeFile(disk() / "docs/report.txt", std::string(2500, 'r'));
    ASSERT_TRUE(request(323, "C:\\docs\\report.txt"));
    ASSERT_TRUE(request(323, "C:\\docs\\missing.txt"));
    ASSERT_TRUE(request(308, "C:\\docs\\report.txt"));
    ASSERT_TRUE(request(307, "0\n10\nC:\\docs\n\nreport"));
    ASSERT_TRUE(request(303, "C:\\docs\\report.txt"));
    ASSERT_TRUE(request(303, "C:\\docs\\paper.pdf"));
    EXPECT_EQ(log.entries, (std::vector<std::string> {
                               "파일 다운로드: C:\\docs\\report.txt (2.4 KB)\n",
                               "파일 다운로드 실패: C:\\docs\\missing.txt - 파일을 열 수 없습니다\n",
                               "파일 다운로드: C:\\docs\\report.txt (2.4 KB)\n",
                               "파일 검색: \"report\" (C:\\docs\\) - 1개\n",
                               "문서 보기: C:\\docs\\report.txt\n",
                               "문서 보기 실패: C:\\docs\\paper.pdf\n",
                           }));
}

TEST_F(ActivityLogTest, UploadsAreLoggedWhenTheyEndHoweverTheyEnd)
{
    auto upload = ScriptedUpload::connect(service->uploadPort());
    ASSERT_TRUE(upload);
    ASSERT_TRUE(pumpUntil([&] { return service->uploadConnectionCount() > 0; }));
    ASSERT_TRUE(request(309, "3\nnote.txt\nowner"));
    upload->sendBlock("abc");
    ASSERT_TRUE(pumpUntil([&] { return upload->pump(), upload->acks().size() == 1; }));
    upload->sendBlock("FILE_SEND_COMPLETE");
    ASSERT_TRUE(awaitAnswer(*handheld));

    ASSERT_TRUE(request(309, "5000\nbig.bin\nowner"));
    upload->sendBlock("12345");
    ASSERT_TRUE(pumpUntil([&] { return upload->pump(), upload->acks().size() == 2; }));
    upload->close(); // Broken off.
    ASSERT_TRUE(pumpUntil([&] { return log.entries.size() >= 2; }));

    ASSERT_TRUE(request(309, "10\nlater.txt\nowner"));
    handheld->send({ 0, 309, "0xffff_f" });
    ASSERT_TRUE(pumpUntil([&] { return log.entries.size() >= 3; }));
    EXPECT_EQ(log.entries, (std::vector<std::string> {
                               "파일 업로드: note.txt (3 바이트)\n",
                               "파일 업로드 중단: big.bin (5 바이트 / 4.9 KB)\n",
                               "파일 업로드 취소: later.txt\n",
                           }));
}

} // namespace
} // namespace pc::service::testing
