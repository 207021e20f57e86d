// Where the two subtitle areas lie over the picture, in both arrangements.
#include "presentation/subtitle_areas.h"

#include <QTest>

using namespace duvara;

Q_DECLARE_METATYPE(duvara::SubtitleArrangement)

namespace {

// A label's place in video-window coordinates.
QRect onPicture(const SubtitleArea &area)
{
    return area.label.translated(area.panel.topLeft());
}

} // namespace

class TestSubtitleAreas : public QObject
{
    Q_OBJECT
private slots:
    void labelsStayApartOnThePicture_data();
    void labelsStayApartOnThePicture();
    void secondaryAtTopKeepsTheClassicPlaces();
    void stackedSlotsSitAtTheBottomInOrder();
};

void TestSubtitleAreas::labelsStayApartOnThePicture_data()
{
    QTest::addColumn<SubtitleArrangement>("arrangement");
    QTest::addColumn<QSize>("video");
    for (const auto &[name, arrangement] :
         {std::pair {"top", SubtitleArrangement::SecondaryAtTop},
          std::pair {"bottom", SubtitleArrangement::BothAtBottom}}) {
        for (const QSize size :
             {QSize(612, 344), QSize(1920, 1080), QSize(800, 1200), QSize(40, 30), QSize(0, 0)})
            QTest::addRow("%s %dx%d", name, size.width(), size.height()) << arrangement << size;
    }
}

void TestSubtitleAreas::labelsStayApartOnThePicture()
{
    QFETCH(SubtitleArrangement, arrangement);
    QFETCH(QSize, video);
    const SubtitleAreas areas = LayOutSubtitleAreas(video, arrangement);
    const QRect picture(QPoint(0, 0), video);
    for (const SubtitleArea &area : {areas.primary, areas.secondary}) {
        QVERIFY(area.label.width() >= 0 && area.label.height() >= 0);
        if (video.isEmpty())
            continue;
        QVERIFY2(picture.contains(area.panel), "a panel reaches beyond the picture");
        QVERIFY2(QRect(QPoint(0, 0), area.panel.size()).contains(area.label),
                 "a label reaches beyond its panel");
    }
    QVERIFY2(!onPicture(areas.primary).intersects(onPicture(areas.secondary)),
             "the two tracks' labels overlap");
    // The primary's text hugs the picture's bottom edge in both arrangements.
    QCOMPARE(areas.primary.alignment, TTextLayout::tlBottom);
}

void TestSubtitleAreas::secondaryAtTopKeepsTheClassicPlaces()
{
    const SubtitleAreas areas
        = LayOutSubtitleAreas({612, 344}, SubtitleArrangement::SecondaryAtTop);
    QCOMPARE(areas.secondary.panel, QRect(0, 0, 612, 172));
    QCOMPARE(areas.secondary.spacer, QRect(10, 10, 592, 10));
    QCOMPARE(areas.secondary.label, QRect(10, 20, 592, 142));
    QCOMPARE(areas.secondary.alignment, TTextLayout::tlTop);
    QCOMPARE(areas.primary.panel, QRect(0, 172, 612, 172));
    QCOMPARE(areas.primary.label, QRect(10, 10, 592, 142));
    QCOMPARE(areas.primary.spacer, QRect(10, 152, 592, 10));
}

void TestSubtitleAreas::stackedSlotsSitAtTheBottomInOrder()
{
    const QSize video(1280, 720);
    const SubtitleAreas areas = LayOutSubtitleAreas(video, SubtitleArrangement::BothAtBottom);
    const QRect primary = onPicture(areas.primary);
    const QRect secondary = onPicture(areas.secondary);
    // Secondary directly above primary, both in the lower half, with room for two lines each.
    QCOMPARE(secondary.bottom() + 1, primary.top());
    QVERIFY(secondary.top() >= video.height() / 2);
    QVERIFY(primary.bottom() < video.height());
    QCOMPARE(areas.secondary.alignment, TTextLayout::tlBottom);
    QVERIFY(secondary.height() >= 2 * 40 && primary.height() >= 2 * 40);
    // The on-screen display lives at the top of the secondary panel: it keeps its place.
    QCOMPARE(areas.secondary.panel.topLeft(), QPoint(0, 0));
}

QTEST_APPLESS_MAIN(TestSubtitleAreas)
#include "tst_subtitle_areas.moc"
