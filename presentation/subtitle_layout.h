#pragma once

#include <QFont>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QRectF>
#include <QSize>
#include <QString>

namespace duvara {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };

// Round to the nearest integer, halves to even.
int RoundHalfEven(double value);

// The font size in points, used by the label as a number of pixels for its spacing. A font given
// in pixels converts at 96 dots per inch, as the window resources were made.
int SubtitleFontSize(const QFont &font);

// Top of a word-wrapped block of blockHeight pixels in a label of labelHeight pixels.
int WrappedBlockTop(TTextLayout align, int labelHeight, int blockHeight, int fontSize);

// How far right and down the shadow lies from the text.
int ShadowOffset(int fontSize, bool outline);

// The text as the label lays it out: one entry per line (a "\n" in the caption or a word break
// starts a new one), each with its left and top edge in label coordinates.
struct SubtitleLayout
{
    struct Line
    {
        QString text;
        QPointF topLeft;
        qreal width = 0;
    };
    QList<Line> lines;
    qreal lineHeight = 0;
    qreal ascent = 0;
    QRectF block; // the lines' bounding box
};

struct SubtitleLayoutOptions
{
    TAlignment alignment = TAlignment::taCenter;
    TTextLayout vAlignment = TTextLayout::tlCenter;
    bool wordWrap = true;
    bool operator==(const SubtitleLayoutOptions &other) const
    {
        return alignment == other.alignment && vAlignment == other.vAlignment
            && wordWrap == other.wordWrap;
    }
};

SubtitleLayout LayoutSubtitle(const QString &text, const QFont &font, const QSize &labelSize,
                              const SubtitleLayoutOptions &options);

// One glyph of a laid-out text: the font that holds it, its index there, and its origin on the
// baseline in label coordinates.
struct PlacedGlyph
{
    QRawFont font;
    quint32 index = 0;
    QPointF origin;
};

QList<PlacedGlyph> SubtitleGlyphs(const SubtitleLayout &layout, const QFont &font);

} // namespace duvara
