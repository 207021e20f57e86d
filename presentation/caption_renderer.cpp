#include "presentation/caption_renderer.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <memory>

namespace duvara {

bool CaptionStyle::operator==(const CaptionStyle &other) const
{
    return labelSize == other.labelSize && devicePixelRatio == other.devicePixelRatio
        && font == other.font && layout == other.layout && bodyColor == other.bodyColor
        && background == other.background && outline == other.outline
        && outlineWidth == other.outlineWidth && outlineColor == other.outlineColor
        && shadow == other.shadow && shadowColor == other.shadowColor;
}

bool GlyphInkCache::Style::operator==(const Style &other) const
{
    return scale == other.scale && penWidth == other.penWidth && shadow == other.shadow
        && bodyColor == other.bodyColor && outlineColor == other.outlineColor
        && shadowColor == other.shadowColor;
}

bool GlyphInkCache::Key::operator==(const Key &other) const
{
    return index == other.index && phase == other.phase && style == other.style
        && font == other.font;
}

size_t qHash(const GlyphInkCache::Key &key, size_t seed)
{
    const GlyphInkCache::Style &style = key.style;
    return qHashMulti(seed, key.font, key.index, key.phase, style.scale, style.penWidth,
                      style.shadow, style.bodyColor, style.outlineColor, style.shadowColor);
}

namespace {

// A glyph's shape, filled or stroked, in an image just large enough for it.
struct Shape
{
    QImage image;
    QPoint at;
};

Shape drawShape(const QPainterPath &glyph, QRgb color, qreal penWidth = 0)
{
    const qreal grow = penWidth / 2;
    // A pixel more on every side for the antialiased edge.
    const QRect box = glyph.boundingRect()
                          .adjusted(-grow, -grow, grow, grow)
                          .toAlignedRect()
                          .adjusted(-1, -1, 1, 1);
    QImage image(box.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-box.topLeft());
    if (penWidth > 0)
        painter.strokePath(
            glyph,
            QPen(QColor::fromRgba(color), penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    else
        painter.fillPath(glyph, QColor::fromRgba(color));
    return {image, box.topLeft()};
}

// A shape drawn in an opaque colour again in another one: its alpha is the shape's coverage.
// Cheaper than drawing the shape again, and than any composition mode of the painter.
QImage recoloured(const QImage &opaqueShape, QRgb color)
{
    const QRgb premultiplied = qPremultiply(color);
    auto scaled = [](uint channel, uint coverage) {
        return (channel * coverage + 127) / 255;
    };
    QImage result(opaqueShape.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < result.height(); ++y) {
        const auto *from = reinterpret_cast<const QRgb *>(opaqueShape.constScanLine(y));
        auto *to = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const uint coverage = qAlpha(from[x]);
            to[x] = qRgba(
                scaled(qRed(premultiplied), coverage), scaled(qGreen(premultiplied), coverage),
                scaled(qBlue(premultiplied), coverage), scaled(qAlpha(premultiplied), coverage));
        }
    }
    return result;
}

GlyphInkCache::Ink drawInk(const PlacedGlyph &glyph, int phase, const GlyphInkCache::Style &style)
{
    constexpr int steps = GlyphInkCache::kSubpixelSteps;
    QPainterPath path = glyph.font.pathForGlyph(glyph.index);
    if (path.isEmpty())
        return {};
    path = QTransform::fromScale(style.scale, style.scale).map(path);
    path.translate(qreal(phase % steps) / steps, qreal(phase / steps) / steps);

    const bool outline = style.penWidth > 0;
    const Shape body = drawShape(path, style.bodyColor);
    const Shape stroke = outline ? drawShape(path, style.outlineColor, style.penWidth) : Shape {};
    GlyphInkCache::Ink ink;
    if (style.shadow) {
        // Under an outline the shadow is a thick contour, without one a copy of the body.
        Shape shape = outline ? stroke : body;
        if (qAlpha(outline ? style.outlineColor : style.bodyColor) != 255)
            shape = drawShape(path, qRgb(0, 0, 0), style.penWidth);
        ink.shadow = recoloured(shape.image, style.shadowColor);
        ink.shadowAt = shape.at;
    }
    ink.outline = stroke.image;
    ink.outlineAt = stroke.at;
    ink.body = body.image;
    ink.bodyAt = body.at;
    return ink;
}

qsizetype costInKilobytes(const GlyphInkCache::Ink &ink)
{
    return 1
        + (ink.shadow.sizeInBytes() + ink.outline.sizeInBytes() + ink.body.sizeInBytes()) / 1024;
}

int floorDiv(int value, int divisor)
{
    return (value >= 0 ? value : value - divisor + 1) / divisor;
}

// Where a glyph whose origin lies at a device position goes: the whole pixel and the
// quarter-pixel phase that its ink was drawn at.
struct Placement
{
    QPoint pixel;
    int phase = 0;
};

Placement place(const QPointF &device)
{
    constexpr int steps = GlyphInkCache::kSubpixelSteps;
    const int x = qRound(device.x() * steps);
    const int y = qRound(device.y() * steps);
    const QPoint pixel(floorDiv(x, steps), floorDiv(y, steps));
    return {pixel, (x - pixel.x() * steps) + steps * (y - pixel.y() * steps)};
}

struct Blit
{
    QPoint at;
    QImage image;
};

} // namespace

GlyphInkCache::Ink GlyphInkCache::ink(const PlacedGlyph &glyph, int phase, const Style &style)
{
    const Key key {glyph.font, glyph.index, phase, style};
    if (const Ink *cached = m_inks.object(key))
        return *cached;
    auto ink = std::make_unique<Ink>(drawInk(glyph, phase, style));
    const Ink drawn = *ink;
    m_inks.insert(key, ink.release(), costInKilobytes(drawn));
    return drawn;
}

CaptionImage RenderCaption(const QString &text, const CaptionStyle &style, GlyphInkCache &inks)
{
    if (text.isEmpty())
        return {};
    const qreal scale = style.devicePixelRatio;
    GlyphInkCache::Style inkStyle;
    inkStyle.scale = scale;
    inkStyle.penWidth = style.outline ? 2 * style.outlineWidth * scale : 0;
    inkStyle.shadow = style.shadow;
    inkStyle.bodyColor = style.bodyColor.rgba();
    inkStyle.outlineColor = style.outlineColor.rgba();
    inkStyle.shadowColor = style.shadowColor.rgba();
    const int offset = ShadowOffset(SubtitleFontSize(style.font), style.outline);
    const QPointF shadowShift(offset, offset);

    const SubtitleLayout layout = LayoutSubtitle(text, style.font, style.labelSize, style.layout);
    QList<Blit> shadows;
    QList<Blit> outlines;
    QList<Blit> bodies;
    QRect box;
    auto add = [&box](QList<Blit> &blits, QPoint at, const QImage &image) {
        blits.append({at, image});
        box |= QRect(at, image.size());
    };
    for (const PlacedGlyph &glyph : SubtitleGlyphs(layout, style.font)) {
        const Placement at = place(glyph.origin * scale);
        const GlyphInkCache::Ink ink = inks.ink(glyph, at.phase, inkStyle);
        if (ink.body.isNull())
            continue;
        add(bodies, at.pixel + ink.bodyAt, ink.body);
        if (style.outline)
            add(outlines, at.pixel + ink.outlineAt, ink.outline);
        if (style.shadow) {
            // The offset is whole logical pixels, which need not be whole device pixels.
            const Placement shadowAt = place((glyph.origin + shadowShift) * scale);
            const GlyphInkCache::Ink shadowInk
                = shadowAt.phase == at.phase ? ink : inks.ink(glyph, shadowAt.phase, inkStyle);
            add(shadows, shadowAt.pixel + shadowInk.shadowAt, shadowInk.shadow);
        }
    }
    box &= QRect(QPoint(), (QSizeF(style.labelSize) * scale).toSize());
    if (box.isEmpty())
        return {};

    // An opaque label's pixels go to the screen as a plain copy.
    CaptionImage caption;
    caption.topLeft = box.topLeft();
    caption.pixels = QImage(box.size(),
                            style.background.isValid() ? QImage::Format_RGB32
                                                       : QImage::Format_ARGB32_Premultiplied);
    caption.pixels.fill(style.background.isValid() ? style.background : QColor(Qt::transparent));
    QPainter painter(&caption.pixels);
    painter.translate(-box.topLeft());
    for (const QList<Blit> *layer : {&shadows, &outlines, &bodies}) {
        for (const Blit &blit : *layer)
            painter.drawImage(blit.at, blit.image);
    }
    return caption;
}

} // namespace duvara
