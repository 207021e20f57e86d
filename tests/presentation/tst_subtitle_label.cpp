#include "presentation/subtitle_label.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace duvara;

namespace {

const QColor kBackground(0, 0, 255);
const QColor kBody(255, 0, 0);
const QColor kShadow(0, 255, 0);
const QColor kPicture(255, 0, 0); // what lies below a label without a background

QFont captionFont(int points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(points);
    font.setBold(true);
    return font;
}

// A label in a plain picture-coloured parent, the way the subtitle panels hold them.
struct Scene
{
    QWidget parent;
    RSubtitleLabel *label;

    explicit Scene(const QSize &size, int points = 22)
    {
        parent.setAutoFillBackground(true);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, kPicture);
        parent.setPalette(pal);
        parent.resize(size);
        label = new RSubtitleLabel(&parent);
        label->setGeometry(QRect(QPoint(0, 0), size));
        label->setFont(captionFont(points));
        label->SetColor(kBackground);
        label->SetFontColor(kBody);
    }
    QImage grab() { return parent.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// Pixels whose one channel is at least half on while the other two are below half; antialiased
// edges then count the same on every copy of a shape moved by whole pixels.
bool dominated(QRgb pixel, const QColor &color)
{
    const bool r = qRed(pixel) >= 128, g = qGreen(pixel) >= 128, b = qBlue(pixel) >= 128;
    return r == (color.red() >= 128) && g == (color.green() >= 128) && b == (color.blue() >= 128);
}

QRect inkRect(const QImage &image, const std::function<bool(QRgb)> &match)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (match(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

int countExact(const QImage &image, const QColor &color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (color.rgb() & 0xFFFFFF) ? 1 : 0;
    }
    return count;
}

} // namespace

class TestSubtitleLabel : public QObject
{
    Q_OBJECT
private slots:
    void preparedCaptionMatchesDrawn_data();
    void preparedCaptionMatchesDrawn();
    void resizeDrawsAfresh();
    void lookChangeDiscardsPreparation();
    void shownCaptionFollowsLook_data();
    void shownCaptionFollowsLook();
    void nextCaptionLeavesScreen();
    void repaintRule_data();
    void repaintRule();

    void fontSize_data();
    void fontSize();
    void wrappedBlockTop_data();
    void wrappedBlockTop();
    void layoutLines_data();
    void layoutLines();
    void wrappedInkPlacement_data();
    void wrappedInkPlacement();

    void shadowOffset_data();
    void shadowOffset();
    void inkIsNotCut_data();
    void inkIsNotCut();
    void captionFollowsScreenResolution();
    void bodyColour_data();
    void bodyColour();
    void background_data();
    void background();
    void ampersandShown();
    void colourFollowsParent();
    void clicksPassOn();
};

void TestSubtitleLabel::preparedCaptionMatchesDrawn_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("outline");
    QTest::addColumn<bool>("shadow");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<bool>("keyed");

    const QString twoLines = QStringLiteral("The first line\nand the second one");
    QTest::newRow("plain") << twoLines << false << false << true << false;
    QTest::newRow("outline") << twoLines << true << false << true << false;
    QTest::newRow("outline and shadow") << twoLines << true << true << true << false;
    QTest::newRow("shadow only") << twoLines << false << true << true << false;
    QTest::newRow("single line") << twoLines << true << true << false << false;
    QTest::newRow("over the picture") << twoLines << true << true << true << true;
}

void TestSubtitleLabel::preparedCaptionMatchesDrawn()
{
    QFETCH(QString, text);
    QFETCH(bool, outline);
    QFETCH(bool, shadow);
    QFETCH(bool, wrap);
    QFETCH(bool, keyed);

    auto setUp = [&](Scene &scene) {
        scene.label->SetTextOutline(outline);
        scene.label->SetTextOutlineWidth(3);
        scene.label->SetTextShadow(shadow);
        scene.label->SetTextWordWrap(wrap);
        scene.label->SetTextVAlignment(TTextLayout::tlBottom);
        if (keyed)
            scene.label->SetKeyColor(kBackground);
    };
    Scene drawn(QSize(400, 150));
    setUp(drawn);
    drawn.label->SetTextCaption(text);

    Scene copied(QSize(400, 150));
    setUp(copied);
    copied.label->SetTextNextCaption(text);
    copied.label->SetTextCaption(text);

    const QImage expected = drawn.grab();
    QVERIFY(inkRect(expected, [](QRgb p) { return dominated(p, kBody); }).isValid());
    QCOMPARE(copied.grab(), expected);
}

void TestSubtitleLabel::resizeDrawsAfresh()
{
    const QString text = QStringLiteral("Centred");
    Scene prepared(QSize(300, 100));
    prepared.label->SetTextNextCaption(text);
    prepared.parent.resize(500, 100);
    prepared.label->resize(500, 100);
    prepared.label->SetTextCaption(text);

    Scene fresh(QSize(500, 100));
    fresh.label->SetTextCaption(text);
    QCOMPARE(prepared.grab(), fresh.grab());
}

// The next entry may come in another colour; its prepared image must not show the old one.
void TestSubtitleLabel::lookChangeDiscardsPreparation()
{
    const QColor yellow(255, 255, 0);
    Scene scene(QSize(300, 100), 30);
    scene.label->SetTextOutline(false);
    scene.label->SetTextNextCaption(QStringLiteral("HH"));
    scene.label->SetFontColor(yellow);
    scene.label->SetTextCaption(QStringLiteral("HH"));

    const QImage image = scene.grab();
    QVERIFY(countExact(image, yellow) > 0);
    QCOMPARE(countExact(image, kBody), 0);
}

// The caption on screen is kept for repaints; a change of look must not show the kept one.
void TestSubtitleLabel::shownCaptionFollowsLook_data()
{
    using Setter = std::function<void(RSubtitleLabel &)>;
    QTest::addColumn<Setter>("set");

    QTest::newRow("font colour") << Setter([](RSubtitleLabel &l) { l.SetFontColor(Qt::yellow); });
    QTest::newRow("disabled") << Setter([](RSubtitleLabel &l) { l.setEnabled(false); });
    QTest::newRow("outline colour")
        << Setter([](RSubtitleLabel &l) { l.SetTextOutlineColor(Qt::green); });
    QTest::newRow("font") << Setter([](RSubtitleLabel &l) { l.setFont(captionFont(30)); });
    QTest::newRow("background") << Setter([](RSubtitleLabel &l) { l.SetColor(Qt::gray); });
    QTest::newRow("size") << Setter([](RSubtitleLabel &l) { l.resize(250, 90); });
}

void TestSubtitleLabel::shownCaptionFollowsLook()
{
    using Setter = std::function<void(RSubtitleLabel &)>;
    QFETCH(Setter, set);
    const QString text = QStringLiteral("HIH");

    Scene shown(QSize(300, 100));
    shown.label->SetTextCaption(text);
    shown.grab();
    set(*shown.label);

    Scene fresh(QSize(300, 100));
    set(*fresh.label);
    fresh.label->SetTextCaption(text);
    QCOMPARE(shown.grab(), fresh.grab());
}

void TestSubtitleLabel::nextCaptionLeavesScreen()
{
    Scene scene(QSize(300, 100));
    scene.label->SetTextCaption(QStringLiteral("Now"));
    const QImage before = scene.grab();
    scene.label->SetTextNextCaption(QStringLiteral("Later"));
    QCOMPARE(scene.grab(), before);
    QCOMPARE(scene.label->TextCaption(), QStringLiteral("Now"));
}

void TestSubtitleLabel::repaintRule_data()
{
    using Setter = std::function<void(RSubtitleLabel &)>;
    QTest::addColumn<Setter>("set");
    QTest::addColumn<int>("paints");

    QTest::newRow("new caption") << Setter([](RSubtitleLabel &l) { l.SetTextCaption("b"); }) << 1;
    QTest::newRow("same caption") << Setter([](RSubtitleLabel &l) { l.SetTextCaption("a"); }) << 0;
    QTest::newRow("caption case") << Setter([](RSubtitleLabel &l) { l.SetTextCaption("A"); }) << 1;
    QTest::newRow("next caption") << Setter([](RSubtitleLabel &l) { l.SetTextNextCaption("b"); })
                                  << 0;
    QTest::newRow("same shadow") << Setter([](RSubtitleLabel &l) { l.SetTextShadow(false); }) << 1;
    QTest::newRow("same outline") << Setter([](RSubtitleLabel &l) { l.SetTextOutline(true); }) << 1;
    QTest::newRow("outline width")
        << Setter([](RSubtitleLabel &l) { l.SetTextOutlineWidth(1); }) << 1;
    QTest::newRow("outline colour")
        << Setter([](RSubtitleLabel &l) { l.SetTextOutlineColor(Qt::black); }) << 1;
    QTest::newRow("shadow colour")
        << Setter([](RSubtitleLabel &l) { l.SetTextShadowColor(Qt::gray); }) << 1;
    QTest::newRow("alignment") << Setter([](RSubtitleLabel &l) {
        l.SetTextAlignment(TAlignment::taCenter);
    }) << 1;
    QTest::newRow("vertical alignment")
        << Setter([](RSubtitleLabel &l) { l.SetTextVAlignment(TTextLayout::tlCenter); }) << 1;
    QTest::newRow("word wrap") << Setter([](RSubtitleLabel &l) { l.SetTextWordWrap(true); }) << 1;
}

// Captions must be on screen when the setter returns, not at the next turn of the event loop.
void TestSubtitleLabel::repaintRule()
{
    using Setter = std::function<void(RSubtitleLabel &)>;
    QFETCH(Setter, set);
    QFETCH(int, paints);

    RSubtitleLabel label;
    label.resize(200, 60);
    label.SetTextCaption(QStringLiteral("a"));
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QTest::qWait(0);
    QSignalSpy spy(&label, &RSubtitleLabel::OnRePaint);
    set(label);
    QCOMPARE(spy.count(), paints);
}

void TestSubtitleLabel::fontSize_data()
{
    QTest::addColumn<QFont>("font");
    QTest::addColumn<int>("size");

    auto points = [](qreal value) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(value);
        return font;
    };
    auto pixels = [](int value) {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(value);
        return font;
    };
    QTest::newRow("22 points") << points(22) << 22;
    QTest::newRow("22.5 points") << points(22.5) << 22;
    QTest::newRow("23.5 points") << points(23.5) << 24;
    // The subtitle labels' 29-pixel font is a 22-point font.
    QTest::newRow("29 pixels") << pixels(29) << 22;
    QTest::newRow("30 pixels") << pixels(30) << 22;
    QTest::newRow("38 pixels") << pixels(38) << 28;
}

