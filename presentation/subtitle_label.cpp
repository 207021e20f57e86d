#include "presentation/subtitle_label.h"

#include "presentation/presentation_logging.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>

#include <exception>

namespace duvara {

namespace {

// The label's pixels that lie wholly inside a caption's device pixels.
QRect wholePixelsCovered(const CaptionImage &caption, qreal scale)
{
    const QRect pixels(caption.topLeft, caption.pixels.size());
    if (pixels.isEmpty())
        return {};
    return QRect(QPoint(qCeil(pixels.left() / scale), qCeil(pixels.top() / scale)),
                 QPoint(qFloor((pixels.right() + 1) / scale) - 1,
                        qFloor((pixels.bottom() + 1) / scale) - 1));
}

} // namespace

RSubtitleLabel::RSubtitleLabel(QWidget *parent)
    : QWidget(parent)
{
    SetFontColor(Qt::white);
    setAttribute(Qt::WA_OpaquePaintEvent, PaintsBackground());
}

void RSubtitleLabel::SetTextAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    repaintNow();
}

void RSubtitleLabel::SetTextVAlignment(TTextLayout alignment)
{
    m_vAlignment = alignment;
    repaintNow();
}

void RSubtitleLabel::SetTextWordWrap(bool wrap)
{
    m_wordWrap = wrap;
    repaintNow();
}

void RSubtitleLabel::SetTextCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    repaintNow();
}

void RSubtitleLabel::SetTextNextCaption(const QString &caption)
{
    if (caption == m_nextCaption)
        return;
    m_nextCaption = caption;
    prepareNextCaption();
}

void RSubtitleLabel::SetTextShadow(bool shadow)
{
    m_shadow = shadow;
    repaintNow();
}

void RSubtitleLabel::SetTextOutline(bool outline)
{
    m_outline = outline;
    repaintNow();
}

void RSubtitleLabel::SetTextOutlineWidth(std::uint8_t width)
{
    m_outlineWidth = width;
    repaintNow();
}

void RSubtitleLabel::SetTextOutlineColor(const QColor &color)
{
    m_outlineColor = color;
    repaintNow();
}

void RSubtitleLabel::SetTextShadowColor(const QColor &color)
{
    m_shadowColor = color;
    repaintNow();
}

QColor RSubtitleLabel::Color() const
{
    return palette().color(QPalette::Active, QPalette::Window);
}

void RSubtitleLabel::SetColor(const QColor &color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
    repaintNow();
}

QColor RSubtitleLabel::FontColor() const
{
    return m_fontColor;
}

// The text colour is the label's own, not a palette role: a palette set on the label would
// also freeze the background colour it inherits from its panel at that moment, and the panel's
// colour changes as the picture is shown and hidden.
void RSubtitleLabel::SetFontColor(const QColor &color)
{
    if (m_fontColor == color)
        return;
    m_fontColor = color;
    repaintNow();
}

void RSubtitleLabel::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    setAttribute(Qt::WA_OpaquePaintEvent, PaintsBackground());
    repaintNow();
}

void RSubtitleLabel::SetKeyColor(const QColor &color)
{
    m_keyColor = color;
    setAttribute(Qt::WA_OpaquePaintEvent, PaintsBackground());
    repaintNow();
}

bool RSubtitleLabel::PaintsBackground() const
{
    if (m_transparent)
        return false;
    return !(m_keyColor.isValid() && Color().rgb() == m_keyColor.rgb());
}

CaptionStyle RSubtitleLabel::currentStyle() const
{
    CaptionStyle style;
    style.labelSize = size();
    style.devicePixelRatio = devicePixelRatioF();
    style.font = font();
    style.layout.alignment = m_alignment;
    style.layout.vAlignment = m_vAlignment;
    style.layout.wordWrap = m_wordWrap;
    style.bodyColor = isEnabled() ? FontColor() : DisabledTextColor();
    if (PaintsBackground())
        style.background = Color();
    style.outline = m_outline;
    style.outlineWidth = m_outlineWidth;
    style.outlineColor = m_outlineColor;
    style.shadow = m_shadow;
    style.shadowColor = m_shadowColor;
    return style;
}

// Captions change while the film plays; a deferred paint would show them a frame late.
void RSubtitleLabel::repaintNow()
{
    repaint();
}

void RSubtitleLabel::prepareNextCaption()
{
    m_prepared = {};
    if (m_nextCaption.isEmpty() || width() <= 0 || height() <= 0)
        return;
    const CaptionStyle style = currentStyle();
    m_prepared = {m_nextCaption, style, RenderCaption(m_nextCaption, style, m_inks), true};
}

// Over the software picture the label repaints with every frame: a caption is drawn once and
// copied to the screen from then on.
const CaptionImage &RSubtitleLabel::captionToShow(const CaptionStyle &style)
{
    if (m_prepared.shows(m_caption, style))
        return m_prepared.image;
    if (!m_shown.shows(m_caption, style)) {
        ++m_freshDrawings;
        m_shown = {m_caption, style, RenderCaption(m_caption, style, m_inks), true};
    }
    return m_shown.image;
}

void RSubtitleLabel::paintEvent(QPaintEvent *event)
{
    try {
        emit OnRePaint(this);
        const CaptionStyle style = currentStyle();
        const CaptionImage noCaption;
        const CaptionImage &caption = m_caption.isEmpty() ? noCaption : captionToShow(style);
        const qreal scale = style.devicePixelRatio;
        QPainter painter(this);
        if (style.background.isValid()) {
            // The caption's pixels hold the background under the text already.
            for (const QRect &rect : event->region() - wholePixelsCovered(caption, scale))
                painter.fillRect(rect, style.background);
        }
        if (!caption.pixels.isNull()) {
            // Pixel for pixel: the caption was drawn at the screen's resolution.
            painter.scale(1 / scale, 1 / scale);
            painter.drawImage(caption.topLeft, caption.pixels);
        }
    } catch (const std::exception &error) {
        qCWarning(lcPresentation) << "Subtitle label paint failed:" << error.what();
    } catch (...) {
        qCWarning(lcPresentation) << "Subtitle label paint failed";
    }
}

void RSubtitleLabel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_prepared = {};
}

void RSubtitleLabel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        setAttribute(Qt::WA_OpaquePaintEvent, PaintsBackground());
}

void RSubtitleLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

void RSubtitleLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    QWidget::mouseDoubleClickEvent(event);
    emit DblClick();
}

} // namespace duvara
