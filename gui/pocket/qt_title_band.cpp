#include "gui/pocket/qt_title_band.h"

#include "gui/qt_string.h"
#include "pocket/core/frame_layout.h"

#include <QLabel>
#include <QPainter>

namespace gui::handheld {

QtTitleBand::QtTitleBand(PocketScreen screen, QWidget* parent)
    : QWidget(parent)
    , m_screen(screen)
{
    setObjectName(QStringLiteral("titleBand"));
    setGeometry(screen.rect(0, 0, kScreenWidth, ::pocket::core::frame::kTitleBandHeight));
    m_clock = new QLabel(this);
    m_clock->setFont(screen.font(::pocket::device::ClockLook::kFontHeight, true));
    m_clock->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_clock->setAlignment(Qt::AlignCenter);
    const auto& r = ::pocket::device::ClockLook::kClockRect;
    m_clock->setGeometry(screen.rect(r.left, r.top, r.right - r.left, r.bottom - r.top));
}

QString QtTitleBand::clockText() const
{
    return m_clock->text();
}

void QtTitleBand::place(const ::pocket::device::Rect& area)
{
    setGeometry(m_screen.rect(area.left, area.top, area.right - area.left, area.bottom - area.top));
}

void QtTitleBand::drawClock(const std::string& text)
{
    m_clock->setText(toQString(text));
}

std::optional<::pocket::device::Rect> QtTitleBand::clientArea()
{
    return ::pocket::device::Rect { 0, 0, kScreenWidth, ::pocket::core::frame::kTitleBandHeight };
}

void QtTitleBand::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0, QColor(0x3a, 0x6e, 0xc6));
    fill.setColorAt(1, QColor(0x0c, 0x2c, 0x7a));
    painter.fillRect(rect(), fill);
    // The start flag: four coloured panes.
    const int pane = m_screen.px(6);
    const int gap = m_screen.px(1);
    const int left = m_screen.px(5);
    const int top = (height() - 2 * pane - gap) / 2;
    const QColor colours[] = { QColor(0xf2, 0x50, 0x22), QColor(0x7f, 0xba, 0x00), QColor(0x00, 0xa4, 0xef),
        QColor(0xff, 0xb9, 0x00) };
    for (int i = 0; i < 4; ++i)
        painter.fillRect(
            QRect(left + (i % 2) * (pane + gap), top + (i / 2) * (pane + gap), pane, pane), colours[i]);
    painter.setPen(Qt::white);
    painter.setFont(m_screen.font(13, true));
    painter.drawText(QRect(m_screen.px(24), 0, width(), height()), Qt::AlignVCenter | Qt::AlignLeft,
        QStringLiteral("Quillon"));
}

} // namespace gui::handheld
