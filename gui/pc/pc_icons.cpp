#include "gui/pc/pc_icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>

#include <functional>

namespace gui::pc {

namespace {

// Pictures are drawn on a 32 x 32 grid and rendered at several sizes.
using Drawing = std::function<void(QPainter&)>;

QIcon render(const Drawing& draw)
{
    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64 }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor kInk(0x33, 0x3d, 0x4d);
const QColor kPaper(0xfb, 0xfb, 0xf7);

void paper(QPainter& p, const QRectF& sheet)
{
    QPainterPath path;
    path.moveTo(sheet.topLeft());
    path.lineTo(sheet.right() - 6, sheet.top());
    path.lineTo(sheet.right(), sheet.top() + 6);
    path.lineTo(sheet.bottomRight());
    path.lineTo(sheet.bottomLeft());
    path.closeSubpath();
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.setPen(QPen(QColor(0x9a, 0xa5, 0xb5), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (double y = sheet.top() + 8; y < sheet.bottom() - 4; y += 4.5)
        p.drawLine(QPointF(sheet.left() + 4, y), QPointF(sheet.right() - 5, y));
}

void badge(QPainter& p, const QColor& colour, const QPointF& centre, double radius)
{
    p.setPen(QPen(colour.darker(130), 1.2));
    p.setBrush(colour);
    p.drawEllipse(centre, radius, radius);
}

void drawStart(QPainter& p)
{
    badge(p, QColor(0x2e, 0xa0, 0x4f), QPointF(16, 16), 13);
    QPolygonF play({ QPointF(12.5, 9), QPointF(23.5, 16), QPointF(12.5, 23) });
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(play);
}

void drawStop(QPainter& p)
{
    badge(p, QColor(0xd0, 0x3b, 0x36), QPointF(16, 16), 13);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(10.5, 10.5, 11, 11), 1.5, 1.5);
}

void drawViewLog(QPainter& p)
{
    paper(p, QRectF(4, 2, 19, 25));
    p.setPen(QPen(QColor(0x1f, 0x5f, 0xbf), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(20, 19), 6, 6);
    p.drawLine(QPointF(24.5, 23.5), QPointF(29, 28));
}

void drawSaveLog(QPainter& p)
{
    QColor body(0x2b, 0x6c, 0xc4);
    p.setPen(QPen(body.darker(140), 1.4));
    p.setBrush(body);
    QPainterPath disk;
    disk.moveTo(4, 4);
    disk.lineTo(24, 4);
    disk.lineTo(28, 8);
    disk.lineTo(28, 28);
    disk.lineTo(4, 28);
    disk.closeSubpath();
    p.drawPath(disk);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawRect(QRectF(8, 4.7, 14, 8.5));
    p.setBrush(body.darker(140));
    p.drawRect(QRectF(17, 6, 3, 6));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(8, 17, 16, 9), 1, 1);
}

void drawClearLog(QPainter& p)
{
    paper(p, QRectF(4, 2, 19, 25));
    badge(p, QColor(0xd0, 0x3b, 0x36), QPointF(22, 22), 7.5);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(25, 25));
    p.drawLine(QPointF(25, 19), QPointF(19, 25));
}

void drawShowAddress(QPainter& p)
{
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(QColor(0x2a, 0x33, 0x40));
    p.drawRoundedRect(QRectF(3, 4, 26, 18), 2, 2);
    p.setBrush(QColor(0x3d, 0x8b, 0xe0));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(5.5, 6.5, 21, 13));
    p.setBrush(kInk);
    p.drawRect(QRectF(13, 22, 6, 4));
    p.drawRoundedRect(QRectF(8, 26, 16, 3), 1, 1);
    QFont font("NanumGothic");
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(5.5, 6.5, 21, 13), Qt::AlignCenter, "IP");
}

void drawCalendar(QPainter& p)
{
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(3, 5, 26, 24), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd0, 0x3b, 0x36));
    p.drawRoundedRect(QRectF(3.8, 5.8, 24.4, 6.5), 2, 2);
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(8.5, 2.5, 2.5, 6), 1, 1);
    p.drawRoundedRect(QRectF(21, 2.5, 2.5, 6), 1, 1);
    p.setBrush(QColor(0x6b, 0x76, 0x88));
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column)
            p.drawRect(QRectF(6.5 + column * 5.2, 15 + row * 4.4, 3, 2.6));
    }
}

void drawProgram(QPainter& p)
{
    QLinearGradient fill(0, 0, 0, 32);
    fill.setColorAt(0, QColor(0x3a, 0x7b, 0xd5));
    fill.setColorAt(1, QColor(0x1d, 0x4e, 0x9e));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
    // A quill across the letter.
    p.setPen(QPen(Qt::white, 3.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(15, 15), 8.5, 8.5);
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18.5, 18.5), QPointF(25.5, 25.5));
}

} // namespace

QIcon programIcon()
{
    static const QIcon icon = render(drawProgram);
    return icon;
}

QIcon stoppedProgramIcon()
{
    static const QIcon icon = [] {
        QIcon stopped;
        for (int size : { 16, 24, 32, 48, 64 }) {
            QImage image = programIcon().pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    QRgb pixel = image.pixel(x, y);
                    int grey = qGray(pixel);
                    image.setPixel(x, y, qRgba(grey, grey, grey, qAlpha(pixel)));
                }
            }
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(image.width() / 32.0, image.height() / 32.0);
            painter.setPen(QPen(Qt::white, 1.5));
            painter.setBrush(QColor(200, 36, 36));
            painter.drawRoundedRect(QRectF(18, 18, 13, 13), 2, 2);
            painter.end();
            stopped.addPixmap(QPixmap::fromImage(image));
        }
        return stopped;
    }();
    return icon;
}

QIcon buttonIcon(ButtonPicture picture)
{
    switch (picture) {
    case ButtonPicture::StartServer:
        return render(drawStart);
    case ButtonPicture::StopServer:
        return render(drawStop);
    case ButtonPicture::ViewLog:
        return render(drawViewLog);
    case ButtonPicture::SaveLog:
        return render(drawSaveLog);
    case ButtonPicture::ClearLog:
        return render(drawClearLog);
    case ButtonPicture::ShowAddress:
        return render(drawShowAddress);
    case ButtonPicture::Calendar:
        return render(drawCalendar);
    }
    return {};
}

} // namespace gui::pc
