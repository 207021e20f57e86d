#include "controls/segment_display.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace duvara {

namespace {

constexpr int kScrollInterval = 350;
// Scrolling text comes round again after this gap.
const QString kScrollGap = QStringLiteral("   ");

// Segments written as letters, so that the table below can be read: a top, b upper right,
// c lower right, d bottom, e lower left, f upper left, g and h the middle bar's left and right
// halves, i and k the upper diagonals, j the upper centre, l and n the lower diagonals, m the
// lower centre, "." the dot and ":" the colon.
constexpr std::uint16_t segments(const char *letters)
{
    std::uint16_t bits = 0;
    for (const char *at = letters; *at; ++at) {
        switch (*at) {
        case 'a':
            bits |= SegTop;
            break;
        case 'b':
            bits |= SegUpperRight;
            break;
        case 'c':
            bits |= SegLowerRight;
            break;
        case 'd':
            bits |= SegBottom;
            break;
        case 'e':
            bits |= SegLowerLeft;
            break;
        case 'f':
            bits |= SegUpperLeft;
            break;
        case 'g':
            bits |= SegMiddleLeft;
            break;
        case 'h':
            bits |= SegMiddleRight;
            break;
        case 'i':
            bits |= SegDiagonalUpperLeft;
            break;
        case 'j':
            bits |= SegUpperCentre;
            break;
        case 'k':
            bits |= SegDiagonalUpperRight;
            break;
        case 'l':
            bits |= SegDiagonalLowerLeft;
            break;
        case 'm':
            bits |= SegLowerCentre;
            break;
        case 'n':
            bits |= SegDiagonalLowerRight;
            break;
        case '.':
            bits |= SegDot;
            break;
        case ':':
            bits |= SegColon;
            break;
        default:
            break;
        }
    }
    return bits;
}

constexpr std::uint16_t kBox = segments("cdegh");

// Characters 32 to 95; small letters take their capital's row.
constexpr std::array<std::uint16_t, 64> kAscii = {
    segments(""), // space
    segments("bc."), // !
    segments("fj"), // "
    segments("bcdghjm"), // #
    segments("acdfghjm"), // $
    segments("cfghkl"), // %
    segments("adeigkn"), // &
    segments("j"), // '
    segments("kn"), // (
    segments("il"), // )
    segments("ghijklmn"), // *
    segments("ghjm"), // +
    segments("l"), // ,
    segments("gh"), // -
    segments("."), // .
    segments("kl"), // /
    segments("abcdefkl"), // 0
    segments("bck"), // 1
    segments("abdegh"), // 2
    segments("abcdh"), // 3
    segments("bcfgh"), // 4
    segments("acdfgh"), // 5
    segments("acdefgh"), // 6
    segments("abc"), // 7
    segments("abcdefgh"), // 8
    segments("abcdfgh"), // 9
    segments(":"), // :
    segments("jl"), // ;
    segments("kn"), // <
    segments("dgh"), // =
    segments("il"), // >
    segments("abhm"), // ?
    segments("abdefhj"), // @
    segments("abcefgh"), // A
    segments("abcdhjm"), // B
    segments("adef"), // C
    segments("abcdjm"), // D
    segments("adefg"), // E
    segments("aefg"), // F
    segments("acdefh"), // G
    segments("bcefgh"), // H
    segments("adjm"), // I
    segments("bcde"), // J
    segments("efgkn"), // K
    segments("def"), // L
    segments("bcefik"), // M
    segments("bcefin"), // N
    segments("abcdef"), // O
    segments("abefgh"), // P
    segments("abcdefn"), // Q
    segments("abefghn"), // R
    segments("acdhi"), // S
    segments("ajm"), // T
    segments("bcdef"), // U
    segments("efkl"), // V
    segments("bcefln"), // W
    segments("ikln"), // X
    segments("ikm"), // Y
    segments("adkl"), // Z
    segments("adef"), // [
    segments("in"), // backslash
    segments("abcd"), // ]
    segments("ln"), // ^
    segments("d"), // _
};

std::uint16_t asciiSegments(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        c = char16_t(c - u'a' + u'A');
    switch (c) {
    case u'`':
        return segments("i");
    case u'{':
        return segments("adefg");
    case u'|':
        return segments("jm");
    case u'}':
        return segments("abcdh");
    case u'~':
        return segments("gh");
    default:
        break;
    }
    if (c >= 32 && c < 96)
        return kAscii[std::size_t(c - 32)];
    return kBox;
}

// Where each segment runs in a character box of width w and height h, as a line from one
// point to another, in the order of the bits.
struct SegmentLine
{
    QPointF from;
    QPointF to;
};

std::array<SegmentLine, 14> segmentLines(qreal w, qreal h)
{
    const qreal gap = 0.9;
    const qreal mid = h / 2;
    const qreal centre = w / 2;
    return {{
        {{gap, 0}, {w - gap, 0}},
        {{w, gap}, {w, mid - gap}},
        {{w, mid + gap}, {w, h - gap}},
        {{gap, h}, {w - gap, h}},
        {{0, mid + gap}, {0, h - gap}},
        {{0, gap}, {0, mid - gap}},
        {{gap, mid}, {centre - gap / 2, mid}},
        {{centre + gap / 2, mid}, {w - gap, mid}},
        {{gap, gap}, {centre - gap / 2, mid - gap}},
        {{centre, gap}, {centre, mid - gap}},
        {{w - gap, gap}, {centre + gap / 2, mid - gap}},
        {{centre - gap / 2, mid + gap}, {gap, h - gap}},
        {{centre, mid + gap}, {centre, h - gap}},
        {{centre + gap / 2, mid + gap}, {w - gap, h - gap}},
    }};
}

} // namespace

