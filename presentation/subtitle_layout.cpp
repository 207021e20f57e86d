#include "presentation/subtitle_layout.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include <cmath>

namespace duvara {

int RoundHalfEven(double value)
{
    // nearbyint follows the current rounding mode, which is round-to-nearest-even unless changed.
    return static_cast<int>(std::nearbyint(value));
}

int SubtitleFontSize(const QFont &font)
{
    if (font.pointSizeF() > 0)
        return RoundHalfEven(font.pointSizeF());
    if (font.pixelSize() > 0)
        return RoundHalfEven(font.pixelSize() * 72.0 / 96.0);
    return 0;
}

int WrappedBlockTop(TTextLayout align, int labelHeight, int blockHeight, int fontSize)
{
    switch (align) {
    case TTextLayout::tlTop:
        return RoundHalfEven(fontSize / 4.0);
    case TTextLayout::tlCenter:
        return RoundHalfEven((labelHeight - blockHeight) / 2.0);
    case TTextLayout::tlBottom:
        break;
    }
    return labelHeight - blockHeight - RoundHalfEven(fontSize / 2.0);
}

int ShadowOffset(int fontSize, bool outline)
{
    return outline ? RoundHalfEven(fontSize / 10.0) : RoundHalfEven(fontSize / 15.0);
}

namespace {

qreal lineLeft(TAlignment alignment, int labelWidth, qreal lineWidth)
{
    switch (alignment) {
    case TAlignment::taLeftJustify:
        return 0;
    case TAlignment::taRightJustify:
        return std::floor(labelWidth - lineWidth);
    case TAlignment::taCenter:
        break;
    }
    return std::floor((labelWidth - lineWidth) / 2);
}

// The line text without the trailing blanks and separators the line breaker leaves on it.
QString visibleText(QString text)
{
    while (!text.isEmpty() && (text.back().isSpace() || text.back() == QChar::LineSeparator))
        text.chop(1);
    return text;
}

} // namespace

SubtitleLayout LayoutSubtitle(const QString &text, const QFont &font, const QSize &labelSize,
                              const SubtitleLayoutOptions &options)
{
    const QFontMetrics metrics(font);
    SubtitleLayout result;
    result.lineHeight = metrics.height();
    result.ascent = metrics.ascent();
    if (text.isEmpty())
        return result;

    const int width = labelSize.width();
    const int height = labelSize.height();
    if (options.wordWrap) {
        QString wrapped = text;
        wrapped.replace(QLatin1Char('\n'), QChar::LineSeparator);
        QTextLayout layout(wrapped, font);
        QTextOption textOption;
        textOption.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(textOption);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(qMax(width, 1));
            SubtitleLayout::Line entry;
            entry.text = visibleText(wrapped.mid(line.textStart(), line.textLength()));
            entry.width = entry.text.isEmpty() ? 0 : metrics.horizontalAdvance(entry.text);
            result.lines.append(entry);
        }
        layout.endLayout();

        const int blockHeight = int(result.lines.size()) * metrics.height();
        const int top
            = WrappedBlockTop(options.vAlignment, height, blockHeight, SubtitleFontSize(font));
        for (int i = 0; i < result.lines.size(); ++i) {
            SubtitleLayout::Line &line = result.lines[i];
            line.topLeft = QPointF(lineLeft(options.alignment, width, line.width),
                                   top + i * metrics.height());
        }
    } else {
        // One line: line breaks inside the caption are only blanks here.
        SubtitleLayout::Line line;
        line.text = text;
        line.text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        line.width = metrics.horizontalAdvance(line.text);
        int top = 0;
        if (options.vAlignment == TTextLayout::tlCenter)
            top = (height - metrics.height()) / 2;
        else if (options.vAlignment == TTextLayout::tlBottom)
            top = height - metrics.height();
        line.topLeft = QPointF(lineLeft(options.alignment, width, line.width), top);
        result.lines.append(line);
    }

    for (const SubtitleLayout::Line &line : std::as_const(result.lines))
        result.block |= QRectF(line.topLeft, QSizeF(line.width, result.lineHeight));
    return result;
}

QList<PlacedGlyph> SubtitleGlyphs(const SubtitleLayout &layout, const QFont &font)
{
    QList<PlacedGlyph> glyphs;
    for (const SubtitleLayout::Line &line : layout.lines) {
        if (line.text.isEmpty())
            continue;
        QTextLayout shaper(line.text, font);
        QTextOption textOption;
        textOption.setWrapMode(QTextOption::NoWrap);
        shaper.setTextOption(textOption);
        shaper.beginLayout();
        QTextLine shaped = shaper.createLine();
        shaper.endLayout();
        if (!shaped.isValid())
            continue;
        // Glyph positions sit on the shaped line's baseline; ours is the font's ascent down.
        const QPointF origin = line.topLeft + QPointF(0, layout.ascent - shaped.ascent());
        const QList<QGlyphRun> runs = shaper.glyphRuns();
        for (const QGlyphRun &run : runs) {
            const QRawFont rawFont = run.rawFont();
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i)
                glyphs.append({rawFont, indexes[i], origin + positions[i]});
        }
    }
    return glyphs;
}

} // namespace duvara
