#include "controls/remote_artwork.h"

#include "presentation/color_ref.h"

#include <QBitmap>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStyleOptionSlider>

#include <algorithm>

namespace duvara {

namespace {

// The meter's bar on maroon, in the 0x00BBGGRR notation of the rest of the player.
constexpr std::uint32_t kMeterBar = 0x006DE9FE;
constexpr std::uint32_t kMeterGround = 0x00000080;

const QColor kOutline(0x0b, 0x0c, 0x0f);
const QColor kBodyTop(0x55, 0x5b, 0x66);
const QColor kBodyMiddle(0x2e, 0x32, 0x39);
const QColor kBodyBottom(0x1b, 0x1d, 0x22);
const QColor kWell(0x10, 0x11, 0x14);
const QColor kPanel(0x16, 0x0c, 0x06);
const QColor kAmber(0xFE, 0xDF, 0x63);
const QColor kSymbol(0xE6, 0xE9, 0xEE);
const QColor kSymbolDisabled(0x5a, 0x5e, 0x66);

// Where the controls sit on the body; the picture gives each a well to sit in.
struct Well
{
    QPointF centre;
    qreal radius;
};
constexpr qreal kSmallWell = 19;
const Well kWells[] = {
    {{41, 35}, 27.5}, // play
    {{48.5, 83.5}, kSmallWell},
    {{89.5, 83.5}, kSmallWell},
    {{130.5, 83.5}, kSmallWell},
    {{179.5, 83.5}, kSmallWell},
    {{220.5, 83.5}, kSmallWell},
    {{269.5, 83.5}, kSmallWell},
    {{310.5, 83.5}, kSmallWell},
    {{336, 45}, 16.5}, // mute
};

QPainterPath bodyOutline()
{
    QPainterPath body;
    const qreal radius = kRemoteSize.height() / 2.0;
    body.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(kRemoteSize)), radius, radius);
    return body;
}

// The dark window behind the meter and the two displays.
QPainterPath displayPanel()
{
    QPainterPath meterStrip;
    meterStrip.addRoundedRect(QRectF(66, 11, 266, 18), 5, 5);
    QPainterPath displays;
    displays.addRoundedRect(QRectF(66, 11, 171, 52.5), 6, 6);
    return meterStrip.united(displays).simplified();
}

