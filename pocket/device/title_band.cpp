#include "pocket/device/title_band.h"

namespace pocket::device {

std::string clockText(int hour, int minute)
{
    std::string text = hour < 12 ? "오전 " : "오후 ";
    text += std::to_string(hour > 12 ? hour - 12 : hour);
    text += ':';
    if (minute < 10)
        text += '0';
    text += std::to_string(minute);
    return text;
}

TitleBand::TitleBand(TitleBandView& view, TaskBar& taskBar, platform::EventLoop& loop, platform::Clock& clock)
    : m_view(view)
    , m_taskBar(taskBar)
    , m_loop(loop)
    , m_clock(clock)
{
}

TitleBand::~TitleBand()
{
    m_loop.killTimer(*this, kClockTimer);
}

void TitleBand::create()
{
    if (auto area = m_taskBar.clientArea())
        m_view.place(*area);
    m_loop.setTimer(*this, kClockTimer, kClockIntervalMs);
}

void TitleBand::onActivated()
{
    m_taskBar.hideForForeground();
    m_view.show();
    updateClock();
}

bool TitleBand::onTap(int screenX, int screenY)
{
    if (screenX > kStartButtonReach || screenY > kStartButtonReach)
        return false;
    m_taskBar.tap(kStartTapX, kStartTapY);
    return true;
}

void TitleBand::updateClock()
{
    auto local = platform::toLocalTime(m_clock.now());
    m_view.drawClock(clockText(local.hour, local.minute));
}

void TitleBand::onTimer(int id)
{
    if (id == kClockTimer)
        updateClock();
}

} // namespace pocket::device
