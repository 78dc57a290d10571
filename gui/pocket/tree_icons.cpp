#include "gui/pocket/tree_icons.h"

#include <QPainter>
#include <QPixmap>

namespace gui::handheld {

QIcon contactIcon(int image)
{
    static const QColor colours[] = { QColor(0x2e, 0xa0, 0x3c), QColor(0xe0, 0x90, 0x20),
        QColor(0xd0, 0x40, 0x30), QColor(0x90, 0x90, 0x98) };
    const QColor colour = image < 0 ? colours[3] : colours[std::min(image, 2)];
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(colour.darker(140));
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    return QIcon(pixmap);
}

} // namespace gui::handheld
