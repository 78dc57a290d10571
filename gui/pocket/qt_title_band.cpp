#include "gui/pocket/qt_title_band.h"

#include "gui/qt_string.h"
#include "pocket/app/frame_layout.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace gui::handheld {

QtTitleBand::QtTitleBand(const PocketScreen& screen, QWidget* parent)
    : QWidget(parent)
    , m_screen(screen)
{
    setObjectName(QStringLiteral("titleBand"));
    setGeometry(screen.rect(0, 0, kScreenWidth, ::pocket::app::kTitleBandHeight));
    m_clock = new QLabel(this);
    m_clock->setFont(screen.font(::pocket::device::ClockLook::kFontHeight, true));
    m_clock->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_clock->setAlignment(Qt::AlignCenter);
    const auto& r = ::pocket::device::ClockLook::kClockRect;
    m_clock->setGeometry(screen.rect(r.left, r.top, r.right - r.left, r.bottom - r.top));
    // The link's state, between the name and the clock.
    m_linkState = new QLabel(this);
    m_linkState->setObjectName(QStringLiteral("linkState"));
    m_linkState->setFont(screen.font(9));
    m_linkState->setStyleSheet(QStringLiteral("color: #d8e4ff; background: transparent;"));
    m_linkState->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_linkState->setGeometry(screen.rect(88, 0, r.left - 92, ::pocket::app::kTitleBandHeight));
}

QString QtTitleBand::linkStateText() const
{
    return m_linkState->text();
}

void QtTitleBand::drawLinkState(const std::string& text)
{
    m_linkState->setText(toQString(text));
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
    return ::pocket::device::Rect { 0, 0, kScreenWidth, ::pocket::app::kTitleBandHeight };
}

QMenu* QtTitleBand::startMenu() const
{
    return m_startMenu;
}

void QtTitleBand::mousePressEvent(QMouseEvent* event)
{
    if (onTap)
        onTap(m_screen.device(event->position().x()), m_screen.device(event->position().y()));
}

void QtTitleBand::tap(int x, int y)
{
    ++m_startTaps;
    delete m_startMenu;
    m_startMenu = new QMenu(this);
    m_startMenu->setAttribute(Qt::WA_DeleteOnClose);
    m_startMenu->setFont(m_screen.font(12));
    // The program's windows, the frame first: a tap brings one to the front.
    QList<QWidget*> windows { window() };
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != window() && widget->isVisible() && !widget->windowTitle().isEmpty()
            && !qobject_cast<QMenu*>(widget))
            windows << widget;
    }
    for (QWidget* shown : windows) {
        QPointer<QWidget> target(shown);
        connect(m_startMenu->addAction(shown->windowTitle()), &QAction::triggered, this, [target] {
            if (!target)
                return;
            target->show();
            target->raise();
            target->activateWindow();
        });
    }
    m_startMenu->popup(mapToGlobal(QPoint(m_screen.px(x), m_screen.px(y))));
}

void QtTitleBand::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0, QColor(0x3a, 0x6e, 0xc6));
    fill.setColorAt(1, QColor(0x0c, 0x2c, 0x7a));
    painter.fillRect(rect(), fill);
    // The start button: the program's own mark, a white tile with a "Q".
    const int tile = m_screen.px(13);
    const QRect mark(m_screen.px(5), (height() - tile) / 2, tile, tile);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(mark, m_screen.px(3), m_screen.px(3));
    painter.setPen(QColor(0x0c, 0x2c, 0x7a));
    painter.setFont(m_screen.font(10, true));
    painter.drawText(mark, Qt::AlignCenter, QStringLiteral("Q"));
    painter.setPen(Qt::white);
    painter.setFont(m_screen.font(13, true));
    painter.drawText(QRect(m_screen.px(24), 0, width(), height()), Qt::AlignVCenter | Qt::AlignLeft,
        QStringLiteral("Quillon"));
}

} // namespace gui::handheld