std::uint16_t SegmentsFor(QChar c)
{
    if (c.unicode() < 128)
        return asciiSegments(c.unicode());
    // An accented letter shows its base letter.
    const QString decomposed = QString(c).normalized(QString::NormalizationForm_D);
    if (!decomposed.isEmpty() && decomposed.at(0).unicode() < 128
        && decomposed.at(0).isLetterOrNumber())
        return asciiSegments(decomposed.at(0).unicode());
    return kBox;
}

SegmentDisplay::SegmentDisplay(QWidget *parent)
    : QWidget(parent)
    , m_lit(Qt::yellow)
    , m_unlit(Qt::darkRed)
    , m_background(Qt::black)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_scrollTimer.setObjectName(QStringLiteral("TimerScroll"));
    m_scrollTimer.setParent(this);
    m_scrollTimer.setInterval(kScrollInterval);
    connect(&m_scrollTimer, &QTimer::timeout, this, &SegmentDisplay::scrollStep);
}

void SegmentDisplay::setText(const QString &text)
{
    // One cell for each character, also for those outside the basic plane.
    QString cells;
    for (const char32_t c : text.toUcs4())
        cells += c > 0xFFFF ? QChar(QChar::ReplacementCharacter) : QChar(char16_t(c));
    if (cells == m_text)
        return;
    m_text = cells;
    m_offset = 0;
    updateScrollTimer();
    update();
}

void SegmentDisplay::setCentred(bool centred)
{
    m_centred = centred;
    update();
}

void SegmentDisplay::setScrolling(bool scrolling)
{
    m_scrolling = scrolling;
    m_offset = 0;
    updateScrollTimer();
    update();
}

void SegmentDisplay::setColors(const QColor &lit, const QColor &unlit, const QColor &background)
{
    m_lit = lit;
    m_unlit = unlit;
    m_background = background;
    update();
}

int SegmentDisplay::cellCount() const
{
    return std::max(0, width() / kCellWidth);
}

bool SegmentDisplay::textMoves() const
{
    return m_scrolling && m_text.size() > cellCount();
}

QString SegmentDisplay::shownText() const
{
    const int cells = cellCount();
    if (textMoves()) {
        const QString loop = m_text + kScrollGap;
        QString shown;
        for (int i = 0; i < cells; ++i)
            shown += loop.at((m_offset + i) % loop.size());
        return shown;
    }
    const QString text = m_text.left(cells);
    const int before = m_centred ? (cells - int(text.size())) / 2 : 0;
    return QString(before, QLatin1Char(' ')) + text
        + QString(cells - before - int(text.size()), QLatin1Char(' '));
}

void SegmentDisplay::scrollStep()
{
    if (!textMoves())
        return;
    m_offset = (m_offset + 1) % int(m_text.size() + kScrollGap.size());
    update();
}

// The timer runs only while there is something to move on screen.
void SegmentDisplay::updateScrollTimer()
{
    if (textMoves() && isVisible())
        m_scrollTimer.start();
    else
        m_scrollTimer.stop();
}

void SegmentDisplay::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateScrollTimer();
}

void SegmentDisplay::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateScrollTimer();
}

void SegmentDisplay::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateScrollTimer();
}

void SegmentDisplay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    painter.setRenderHint(QPainter::Antialiasing);

    const QString shown = shownText();
    const int cells = cellCount();
    const qreal margin = (width() - cells * kCellWidth) / 2.0;
    const qreal glyphWidth = kCellWidth - 3.5;
    const qreal glyphHeight = height() - 4.5;
    const auto lines = segmentLines(glyphWidth, glyphHeight);
    // Segment displays lean a little, which also keeps the diagonals apart from the verticals.
    constexpr qreal lean = 0.08;

    // Lit segments are drawn a little bolder than the unlit ones behind them, as they glow.
    QPen litPen(m_lit, 1.6, Qt::SolidLine, Qt::RoundCap);
    QPen unlitPen(m_unlit, 1.1, Qt::SolidLine, Qt::RoundCap);
    for (int cell = 0; cell < cells; ++cell) {
        const std::uint16_t lit = SegmentsFor(shown.at(cell));
        painter.save();
        painter.translate(margin + cell * kCellWidth + 1.5, 2.25);
        painter.setTransform(QTransform(1, 0, -lean, 1, lean * glyphHeight, 0), true);
        for (const bool drawingLit : {false, true}) {
            painter.setPen(drawingLit ? litPen : unlitPen);
            for (std::size_t s = 0; s < lines.size(); ++s) {
                if (bool(lit & (1u << s)) == drawingLit)
                    painter.drawLine(lines[s].from, lines[s].to);
            }
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(lit & SegDot ? m_lit : m_unlit);
        painter.drawEllipse(QPointF(glyphWidth + 1.3, glyphHeight), 0.7, 0.7);
        if (lit & SegColon) {
            painter.setBrush(m_lit);
            painter.drawEllipse(QPointF(glyphWidth / 2, glyphHeight * 0.3), 0.8, 0.8);
            painter.drawEllipse(QPointF(glyphWidth / 2, glyphHeight * 0.72), 0.8, 0.8);
        }
        painter.restore();
    }
}

} // namespace duvara