void paintBody(QPainter &painter, bool cutAwayInLime)
{
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(kRemoteSize)),
                     cutAwayInLime ? QColor::fromRgb(kRemoteCutAway) : kOutline);
    // The silhouette in whole pixels: the shape is made of whole pixels too, and the edge
    // pixels are the outline's colour, never a blend with the lime around them.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillPath(bodyOutline(), kOutline);
    painter.setRenderHint(QPainter::Antialiasing, true);

    const qreal height = kRemoteSize.height();
    const qreal inner = height / 2.0 - 1.5;
    QPainterPath face;
    face.addRoundedRect(QRectF(1.5, 1.5, kRemoteSize.width() - 3.0, height - 3.0), inner, inner);
    QLinearGradient shade(0, 0, 0, height);
    shade.setColorAt(0, kBodyTop);
    shade.setColorAt(0.45, kBodyMiddle);
    shade.setColorAt(1, kBodyBottom);
    painter.fillPath(face, shade);

    // A soft light along the upper rim.
    painter.save();
    painter.setClipPath(face);
    QPen rim(QColor(255, 255, 255, 55), 1.2);
    painter.setPen(rim);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(face.translated(0, 1));
    painter.restore();

    for (const Well &well : kWells) {
        QRadialGradient socket(well.centre + QPointF(0, -well.radius / 3), well.radius * 1.3);
        socket.setColorAt(0, kWell);
        socket.setColorAt(1, QColor(0x22, 0x24, 0x29));
        painter.setPen(QPen(QColor(255, 255, 255, 30), 1));
        painter.setBrush(socket);
        painter.drawEllipse(well.centre, well.radius, well.radius);
    }

    const QPainterPath panel = displayPanel();
    painter.setPen(Qt::NoPen);
    painter.fillPath(panel, kPanel);
    // Sunken: shadow along the top edge, light along the bottom.
    painter.save();
    painter.setClipPath(panel);
    painter.setPen(QPen(QColor(0, 0, 0, 200), 2));
    painter.drawPath(panel.translated(0, 1));
    painter.restore();
    painter.setPen(QPen(QColor(255, 255, 255, 40), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(panel.translated(0, 0.5));
    painter.setPen(QPen(kOutline, 1));
    painter.drawPath(panel);

    // The name, engraved below the volume slider.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(7);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 2.2);
    painter.setFont(font);
    const QRectF nameBox(240, 53, 78, 9);
    painter.setPen(QColor(0, 0, 0, 150));
    painter.drawText(nameBox.translated(0, -0.6), Qt::AlignCenter, QStringLiteral("DUVARA"));
    painter.setPen(QColor(255, 255, 255, 70));
    painter.drawText(nameBox, Qt::AlignCenter, QStringLiteral("DUVARA"));
}

// The transport symbols, drawn in a square of side s around the origin.
QPainterPath triangle(qreal left, qreal half, qreal width, bool pointsRight)
{
    QPainterPath path;
    if (pointsRight) {
        path.moveTo(left, -half);
        path.lineTo(left + width, 0);
        path.lineTo(left, half);
    } else {
        path.moveTo(left + width, -half);
        path.lineTo(left, 0);
        path.lineTo(left + width, half);
    }
    path.closeSubpath();
    return path;
}

QPainterPath bar(qreal left, qreal half, qreal width)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(left, -half, width, 2 * half), width / 3, width / 3);
    return path;
}

QPainterPath symbolPath(RemoteButton::Symbol symbol, qreal s)
{
    using Symbol = RemoteButton::Symbol;
    const qreal h = s * 0.17; // half the symbol's height
    QPainterPath path;
    switch (symbol) {
    case Symbol::Play:
        path = triangle(-h * 0.75, h * 1.05, h * 1.95, true);
        break;
    case Symbol::Stop:
        path.addRoundedRect(QRectF(-h * 0.85, -h * 0.85, h * 1.7, h * 1.7), h * 0.2, h * 0.2);
        break;
    case Symbol::Pause:
        path = bar(-h * 0.8, h, h * 0.55).united(bar(h * 0.25, h, h * 0.55));
        break;
    case Symbol::Step:
        path = bar(-h * 1.0, h * 0.9, h * 0.4).united(triangle(-h * 0.35, h * 0.9, h * 1.35, true));
        break;
    case Symbol::Rewind:
        path = triangle(-h * 1.2, h * 0.85, h * 1.2, false)
                   .united(triangle(0, h * 0.85, h * 1.2, false));
        break;
    case Symbol::FastForward:
        path = triangle(-h * 1.2, h * 0.85, h * 1.2, true)
                   .united(triangle(0, h * 0.85, h * 1.2, true));
        break;
    case Symbol::Previous:
        path = bar(-h * 1.3, h * 0.85, h * 0.35)
                   .united(triangle(-h * 0.95, h * 0.85, h * 1.05, false))
                   .united(triangle(h * 0.1, h * 0.85, h * 1.05, false));
        break;
    case Symbol::Next:
        path = triangle(-h * 1.15, h * 0.85, h * 1.05, true)
                   .united(triangle(-h * 0.1, h * 0.85, h * 1.05, true))
                   .united(bar(h * 0.95, h * 0.85, h * 0.35));
        break;
    case Symbol::Sound:
    case Symbol::Muted: {
        QPainterPath speaker;
        speaker.moveTo(-h * 1.25, -h * 0.4);
        speaker.lineTo(-h * 0.65, -h * 0.4);
        speaker.lineTo(h * 0.05, -h * 1.0);
        speaker.lineTo(h * 0.05, h * 1.0);
        speaker.lineTo(-h * 0.65, h * 0.4);
        speaker.lineTo(-h * 1.25, h * 0.4);
        speaker.closeSubpath();
        path = speaker;
        break;
    }
    }
    return path;
}

} // namespace

