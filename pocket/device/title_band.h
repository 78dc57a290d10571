#pragma once

// File: pocket/device/title_band.h
// The program's own title band: a borderless band over the device's task
// bar that shows a picture (bitmap 262) with the time drawn over it, hides
// the task bar while the program is in front, and passes a tap on the start
// button's place on to the task bar. Toolkit-free: the window implements
// TitleBandView, and the handheld frame implements TaskBar. The clock is
// redrawn every 5 seconds from the injected Clock. Window thread only.

#include "platform/clock.h"
#include "platform/event_loop.h"

#include <optional>
#include <string>

namespace pocket::device {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// How the clock is drawn: white, transparent background, a 12-pixel font of
// weight 800, centred on one line inside kClockRect.
struct ClockLook {
    static constexpr Rect kClockRect { 175, 0, 240, 26 };
    static constexpr int kFontHeight = 12;
    static constexpr int kFontWeight = 800;
    static constexpr unsigned kColour = 0xFFFFFF;
};

constexpr int kTitleBitmap = 262;

// "오전 9:30", "오후 1:05": the hour on a 12-hour clock (hours above 12 less
// 12, so midnight reads 0 and noon 12) and the minute with a leading zero.
std::string clockText(int hour, int minute);

// The device's task bar (its window class is "HHTaskBar").
class TaskBar {
public:
    virtual ~TaskBar() = default;
    // The task bar's client area in screen coordinates; nothing when the
    // task bar window is missing.
    virtual std::optional<Rect> clientArea() = 0;
    virtual void hideForForeground() = 0;
    // A tap at the task bar's own coordinates.
    virtual void tap(int x, int y) = 0;
};

class TitleBandView {
public:
    virtual ~TitleBandView() = default;
    // Places the band and its picture over this screen rectangle.
    virtual void place(const Rect& area) = 0;
    virtual void show() = 0;
    virtual void drawClock(const std::string& text) = 0;
    // The PC link's state beside the program's name.
    virtual void drawLinkState(const std::string&) { }
};

class TitleBand final : public platform::MessageTarget {
public:
    static constexpr int kClockTimer = 1;
    static constexpr unsigned kClockIntervalMs = 5000;
    // A tap this close to the top-left corner is meant for the start button.
    static constexpr int kStartButtonReach = 26;
    static constexpr int kStartTapX = 4;
    static constexpr int kStartTapY = 20;

    TitleBand(TitleBandView& view, TaskBar& taskBar, platform::EventLoop& loop, platform::Clock& clock);
    ~TitleBand() override;

    // Places the band over the task bar (a missing task bar leaves it where
    // it is) and starts the clock timer.
    void create();
    // The program's windows became active.
    void onActivated();
    // A tap on the band, in screen coordinates; true when it went to the task bar.
    bool onTap(int screenX, int screenY);
    void updateClock();

    void onTimer(int id) override;

private:
    TitleBandView& m_view;
    TaskBar& m_taskBar;
    platform::EventLoop& m_loop;
    platform::Clock& m_clock;
};

} // namespace pocket::device
