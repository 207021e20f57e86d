#include "shell/menu_icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace duvara {

namespace {

// One palette for the whole set: dark brown lines, slate for the transport's glyphs, and a few
// signal colours. Lines of odd width sit on half units so that they fall on whole pixels.
const QColor kInk(0x3B, 0x2A, 0x1E);
const QColor kSlate(0x2E, 0x4A, 0x6E);
const QColor kGreen(0x2E, 0x8B, 0x3A);
const QColor kDarkGreen(0x1E, 0x5C, 0x26);
const QColor kRed(0xC0, 0x39, 0x2B);
const QColor kBlue(0x2F, 0x6F, 0xB5);
const QColor kDarkBlue(0x1F, 0x4A, 0x7A);
const QColor kFolder(0xF0, 0xC0, 0x48);
const QColor kFolderBack(0xD0, 0x98, 0x28);
const QColor kPaper(0xFF, 0xFF, 0xFF);

QPen line(const QColor &color, qreal width = 1.0)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void fillPolygon(QPainter &p, std::initializer_list<QPointF> points, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(QPolygonF(QList<QPointF>(points)));
}

void fillRect(QPainter &p, const QRectF &rect, const QColor &color)
{
    p.fillRect(rect, color);
}

// The marks laid over a motif in its lower right corner.
void plusMark(QPainter &p)
{
    fillRect(p, QRectF(9, 11, 7, 3), kGreen);
    fillRect(p, QRectF(11, 9, 3, 7), kGreen);
}

void minusMark(QPainter &p)
{
    fillRect(p, QRectF(9, 11, 7, 3), kRed);
}

void crossMark(QPainter &p, const QPointF &centre = QPointF(12.5, 12.5))
{
    p.setPen(line(kRed, 2.0));
    p.drawLine(centre + QPointF(-2.5, -2.5), centre + QPointF(2.5, 2.5));
    p.drawLine(centre + QPointF(-2.5, 2.5), centre + QPointF(2.5, -2.5));
}

// A folder: its back with the tab, then its front leaning forward.
void folder(QPainter &p)
{
    p.setPen(line(kInk));
    p.setBrush(kFolderBack);
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6.0, 3.5);
    back.lineTo(7.5, 5.0);
    back.lineTo(13.5, 5.0);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(kFolder);
    p.drawPolygon(QPolygonF(
        {QPointF(1.5, 13.5), QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5)}));
}

// A subtitle bar: a dark strip holding two lines of white text.
void captionStrip(QPainter &p, qreal top)
{
    p.setPen(line(kInk));
    p.setBrush(kSlate);
    p.drawRoundedRect(QRectF(1.5, top + 0.5, 13, 6), 1.5, 1.5);
    fillRect(p, QRectF(4, top + 2, 8, 1), kPaper);
    fillRect(p, QRectF(5, top + 4, 6, 1), kPaper);
}

// A list of three rows with their bullets.
void listRows(QPainter &p)
{
    for (int y : {2, 6, 10}) {
        fillRect(p, QRectF(1, y, 2, 2), kSlate);
        fillRect(p, QRectF(4, y, y == 10 ? 4 : 10, 2), kInk);
    }
}

void speaker(QPainter &p)
{
    fillPolygon(p,
                {QPointF(1, 5.5), QPointF(4, 5.5), QPointF(8, 2), QPointF(8, 14), QPointF(4, 10.5),
                 QPointF(1, 10.5)},
                kSlate);
}

void roundBadge(QPainter &p, const QColor &fill, const QColor &rim)
{
    p.setPen(line(rim));
    p.setBrush(fill);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
}