void TestSubtitleLabel::fontSize()
{
    QFETCH(QFont, font);
    QFETCH(int, size);
    QCOMPARE(SubtitleFontSize(font), size);
}

void TestSubtitleLabel::wrappedBlockTop_data()
{
    QTest::addColumn<TTextLayout>("align");
    QTest::addColumn<int>("labelHeight");
    QTest::addColumn<int>("blockHeight");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("top");

    // Halves round to even.
    QTest::newRow("top 10pt") << TTextLayout::tlTop << 100 << 40 << 10 << 2;
    QTest::newRow("top 14pt") << TTextLayout::tlTop << 100 << 40 << 14 << 4;
    QTest::newRow("top 22pt") << TTextLayout::tlTop << 100 << 40 << 22 << 6;
    QTest::newRow("bottom 29pt") << TTextLayout::tlBottom << 100 << 40 << 29 << 46;
    QTest::newRow("bottom 27pt") << TTextLayout::tlBottom << 100 << 40 << 27 << 46;
    QTest::newRow("bottom 22pt") << TTextLayout::tlBottom << 100 << 40 << 22 << 49;
    QTest::newRow("centre even") << TTextLayout::tlCenter << 101 << 40 << 22 << 30;
    QTest::newRow("centre odd") << TTextLayout::tlCenter << 103 << 40 << 22 << 32;
    QTest::newRow("block taller than label") << TTextLayout::tlCenter << 20 << 41 << 22 << -10;
}

