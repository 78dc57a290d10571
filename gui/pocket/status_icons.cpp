#include "gui/pocket/status_icons.h"

#include "pocket/icq/contact_list.h"
#include "pocket/msn/msn_status.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace gui::handheld {

namespace {

    // What a status picture shows on its coloured dot.
    enum class Mark {
        None, // Online.
        Hollow, // Offline: a ring.
        Bar, // Busy, occupied: a white bar.
        Clock, // Away: the hands of a clock.
        Question, // Unknown.
        Stop, // Do not disturb: a white cross.
        Star, // Free for chat: a white star.
        Dashed, // Invisible: a dashed ring.
    };

    struct Look {
        int bitmap;
        QColor colour;
        Mark mark;
    };

    const QColor kGreen(0x2e, 0xa0, 0x3c);
    const QColor kGrey(0x90, 0x90, 0x98);
    const QColor kRed(0xd0, 0x40, 0x30);
    const QColor kAmber(0xe0, 0x90, 0x20);

    const Look kLooks[] = {
        // MSN.
        { 150, kGreen, Mark::None },
        { 151, kGrey, Mark::Question },
        { 152, kRed, Mark::Bar },
        { 153, kGrey, Mark::Hollow },
        { 154, kAmber, Mark::Clock },
        // ICQ.
        { 114, kGrey, Mark::Hollow },
        { 115, kRed, Mark::Bar },
        { 116, kGreen, Mark::None },
        { 118, kAmber, Mark::Clock },
        { 119, QColor(0xc0, 0x60, 0x20), Mark::Clock },
        { 120, kRed, Mark::Stop },
        { 121, kGrey, Mark::Dashed },
        { 122, kGreen, Mark::Star },
    };

    void drawMark(QPainter& painter, Mark mark, const QRectF& dot, const QColor& colour)
    {
        const QPointF c = dot.center();
        const double r = dot.width() / 2;
        painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        switch (mark) {
        case Mark::None:
            break;
        case Mark::Bar:
            painter.drawLine(QPointF(c.x() - r * 0.55, c.y()), QPointF(c.x() + r * 0.55, c.y()));
            break;
        case Mark::Clock:
            painter.drawLine(c, QPointF(c.x(), c.y() - r * 0.6));
            painter.drawLine(c, QPointF(c.x() + r * 0.45, c.y()));
            break;
        case Mark::Question:
            painter.setFont(QFont(QStringLiteral("Sans"), 7, QFont::Bold));
            painter.drawText(dot, Qt::AlignCenter, QStringLiteral("?"));
            break;
        case Mark::Stop:
            painter.drawLine(QPointF(c.x() - r * 0.45, c.y() - r * 0.45), QPointF(c.x() + r * 0.45, c.y() + r * 0.45));
            painter.drawLine(QPointF(c.x() + r * 0.45, c.y() - r * 0.45), QPointF(c.x() - r * 0.45, c.y() + r * 0.45));
            break;
        case Mark::Star:
            for (int i = 0; i < 3; ++i) {
                const double angle = i * 3.14159 / 3;
                const QPointF d(std::cos(angle) * r * 0.6, std::sin(angle) * r * 0.6);
                painter.drawLine(c - d, c + d);
            }
            break;
        case Mark::Hollow:
        case Mark::Dashed:
            painter.setPen(QPen(colour.darker(130), 1.6, mark == Mark::Dashed ? Qt::DashLine : Qt::SolidLine));
            painter.setBrush(Qt::white);
            painter.drawEllipse(dot.adjusted(1, 1, -1, -1));
            break;
        }
    }

} // namespace

QIcon statusIcon(int bitmap)
{
    const auto* look = std::find_if(std::begin(kLooks), std::end(kLooks), [bitmap](const Look& l) { return l.bitmap == bitmap; });
    if (look == std::end(kLooks))
        return {};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dot(2.5, 2.5, 11, 11);
    painter.setPen(look->colour.darker(140));
    painter.setBrush(look->colour);
    painter.drawEllipse(dot);
    drawMark(painter, look->mark, dot, look->colour);
    return QIcon(pixmap);
}

QIcon msnTreeIcon(int image)
{
    const auto& bitmaps = ::pocket::msn::kTreeBitmaps;
    return image >= 0 && image < static_cast<int>(std::size(bitmaps)) ? statusIcon(bitmaps[image]) : QIcon();
}

QIcon icqTreeIcon(int image)
{
    const auto& bitmaps = ::pocket::icq::kTreeBitmaps;
    return image >= 0 && image < static_cast<int>(std::size(bitmaps)) ? statusIcon(bitmaps[image]) : QIcon();
}

} // namespace gui::handheld
