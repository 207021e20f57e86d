// A small segment display like those on the front of a stereo: fourteen segments to a
// character, the unlit ones faintly visible, and text too long for it scrolling through.
#pragma once

#include <QColor>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>

namespace duvara {

// The segments of one character cell, one bit each. The middle bar is two halves and the
// centre has an upper and a lower vertical, so that letters like K, M, N and X can be formed.
enum Segment : std::uint16_t {
    SegTop = 1 << 0,
    SegUpperRight = 1 << 1,
    SegLowerRight = 1 << 2,
    SegBottom = 1 << 3,
    SegLowerLeft = 1 << 4,
    SegUpperLeft = 1 << 5,
    SegMiddleLeft = 1 << 6,
    SegMiddleRight = 1 << 7,
    SegDiagonalUpperLeft = 1 << 8,
    SegUpperCentre = 1 << 9,
    SegDiagonalUpperRight = 1 << 10,
    SegDiagonalLowerLeft = 1 << 11,
    SegLowerCentre = 1 << 12,
    SegDiagonalLowerRight = 1 << 13,
    SegDot = 1 << 14,
    SegColon = 1 << 15,
};

// The lit segments that show a character. Small letters show as capitals and accented letters
// as their base letter; a character the segments cannot form shows as a small box, so that
// the reader still sees that something stands there.
std::uint16_t SegmentsFor(QChar c);

class SegmentDisplay : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kCellWidth = 9;

    explicit SegmentDisplay(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    // Shows the text from its start; a scrolling display starts scrolling it again.
    void setText(const QString &text);
    void setCentred(bool centred);
    // Text longer than the display moves through it one character at a time while the
    // display is on screen.
    void setScrolling(bool scrolling);
    void setColors(const QColor &lit, const QColor &unlit, const QColor &background);

    int cellCount() const;
    // What the cells show now, one character a cell (blank cells as blanks).
    QString shownText() const;
    // Moves scrolling text on by one character.
    void scrollStep();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool textMoves() const;
    void updateScrollTimer();

    QString m_text;
    bool m_centred = false;
    bool m_scrolling = false;
    int m_offset = 0;
    QColor m_lit;
    QColor m_unlit;
    QColor m_background;
    QTimer m_scrollTimer;
};

} // namespace duvara