void TestSubtitleLabel::wrappedBlockTop()
{
    QFETCH(TTextLayout, align);
    QFETCH(int, labelHeight);
    QFETCH(int, blockHeight);
    QFETCH(int, size);
    QFETCH(int, top);
    QCOMPARE(WrappedBlockTop(align, labelHeight, blockHeight, size), top);
}

void TestSubtitleLabel::layoutLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("lines");

    QTest::newRow("fits") << QStringLiteral("short") << true << 400 << 1;
    QTest::newRow("line break") << QStringLiteral("one\ntwo") << true << 400 << 2;
    QTest::newRow("line break, one line") << QStringLiteral("one\ntwo") << false << 400 << 1;
    QTest::newRow("word wrap") << QStringLiteral("alpha beta gamma delta") << true << 120 << 4;
    QTest::newRow("too long, one line")
        << QStringLiteral("alpha beta gamma delta") << false << 120 << 1;
    QTest::newRow("empty") << QString() << true << 400 << 0;
}

void TestSubtitleLabel::layoutLines()
{
    QFETCH(QString, text);
    QFETCH(bool, wrap);
    QFETCH(int, width);
    QFETCH(int, lines);

    const QFont font = captionFont(22);
    SubtitleLayoutOptions options;
    options.wordWrap = wrap;
    for (TTextLayout align : {TTextLayout::tlTop, TTextLayout::tlBottom}) {
        options.vAlignment = align;
        const SubtitleLayout layout = LayoutSubtitle(text, font, QSize(width, 200), options);
        QCOMPARE(layout.lines.size(), lines);
        for (const SubtitleLayout::Line &line : layout.lines) {
            QVERIFY(!line.text.contains(QLatin1Char('\n')));
            if (wrap)
                QVERIFY2(line.width <= width, qPrintable(line.text));
        }
        if (lines == 0 || !wrap)
            continue;
        if (align == TTextLayout::tlTop)
            QCOMPARE(layout.block.top(), qreal(RoundHalfEven(22 / 4.0)));
        else
            QCOMPARE(layout.block.bottom(), qreal(200 - RoundHalfEven(22 / 2.0)));
    }
}

