#pragma once

#include "presentation/subtitle_layout.h"

#include <QCache>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QSize>

namespace duvara {

// Everything besides its text that decides how a caption is drawn.
struct CaptionStyle
{
    QSize labelSize;
    qreal devicePixelRatio = 1;
    QFont font;
    SubtitleLayoutOptions layout;
    QColor bodyColor;
    QColor background; // invalid when the picture below shows instead
    bool outline = true;
    int outlineWidth = 1; // half the pen's width
    QColor outlineColor;
    bool shadow = false;
    QColor shadowColor;
    bool operator==(const CaptionStyle &other) const;
};

// A drawn caption: the part of the label that its shadow, outline and body cover, over the
// label's background, in device pixels. The rest of the label is plain background.
struct CaptionImage
{
    QImage pixels; // null when the caption leaves no ink
    QPoint topLeft; // device pixels from the label's top left corner
};

// Shadow, outline and body of single glyphs, each drawn once at a quarter-pixel position and
// copied into every later caption that shows the same letter there. Subtitles repeat a few dozen
// letters, and stroking a glyph's contour costs some fifty times more than copying its pixels.
class GlyphInkCache
{
public:
    // The colours and pen a glyph's ink is drawn with, in device pixels.
    struct Style
    {
        qreal scale = 1;
        qreal penWidth = 0; // no outline when 0
        bool shadow = false;
        QRgb bodyColor = 0;
        QRgb outlineColor = 0;
        QRgb shadowColor = 0;
        bool operator==(const Style &other) const;
    };
    struct Ink
    {
        QImage shadow; // the outline's or, without one, the body's shape
        QImage outline;
        QImage body; // null for a glyph without ink, a blank
        // Top left corners, from the glyph's whole-pixel origin.
        QPoint shadowAt;
        QPoint outlineAt;
        QPoint bodyAt;
    };

    static constexpr int kSubpixelSteps = 4;

    // The ink of a glyph whose origin lies x and y steps of a kSubpixelSteps-th of a pixel right
    // of and below a whole pixel, with phase = x + kSubpixelSteps * y.
    Ink ink(const PlacedGlyph &glyph, int phase, const Style &style);

private:
    struct Key
    {
        QRawFont font;
        quint32 index = 0;
        int phase = 0;
        Style style;
        bool operator==(const Key &other) const;
    };
    friend size_t qHash(const Key &key, size_t seed);

    // Bounds the memory: at full-screen size a letter's ink takes some 70 KB.
    QCache<Key, Ink> m_inks {16 * 1024}; // kilobytes
};

// Draws a caption as the label shows it: the shadow of every glyph under the outline of every
// glyph under the body of every glyph.
CaptionImage RenderCaption(const QString &text, const CaptionStyle &style, GlyphInkCache &inks);

} // namespace duvara
