#include "pocket/mypc/transfer_progress_text.h"

#include <gtest/gtest.h>

namespace pocket::mypc {
namespace {

using platform::Ticks;

TEST(TransferProgressText, SizesInBinaryUnitsCutToOneDecimal)
{
    struct Case {
        std::int64_t bytes;
        const char* expected;
    };
    const Case cases[] = {
        { 0, "0 B" },
        { 1023, "1023 B" },
        { 1024, "1.0 KB" },
        { 1300, "1.2 KB" },
        { 1024 * 1024 - 1, "1023.9 KB" }, // Never "1024.0 KB".
        { 1024 * 1024, "1.0 MB" },
        { 2000000, "1.9 MB" },
        { 301 * 1024 * 1024LL, "301.0 MB" },
        { 3LL * 1024 * 1024 * 1024, "3.0 GB" },
        { -5, "0 B" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(sizeText(c.bytes), c.expected);
    }
    EXPECT_EQ(speedText(120 * 1024), "120.0 KB/s");
}

TEST(TransferProgressText, TimeLeftInSecondsMinutesAndHours)
{
    EXPECT_EQ(timeLeftText(0), "0초");
    EXPECT_EQ(timeLeftText(59), "59초");
    EXPECT_EQ(timeLeftText(60), "1분 00초");
    EXPECT_EQ(timeLeftText(125), "2분 05초");
    EXPECT_EQ(timeLeftText(3600 + 3 * 60 + 59), "1시간 03분");
}

TEST(TransferProgressText, DialogLinesKeepTheirLabels)
{
    EXPECT_EQ(totalLine(0), "전체사이즈 : 알수없음");
    EXPECT_EQ(totalLine(2000000), "전체사이즈 : 1.9 MB");
    EXPECT_EQ(doneLine(TransferDirection::Received, 512), "받은사이즈 : 512 B");
    EXPECT_EQ(doneLine(TransferDirection::Sent, 2048), "보낸사이즈 : 2.0 KB");
    EXPECT_EQ(sizeAgainstLimit(2000000, 1000 * 1024), "파일 크기 : 1.9 MB\n전송 가능한 파일 크기 : 1000K 이하");
    EXPECT_EQ(sizeAgainstLimit(0, 50 * 1024), "전송 가능한 파일 크기 : 50K 이하");
}

TEST(TransferMeter, TellsNothingBeforeTheFirstReading)
{
    TransferMeter meter;
    meter.start(Ticks(1000), 10000);
    meter.update(5000, Ticks(1499));
    EXPECT_FALSE(meter.bytesPerSecond());
    EXPECT_EQ(meter.rateLine(), "");
    meter.update(5000, Ticks(1500));
    EXPECT_EQ(meter.rateLine(), "속도 : 9.7 KB/s, 남은 시간 : 1초");
}

TEST(TransferMeter, SpeedFollowsTheLastFewSecondsAndGivesTimeLeft)
{
    TransferMeter meter;
    meter.start(Ticks(0), 100 * 1024 * 1024LL);
    // Ten seconds at 1 MB/s, then five at 100 KB/s: the window forgets the fast part.
    for (int s = 1; s <= 10; ++s)
        meter.update(s * 1024 * 1024LL, Ticks(s * 1000));
    EXPECT_DOUBLE_EQ(*meter.bytesPerSecond(), 1024 * 1024.0);
    EXPECT_EQ(*meter.secondsLeft(), 90);
    for (int s = 1; s <= 5; ++s)
        meter.update(10 * 1024 * 1024LL + s * 100 * 1024, Ticks((10 + s) * 1000));
    EXPECT_DOUBLE_EQ(*meter.bytesPerSecond(), 100 * 1024.0);
    EXPECT_EQ(meter.rateLine(), "속도 : 100.0 KB/s, 남은 시간 : 15분 17초");
}

TEST(TransferMeter, AResumedTransferCountsOnlyWhatMovesNow)
{
    EXPECT_EQ(resumedLine(TransferDirection::Received, 90 * 1024 * 1024LL), "이어받기 : 90.0 MB부터");
    EXPECT_EQ(resumedLine(TransferDirection::Sent, 1536), "이어보내기 : 1.5 KB부터");
    TransferMeter meter;
    meter.start(Ticks(0), 100 * 1024 * 1024LL, 90 * 1024 * 1024LL);
    meter.update(91 * 1024 * 1024LL, Ticks(1000));
    EXPECT_DOUBLE_EQ(*meter.bytesPerSecond(), 1024 * 1024.0);
    EXPECT_EQ(meter.rateLine(), "속도 : 1.0 MB/s, 남은 시간 : 9초");
}

TEST(TransferMeter, UnknownSizeOrStallGivesNoTimeLeft)
{
    TransferMeter unknown;
    unknown.start(Ticks(0), 0);
    unknown.update(4096, Ticks(1000));
    EXPECT_EQ(unknown.rateLine(), "속도 : 4.0 KB/s");

    TransferMeter stalled;
    stalled.start(Ticks(0), 4096);
    stalled.update(0, Ticks(2000));
    EXPECT_FALSE(stalled.secondsLeft());
    EXPECT_EQ(stalled.rateLine(), "속도 : 0 B/s");
}

} // namespace
} // namespace pocket::mypc