void TestSubtitleLabel::wrappedInkPlacement_data()
{
    QTest::addColumn<TTextLayout>("align");
    QTest::addColumn<int>("points");
    QTest::newRow("top 22pt") << TTextLayout::tlTop << 22;
    QTest::newRow("top 30pt") << TTextLayout::tlTop << 30;
    QTest::newRow("bottom 22pt") << TTextLayout::tlBottom << 22;
    QTest::newRow("bottom 29pt") << TTextLayout::tlBottom << 29;
}

// Capitals without descenders: the ink starts at the cap height below the first line's top
// and ends on the last line's baseline.
void TestSubtitleLabel::wrappedInkPlacement()
{
    QFETCH(TTextLayout, align);
    QFETCH(int, points);

    const QSize size(260, 240);
    Scene scene(size, points);
    scene.label->SetTextOutline(false);
    scene.label->SetTextVAlignment(align);
    const QString text = QStringLiteral("HEH HEH HEH HEH HEH");
    scene.label->SetTextCaption(text);
    const QRect ink = inkRect(scene.grab(), [](QRgb p) { return dominated(p, kBody); });

    const QFont font = captionFont(points);
    const QFontMetrics metrics(font);
    SubtitleLayoutOptions options;
    options.vAlignment = align;
    const SubtitleLayout layout = LayoutSubtitle(text, font, size, options);
    QVERIFY(layout.lines.size() >= 2);
    const int lineHeight = metrics.height();
    if (align == TTextLayout::tlTop) {
        const int firstTop = RoundHalfEven(points / 4.0);
        const int capTop = firstTop + metrics.ascent() - metrics.capHeight();
        QVERIFY2(qAbs(ink.top() - capTop) <= 1, qPrintable(QString::number(ink.top())));
    } else {
        const int lastBottom = size.height() - RoundHalfEven(points / 2.0);
        const int baseline = lastBottom - lineHeight + metrics.ascent();
        QVERIFY2(qAbs(ink.bottom() + 1 - baseline) <= 1, qPrintable(QString::number(ink.bottom())));
    }
    QVERIFY(ink.height() > lineHeight);
    QVERIFY(ink.left() >= 0 && ink.right() < size.width());
}

void TestSubtitleLabel::shadowOffset_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("outline");
    QTest::addColumn<int>("offset");

    QTest::newRow("35pt outlined") << 35 << true << 4;
    QTest::newRow("35pt plain") << 35 << false << 2;
    QTest::newRow("45pt outlined") << 45 << true << 4;
    QTest::newRow("45pt plain") << 45 << false << 3;
    QTest::newRow("22pt plain") << 22 << false << 1;
}