QImage RemotePicture(qreal scale)
{
    QImage picture(kRemoteSize * scale, QImage::Format_RGB32);
    picture.setDevicePixelRatio(scale);
    QPainter painter(&picture);
    // Only the picture the shape is taken from needs the lime: at other scales the edge is the
    // outline's colour, so that no lime can show where a scaled edge pixel straddles the shape.
    paintBody(painter, scale == 1.0);
    return picture;
}

QRegion ShapeOfPicture(const QImage &picture)
{
    return QRegion(
        QBitmap::fromImage(picture.createMaskFromColor(kRemoteCutAway, Qt::MaskInColor)));
}

// ---- buttons ----------------------------------------------------------------------------------

RemoteButton::RemoteButton(Symbol symbol, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
{
    // A click leaves the keyboard where it was.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

bool RemoteButton::hitButton(const QPoint &pos) const
{
    const QPointF centre = QRectF(rect()).center();
    const qreal radius = std::min(width(), height()) / 2.0;
    const QPointF d = QPointF(pos) - centre;
    return d.x() * d.x() + d.y() * d.y() <= radius * radius;
}

void RemoteButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void RemoteButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void RemoteButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const QPointF centre = QRectF(rect()).center();
    const qreal radius = side / 2.0 - 1;
    const bool enabled = isEnabled();
    const bool down = isDown();
    const bool lit = enabled && m_hovered && !down;

    QLinearGradient face(0, centre.y() - radius, 0, centre.y() + radius);
    const QColor top = lit ? QColor(0x77, 0x7e, 0x8a) : QColor(0x5f, 0x65, 0x70);
    const QColor bottom = lit ? QColor(0x30, 0x34, 0x3b) : QColor(0x22, 0x25, 0x2a);
    face.setColorAt(0, down ? bottom : top);
    face.setColorAt(1, down ? top : bottom);
    painter.setPen(QPen(kOutline, 1));
    painter.setBrush(face);
    painter.drawEllipse(centre, radius, radius);
    // The button under the mouse is ringed in the displays' amber.
    if (lit) {
        QColor ring = kAmber;
        ring.setAlpha(150);
        painter.setPen(QPen(ring, 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre, radius - 0.6, radius - 0.6);
    }
    // A gloss on the upper half.
    if (!down) {
        QLinearGradient gloss(0, centre.y() - radius, 0, centre.y());
        gloss.setColorAt(0, QColor(255, 255, 255, enabled ? 60 : 25));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(gloss);
        painter.drawEllipse(QRectF(centre.x() - radius * 0.8, centre.y() - radius * 0.95,
                                   radius * 1.6, radius * 1.1));
    }

    QColor ink = m_symbol == Symbol::Play ? kAmber : kSymbol;
    if (!enabled)
        ink = kSymbolDisabled;
    painter.translate(centre + (down ? QPointF(0.5, 0.5) : QPointF(0, 0)));
    const QPainterPath symbol = symbolPath(m_symbol, side);
    if (enabled) {
        painter.fillPath(symbol.translated(0, 1), QColor(0, 0, 0, 120));
    }
    painter.fillPath(symbol, ink);
    const qreal h = side * 0.17;
    QPen stroke(ink, std::max(1.2, side / 22.0), Qt::SolidLine, Qt::RoundCap);
    painter.setPen(stroke);
    painter.setBrush(Qt::NoBrush);
    if (m_symbol == Symbol::Sound) {
        painter.drawArc(QRectF(-h * 0.6, -h * 0.7, h * 1.4, h * 1.4), -45 * 16, 90 * 16);
        painter.drawArc(QRectF(-h * 1.0, -h * 1.1, h * 2.2, h * 2.2), -45 * 16, 90 * 16);
    } else if (m_symbol == Symbol::Muted) {
        painter.drawLine(QPointF(h * 0.45, -h * 0.45), QPointF(h * 1.25, h * 0.45));
        painter.drawLine(QPointF(h * 0.45, h * 0.45), QPointF(h * 1.25, -h * 0.45));
    }
}

// ---- meter ------------------------------------------------------------------------------------

RemoteMeter::RemoteMeter(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RemoteMeter::setMaximum(int maximum)
{
    maximum = std::max(0, maximum);
    if (maximum == m_maximum)
        return;
    m_maximum = maximum;
    m_value = std::min(m_value, m_maximum);
    update();
}

void RemoteMeter::setValue(int value)
{
    value = std::clamp(value, 0, m_maximum);
    if (value == m_value)
        return;
    m_value = value;
    update();
}

void RemoteMeter::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->button(), event->position().toPoint().x());
}

void RemoteMeter::mouseReleaseEvent(QMouseEvent *event)
{
    emit released(event->button());
}

void RemoteMeter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    // A sunken frame: dark above and left, light below and right.
    painter.fillRect(rect(), colorFromRef(kMeterGround));
    painter.setPen(QColor(0x20, 0x00, 0x00));
    painter.drawLine(0, 0, w - 1, 0);
    painter.drawLine(0, 0, 0, h - 1);
    painter.setPen(QColor(0xc0, 0x70, 0x60));
    painter.drawLine(1, h - 1, w - 1, h - 1);
    painter.drawLine(w - 1, 1, w - 1, h - 1);
    if (m_maximum <= 0 || m_value <= 0)
        return;
    const int length = static_cast<int>(qint64(w - 4) * m_value / m_maximum);
    const QRect filled(2, 2, length, h - 4);
    QLinearGradient bar(0, 2, 0, h - 2);
    const QColor colour = colorFromRef(kMeterBar);
    bar.setColorAt(0, colour.lighter(125));
    bar.setColorAt(0.5, colour);
    bar.setColorAt(1, colour.darker(140));
    painter.fillRect(filled, bar);
}

