#include "presentation/subtitle_label.h"

#include "presentation/presentation_logging.h"

#include <QMouseEvent>
#include <QPainter>

#include <exception>

namespace duvara {

bool RSubtitleLabel::Look::operator==(const Look &other) const
{
    return size == other.size && devicePixelRatio == other.devicePixelRatio && font == other.font
        && bodyColor == other.bodyColor && background == other.background
        && alignment == other.alignment && vAlignment == other.vAlignment
        && wordWrap == other.wordWrap && shadow == other.shadow && outline == other.outline
        && outlineWidth == other.outlineWidth && outlineColor == other.outlineColor
        && shadowColor == other.shadowColor;
}

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

RSubtitleLabel::Look RSubtitleLabel::currentLook() const
{
    Look look;
    look.size = size();
    look.devicePixelRatio = devicePixelRatioF();
    look.font = font();
    look.bodyColor = isEnabled() ? FontColor() : DisabledTextColor();
    if (PaintsBackground())
        look.background = Color();
    look.alignment = m_alignment;
    look.vAlignment = m_vAlignment;
    look.wordWrap = m_wordWrap;
    look.shadow = m_shadow;
    look.outline = m_outline;
    look.outlineWidth = m_outlineWidth;
    look.outlineColor = m_outlineColor;
    look.shadowColor = m_shadowColor;
    return look;
}

// Captions change while the film plays; a deferred paint would show them a frame late.
void RSubtitleLabel::repaintNow()
{
    repaint();
}

void RSubtitleLabel::resizeImage(QImage &image, const Look &look)
{
    // An opaque label copies plain pixels; only one over the picture needs an alpha channel.
    const QImage::Format format
        = look.background.isValid() ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
    const QSize pixels = (QSizeF(look.size) * look.devicePixelRatio).toSize();
    if (image.size() != pixels || image.format() != format)
        image = QImage(pixels, format);
    image.setDevicePixelRatio(look.devicePixelRatio);
}

void RSubtitleLabel::refreshBackground(const Look &look)
{
    const QColor fill = look.background.isValid() ? look.background : QColor(Qt::transparent);
    const QImage::Format format = m_backgroundImage.format();
    const QSize pixels = m_backgroundImage.size();
    resizeImage(m_backgroundImage, look);
    // Captions change many times a second over a background that hardly ever does.
    if (m_backgroundImage.format() == format && m_backgroundImage.size() == pixels
        && m_backgroundFill == fill)
        return;
    // Without a background of its own the label is drawn over whatever lies below it.
    m_backgroundImage.fill(fill);
    m_backgroundFill = fill;
}

void RSubtitleLabel::prepareNextCaption()
{
    m_prepared = false;
    if (m_nextCaption.isEmpty() || width() <= 0 || height() <= 0)
        return;
    const Look look = currentLook();
    refreshBackground(look);
    resizeImage(m_preparedImage, look);
    {
        QPainter copy(&m_preparedImage);
        copy.setCompositionMode(QPainter::CompositionMode_Source);
        copy.drawImage(0, 0, m_backgroundImage);
    }
    renderText(m_nextCaption, m_preparedImage, look);
    m_preparedLook = look;
    m_prepared = true;
}

void RSubtitleLabel::renderText(const QString &text, QImage &target, const Look &look) const
{
    if (text.isEmpty())
        return;
    SubtitleLayoutOptions options;
    options.alignment = look.alignment;
    options.vAlignment = look.vAlignment;
    options.wordWrap = look.wordWrap;
    // Glyph by glyph: Qt's rasteriser slows down badly on one large path (a two-line caption at
    // full-screen size took 18 ms to stroke and 3 ms to fill), glyph by glyph it is 3 and 0.4 ms.
    // The stroke of a text is the union of the strokes of its glyphs, so nothing else changes.
    const QList<QPainterPath> glyphs
        = SubtitleGlyphPaths(LayoutSubtitle(text, look.font, look.size, options), look.font);
    const int fontSize = SubtitleFontSize(look.font);

    QPainter painter(&target);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPen pen(look.outlineColor, 2 * look.outlineWidth, Qt::SolidLine, Qt::RoundCap,
                   Qt::RoundJoin);
    if (look.shadow) {
        const int offset = ShadowOffset(fontSize, look.outline);
        painter.save();
        painter.translate(offset, offset);
        if (look.outline) {
            // A thick contour under the outline, not a solid copy of the text.
            QPen shadowPen = pen;
            shadowPen.setColor(look.shadowColor);
            for (const QPainterPath &glyph : glyphs)
                painter.strokePath(glyph, shadowPen);
        } else {
            for (const QPainterPath &glyph : glyphs)
                painter.fillPath(glyph, look.shadowColor);
        }
        painter.restore();
    }
    // The pen straddles each contour; the body below covers its inner half.
    if (look.outline) {
        for (const QPainterPath &glyph : glyphs)
            painter.strokePath(glyph, pen);
    }
    // The body is filled from the same contours, so it sits exactly inside its outline.
    for (const QPainterPath &glyph : glyphs)
        painter.fillPath(glyph, look.bodyColor);
}

void RSubtitleLabel::paintEvent(QPaintEvent *)
{
    try {
        emit OnRePaint(this);
        const Look look = currentLook();
        refreshBackground(look);
        QPainter painter(this);
        if (!m_caption.isEmpty() && m_prepared && m_nextCaption == m_caption
            && m_preparedLook == look) {
            painter.drawImage(0, 0, m_preparedImage);
            return;
        }
        resizeImage(m_frameImage, look);
        {
            QPainter copy(&m_frameImage);
            copy.setCompositionMode(QPainter::CompositionMode_Source);
            copy.drawImage(0, 0, m_backgroundImage);
        }
        renderText(m_caption, m_frameImage, look);
        painter.drawImage(0, 0, m_frameImage);
    } catch (const std::exception &error) {
        qCWarning(lcPresentation) << "Subtitle label paint failed:" << error.what();
    } catch (...) {
        qCWarning(lcPresentation) << "Subtitle label paint failed";
    }
}

void RSubtitleLabel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_prepared = false;
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