void drawImage(MenuImage image, QPainter &p)
{
    switch (image) {
    case MenuImage::None:
        break;
    case MenuImage::Play:
        p.setPen(line(kDarkGreen));
        p.setBrush(kGreen);
        p.drawPolygon(QPolygonF({QPointF(3.5, 1.5), QPointF(13.5, 8), QPointF(3.5, 14.5)}));
        break;
    case MenuImage::Pause:
        fillRect(p, QRectF(3, 2, 4, 12), kSlate);
        fillRect(p, QRectF(9, 2, 4, 12), kSlate);
        break;
    case MenuImage::Stop:
        fillRect(p, QRectF(3, 3, 10, 10), kSlate);
        break;
    case MenuImage::Step:
        fillPolygon(p, {QPointF(3, 3), QPointF(10, 8), QPointF(3, 13)}, kSlate);
        fillRect(p, QRectF(11, 3, 2, 10), kSlate);
        break;
    case MenuImage::FastForward:
        fillPolygon(p, {QPointF(1, 3), QPointF(8, 8), QPointF(1, 13)}, kSlate);
        fillPolygon(p, {QPointF(8, 3), QPointF(15, 8), QPointF(8, 13)}, kSlate);
        break;
    case MenuImage::FastBackward:
        fillPolygon(p, {QPointF(15, 3), QPointF(8, 8), QPointF(15, 13)}, kSlate);
        fillPolygon(p, {QPointF(8, 3), QPointF(1, 8), QPointF(8, 13)}, kSlate);
        break;
    case MenuImage::Next:
        fillPolygon(p, {QPointF(1, 3), QPointF(7, 8), QPointF(1, 13)}, kSlate);
        fillPolygon(p, {QPointF(7, 3), QPointF(13, 8), QPointF(7, 13)}, kSlate);
        fillRect(p, QRectF(13, 3, 2, 10), kSlate);
        break;
    case MenuImage::Previous:
        fillRect(p, QRectF(1, 3, 2, 10), kSlate);
        fillPolygon(p, {QPointF(9, 3), QPointF(3, 8), QPointF(9, 13)}, kSlate);
        fillPolygon(p, {QPointF(15, 3), QPointF(9, 8), QPointF(15, 13)}, kSlate);
        break;
    case MenuImage::Open:
        folder(p);
        break;
    case MenuImage::OpenSubtitles:
        p.save();
        p.translate(0, -2);
        folder(p);
        p.restore();
        captionStrip(p, 9);
        break;
    case MenuImage::SaveSubtitles:
        p.setPen(line(kDarkBlue));
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF({QPointF(1.5, 1.5), QPointF(12.5, 1.5), QPointF(14.5, 3.5),
                                 QPointF(14.5, 14.5), QPointF(1.5, 14.5)}));
        fillRect(p, QRectF(4, 2, 7, 4), kPaper);
        fillRect(p, QRectF(8, 2.5, 2, 3), kDarkBlue);
        fillRect(p, QRectF(3, 8, 10, 6), kPaper);
        fillRect(p, QRectF(4, 10, 8, 1), kSlate);
        fillRect(p, QRectF(5, 12, 6, 1), kSlate);
        break;
    case MenuImage::ClearSubtitles:
        captionStrip(p, 1);
        crossMark(p);
        break;
    case MenuImage::Font: {
        QPainterPath letter;
        letter.moveTo(2, 13);
        letter.lineTo(7, 1.5);
        letter.lineTo(9, 1.5);
        letter.lineTo(14, 13);
        letter.lineTo(11.6, 13);
        letter.lineTo(10.5, 10);
        letter.lineTo(5.5, 10);
        letter.lineTo(4.4, 13);
        letter.closeSubpath();
        letter.moveTo(6.3, 8);
        letter.lineTo(9.7, 8);
        letter.lineTo(8, 3.6);
        letter.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawPath(letter);
        fillRect(p, QRectF(1, 14, 14, 2), kRed);
        break;
    }
    case MenuImage::AddToPlaylist:
        listRows(p);
        plusMark(p);
        break;
    case MenuImage::RemoveFromPlaylist:
        listRows(p);
        minusMark(p);
        break;
    case MenuImage::ClearPlaylist:
        listRows(p);
        crossMark(p);
        break;
    case MenuImage::GoTo:
        p.setPen(line(kInk));
        p.setBrush(kPaper);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(line(kRed, 1.5));
        p.drawLine(QPointF(8, 8), QPointF(8, 3.8));
        p.setPen(line(kInk, 1.5));
        p.drawLine(QPointF(8, 8), QPointF(11.2, 9.8));
        break;
    case MenuImage::SoundOn:
        speaker(p);
        p.setPen(line(kSlate, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(6, 5, 6, 6), -50 * 16, 100 * 16);
        p.drawArc(QRectF(4.5, 2.5, 11, 11), -50 * 16, 100 * 16);
        break;
    case MenuImage::Muted:
        speaker(p);
        crossMark(p, QPointF(12.5, 8));
        break;
    case MenuImage::Help: {
        roundBadge(p, kBlue, kDarkBlue);
        QPainterPath hook;
        hook.moveTo(5.6, 6.0);
        hook.cubicTo(5.6, 3.2, 10.4, 3.2, 10.4, 6.0);
        hook.cubicTo(10.4, 7.8, 8.0, 7.9, 8.0, 9.8);
        p.setPen(line(kPaper, 1.8));
        p.setBrush(Qt::NoBrush);
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(8, 12.3), 1.1, 1.1);
        break;
    }
    case MenuImage::About:
        roundBadge(p, kBlue, kDarkBlue);
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(8, 4.6), 1.2, 1.2);
        fillRect(p, QRectF(7, 7, 2, 5.5), kPaper);
        break;
    case MenuImage::Exit:
        p.setPen(line(kRed, 2.0));
        p.setBrush(Qt::NoBrush);
        // Open at the top, where the stroke comes down into it.
        p.drawArc(QRectF(2.5, 3, 11, 11), 125 * 16, 290 * 16);
        p.drawLine(QPointF(8, 1.5), QPointF(8, 7.5));
        break;
    }
}

QPixmap render(MenuImage image, int scale)
{
    QImage canvas(kMenuImageSize * scale, kMenuImageSize * scale,
                  QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        drawImage(image, p);
    }
    canvas.setDevicePixelRatio(scale);
    return QPixmap::fromImage(canvas);
}

} // namespace

const QList<MenuImage> &AllMenuImages()
{
    static const QList<MenuImage> images {
        MenuImage::About,         MenuImage::ClearSubtitles,
        MenuImage::FastBackward,  MenuImage::Exit,
        MenuImage::Font,          MenuImage::Help,
        MenuImage::OpenSubtitles, MenuImage::ClearPlaylist,
        MenuImage::AddToPlaylist, MenuImage::RemoveFromPlaylist,
        MenuImage::Open,          MenuImage::SaveSubtitles,
        MenuImage::SoundOn,       MenuImage::Step,
        MenuImage::Stop,          MenuImage::FastForward,
        MenuImage::Previous,      MenuImage::Next,
        MenuImage::Muted,         MenuImage::Pause,
        MenuImage::Play,          MenuImage::GoTo,
    };
    return images;
}

QIcon MenuIcon(MenuImage image)
{
    if (image == MenuImage::None)
        return QIcon();
    QIcon icon;
    icon.addPixmap(render(image, 1));
    icon.addPixmap(render(image, 2));
    return icon;
}

} // namespace duvara