// ---- volume -----------------------------------------------------------------------------------

RemoteVolumeSlider::RemoteVolumeSlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{ }

void RemoteVolumeSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle
        = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const qreal left = 2;
    const qreal right = width() - 2;
    const qreal bottom = height() - 3.5;
    const qreal top = 2.5;
    QPainterPath wedge;
    wedge.moveTo(left, bottom);
    wedge.lineTo(right, bottom);
    wedge.lineTo(right, top);
    wedge.closeSubpath();
    painter.fillPath(wedge, QColor(0x12, 0x0a, 0x05));
    const qreal handleX = QRectF(handle).center().x();
    painter.save();
    painter.setClipRect(QRectF(0, 0, handleX, height()));
    QLinearGradient amber(left, 0, right, 0);
    amber.setColorAt(0, kAmber.darker(170));
    amber.setColorAt(1, kAmber);
    painter.fillPath(wedge, amber);
    painter.restore();
    painter.setPen(QPen(QColor(255, 255, 255, 45), 1));
    painter.drawLine(QPointF(left, bottom + 0.5), QPointF(right, bottom + 0.5));

    const QRectF knob(handleX - 2.5, 0.5, 5, height() - 1.0);
    QLinearGradient knobShade(knob.topLeft(), knob.topRight());
    knobShade.setColorAt(0, QColor(0xf0, 0xf2, 0xf5));
    knobShade.setColorAt(1, QColor(0x9a, 0xa0, 0xaa));
    painter.setPen(QPen(kOutline, 1));
    painter.setBrush(isEnabled() ? QBrush(knobShade) : QBrush(kSymbolDisabled));
    painter.drawRoundedRect(knob, 1.5, 1.5);
}

} // namespace duvara