void TestSubtitleLabel::shadowOffset()
{
    QFETCH(int, points);
    QFETCH(bool, outline);
    QFETCH(int, offset);
    QCOMPARE(ShadowOffset(points, outline), offset);

    Scene scene(QSize(400, 200), points);
    scene.label->SetTextOutline(outline);
    scene.label->SetTextOutlineWidth(2);
    scene.label->SetTextOutlineColor(Qt::black);
    scene.label->SetTextShadow(true);
    scene.label->SetTextShadowColor(kShadow);
    scene.label->SetTextCaption(QStringLiteral("HIH"));
    const QImage image = scene.grab();

    // Right and bottom edges of the shadow stick out from under what covers it.
    const QRect shadow = inkRect(image, [](QRgb p) { return dominated(p, kShadow); });
    const QRect cover = outline ? inkRect(image, [](QRgb p) { return dominated(p, Qt::black); })
                                : inkRect(image, [](QRgb p) { return dominated(p, kBody); });
    QVERIFY(shadow.isValid() && cover.isValid());
    QCOMPARE(shadow.right() - cover.right(), offset);
    QCOMPARE(shadow.bottom() - cover.bottom(), offset);
    if (outline) {
        // A stroked contour, not a solid copy: no shadow shows inside the body's stems.
        const QRect body = inkRect(image, [](QRgb p) { return dominated(p, kBody); });
        QVERIFY(body.isValid());
        QVERIFY(countExact(image, kShadow) < body.width() * body.height());
    }
}

void TestSubtitleLabel::inkIsNotCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("outline");

    QTest::newRow("capitals") << QStringLiteral("HIH") << false << true;
    QTest::newRow("accent and descenders") << QStringLiteral("\u00C5gjpy") << false << true;
    QTest::newRow("italic overhang") << QStringLiteral("fff") << true << true;
    QTest::newRow("descenders, no outline") << QStringLiteral("gjpy") << false << false;
}

// Only the part of the label that the text covers is drawn: the outline must reach its full
// width beyond the body on every side, and the shadow its offset beyond what covers it.
void TestSubtitleLabel::inkIsNotCut()
{
    QFETCH(QString, text);
    QFETCH(bool, italic);
    QFETCH(bool, outline);

    const int points = 40;
    const int width = 3;
    Scene scene(QSize(400, 200), points);
    QFont font = captionFont(points);
    font.setItalic(italic);
    scene.label->setFont(font);
    scene.label->SetTextOutline(outline);
    scene.label->SetTextOutlineWidth(width);
    scene.label->SetTextOutlineColor(Qt::black);
    scene.label->SetTextShadow(true);
    scene.label->SetTextShadowColor(kShadow);
    scene.label->SetTextCaption(text);
    const QImage image = scene.grab();

    const QRect body = inkRect(image, [](QRgb p) { return dominated(p, kBody); });
    const QRect cover
        = outline ? inkRect(image, [](QRgb p) { return dominated(p, Qt::black); }) : body;
    const QRect shadow = inkRect(image, [](QRgb p) { return dominated(p, kShadow); });
    QVERIFY(body.isValid() && shadow.isValid());
    if (outline) {
        for (const int beyond : {body.left() - cover.left(), cover.right() - body.right(),
                                 body.top() - cover.top(), cover.bottom() - body.bottom()})
            QVERIFY2(qAbs(beyond - width) <= 1, qPrintable(QString::number(beyond)));
    }
    const int offset = ShadowOffset(points, outline);
    QCOMPARE(shadow.right() - cover.right(), offset);
    QCOMPARE(shadow.bottom() - cover.bottom(), offset);
}

// On a screen of twice the resolution the caption takes twice the pixels, in the same place.
void TestSubtitleLabel::captionFollowsScreenResolution()
{
    CaptionStyle style;
    style.labelSize = QSize(300, 100);
    style.font = captionFont(22);
    style.bodyColor = kBody;
    style.background = kBackground;
    style.outlineWidth = 2;
    style.outlineColor = Qt::black;
    style.shadow = true;
    style.shadowColor = kShadow;
    GlyphInkCache inks;
    const CaptionImage single = RenderCaption(QStringLiteral("HIH"), style, inks);
    style.devicePixelRatio = 2;
    const CaptionImage twice = RenderCaption(QStringLiteral("HIH"), style, inks);

    QVERIFY(!single.pixels.isNull());
    const QRect expected(single.topLeft * 2, single.pixels.size() * 2);
    const QRect drawn(twice.topLeft, twice.pixels.size());
    for (const int difference :
         {drawn.left() - expected.left(), drawn.top() - expected.top(),
          drawn.right() - expected.right(), drawn.bottom() - expected.bottom()})
        QVERIFY2(qAbs(difference) <= 2, qPrintable(QString::number(difference)));
}

void TestSubtitleLabel::bodyColour_data()
{
    QTest::addColumn<QColor>("fontColor");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("enabled white") << QColor(Qt::white) << true << QColor(Qt::white);
    QTest::newRow("enabled yellow") << QColor(255, 255, 0) << true << QColor(255, 255, 0);
    QTest::newRow("disabled white") << QColor(Qt::white) << false << QColor(0xC0, 0xC0, 0xC0);
    QTest::newRow("disabled yellow") << QColor(255, 255, 0) << false << QColor(0xC0, 0xC0, 0xC0);
}

