#include "pocket/device/title_band.h"

#include "platform/poll_event_loop.h"
#include "platform/testing/manual_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace pocket::device {
namespace {

    using namespace std::chrono;

    TEST(ClockText, TwelveHourClockWithPaddedMinute)
    {
        struct Case {
            int hour, minute;
            std::string_view text;
        };
        const Case cases[] = {
            { 13, 5, "오후 1:05" },
            { 9, 30, "오전 9:30" },
            { 12, 0, "오후 12:00" },
            { 0, 7, "오전 0:07" },
            { 11, 59, "오전 11:59" },
            { 23, 10, "오후 11:10" },
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.text);
            EXPECT_EQ(clockText(c.hour, c.minute), c.text);
        }
    }

    class FakeTaskBar final : public TaskBar {
    public:
        std::optional<Rect> clientArea() override { return area; }
        void hideForForeground() override { ++hides; }
        void tap(int x, int y) override { taps.push_back({ x, y }); }
        std::optional<Rect> area;
        int hides = 0;
        std::vector<std::pair<int, int>> taps;
    };

    class FakeBandView final : public TitleBandView {
    public:
        void place(const Rect& r) override { placed = r; }
        void show() override { ++shows; }
        void drawClock(const std::string& text) override { clocks.push_back(text); }
        std::optional<Rect> placed;
        int shows = 0;
        std::vector<std::string> clocks;
    };

    class TitleBandTest : public ::testing::Test {
    protected:
        static void SetUpTestSuite()
        {
            ::setenv("TZ", "UTC", 1);
            ::tzset();
        }
        platform::testing::ManualClock m_clock { platform::WallTime {
            sys_days { year { 2026 } / 1 / 1 } + hours(13) + minutes(4) } };
        platform::PollEventLoop m_loop { m_clock };
        FakeTaskBar m_taskBar;
        FakeBandView m_view;
        TitleBand m_band { m_view, m_taskBar, m_loop, m_clock };
    };

    TEST_F(TitleBandTest, CoversTheTaskBarAndRedrawsEveryFiveSeconds)
    {
        m_taskBar.area = Rect { 0, 0, 240, 26 };
        m_band.create();
        EXPECT_EQ(m_view.placed, (Rect { 0, 0, 240, 26 }));
        m_clock.advance(milliseconds(4999));
        EXPECT_TRUE(m_view.clocks.empty());
        m_clock.advance(seconds(61));
        ASSERT_EQ(m_view.clocks.size(), 13u);
        EXPECT_EQ(m_view.clocks.front(), "오후 1:04");
        EXPECT_EQ(m_view.clocks.back(), "오후 1:05");
    }

    TEST_F(TitleBandTest, MissingTaskBarLeavesTheBandWhereItIs)
    {
        m_band.create();
        EXPECT_FALSE(m_view.placed);
    }

    TEST_F(TitleBandTest, ActivationHidesTheTaskBarAndShowsTheClock)
    {
        m_band.onActivated();
        EXPECT_EQ(m_taskBar.hides, 1);
        EXPECT_EQ(m_view.shows, 1);
        EXPECT_EQ(m_view.clocks, std::vector<std::string> { "오후 1:04" });
    }

    TEST_F(TitleBandTest, OnlyTapsOnTheStartButtonPlaceReachTheTaskBar)
    {
        EXPECT_TRUE(m_band.onTap(26, 26));
        EXPECT_TRUE(m_band.onTap(0, 0));
        EXPECT_FALSE(m_band.onTap(27, 5));
        EXPECT_FALSE(m_band.onTap(5, 27));
        EXPECT_EQ(m_taskBar.taps, (std::vector<std::pair<int, int>> { { 4, 20 }, { 4, 20 } }));
    }

} // namespace
} // namespace pocket::device