void TestSubtitleLabel::bodyColour()
{
    QFETCH(QColor, fontColor);
    QFETCH(bool, enabled);
    QFETCH(QColor, expected);

    Scene scene(QSize(300, 100), 36);
    scene.label->SetFontColor(fontColor);
    scene.label->setEnabled(enabled);
    scene.label->SetTextCaption(QStringLiteral("HIH"));
    const QImage image = scene.grab();
    QVERIFY(countExact(image, expected) > 20);
    if (expected != fontColor)
        QCOMPARE(countExact(image, fontColor), 0);
}

void TestSubtitleLabel::background_data()
{
    QTest::addColumn<QColor>("key");
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<QColor>("corner");

    QTest::newRow("no key") << QColor() << false << kBackground;
    QTest::newRow("other key") << QColor(255, 0, 255) << false << kBackground;
    QTest::newRow("key is background") << kBackground << false << kPicture;
    QTest::newRow("transparent") << QColor() << true << kPicture;
}

void TestSubtitleLabel::background()
{
    QFETCH(QColor, key);
    QFETCH(bool, transparent);
    QFETCH(QColor, corner);

    Scene scene(QSize(300, 100), 30);
    scene.label->SetFontColor(Qt::white);
    scene.label->SetKeyColor(key);
    scene.label->SetTransparent(transparent);
    scene.parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&scene.parent));

    for (const QString &caption : {QString(), QStringLiteral("HIH")}) {
        scene.label->SetTextCaption(caption);
        const QImage image = scene.grab();
        QCOMPARE(QColor(image.pixel(0, 0)), corner);
        QCOMPARE(QColor(image.pixel(299, 99)), corner);
        QCOMPARE(countExact(image, Qt::white) > 0, !caption.isEmpty());
        QCOMPARE(countExact(image, corner) + countExact(image, Qt::white) == 300 * 100,
                 caption.isEmpty());
    }
}

void TestSubtitleLabel::ampersandShown()
{
    auto inkWidth = [](const QString &caption) {
        Scene scene(QSize(400, 100), 30);
        scene.label->SetTextOutline(false);
        scene.label->SetTextCaption(caption);
        return inkRect(scene.grab(), [](QRgb p) { return dominated(p, kBody); }).width();
    };
    QVERIFY(inkWidth(QStringLiteral("&")) > 5);
    QVERIFY(inkWidth(QStringLiteral("A&&B")) > inkWidth(QStringLiteral("A&B")));
    QVERIFY(inkWidth(QStringLiteral("A&B")) > inkWidth(QStringLiteral("AB")));
}

// Over the video the label takes its panel's colour, which follows the colour key.
void TestSubtitleLabel::colourFollowsParent()
{
    QWidget panel;
    QPalette pal = panel.palette();
    pal.setColor(QPalette::Window, Qt::green);
    panel.setPalette(pal);
    RSubtitleLabel label(&panel);
    QCOMPARE(label.Color(), QColor(Qt::green));
    QCOMPARE(label.FontColor(), QColor(Qt::white));
    pal.setColor(QPalette::Window, Qt::magenta);
    panel.setPalette(pal);
    QCOMPARE(label.Color(), QColor(Qt::magenta));
    label.SetKeyColor(Qt::magenta);
    QVERIFY(!label.PaintsBackground());
    QVERIFY(!label.testAttribute(Qt::WA_OpaquePaintEvent));
    label.SetColor(Qt::blue);
    QVERIFY(label.PaintsBackground());
    QVERIFY(label.testAttribute(Qt::WA_OpaquePaintEvent));
}

// Clicking a subtitle acts like clicking the picture: the window forwards these.
void TestSubtitleLabel::clicksPassOn()
{
    RSubtitleLabel label;
    label.resize(200, 60);
    QSignalSpy clicks(&label, &RSubtitleLabel::Click);
    QSignalSpy doubleClicks(&label, &RSubtitleLabel::DblClick);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(50, 30));
    QCOMPARE(clicks.count(), 1);
    QTest::mouseDClick(&label, Qt::LeftButton, {}, QPoint(50, 30));
    QCOMPARE(doubleClicks.count(), 1);
}

QTEST_MAIN(TestSubtitleLabel)
#include "tst_subtitle_label.moc"
