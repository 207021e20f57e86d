#include "media/video_geometry.h"

#include <QTest>

using namespace duvara;

class TestVideoGeometry : public QObject
{
    Q_OBJECT
private slots:
    void mulDivRoundsToNearest_data();
    void mulDivRoundsToNearest();
    void fitRect_data();
    void fitRect();
    void digitalZoomSource_data();
    void digitalZoomSource();
    void zoomExponentShowsTheSamePart();
};

void TestVideoGeometry::mulDivRoundsToNearest_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("numerator");
    QTest::addColumn<int>("denominator");
    QTest::addColumn<int>("result");
    QTest::newRow("exact") << 4 << 456 << 3 << 608;
    QTest::newRow("rounds up") << 4 << 457 << 3 << 609;
    QTest::newRow("rounds down") << 3 << 457 << 4 << 343;
    QTest::newRow("half away from zero") << 1 << 3 << 2 << 2;
    QTest::newRow("negative") << -1 << 3 << 2 << -2;
    QTest::newRow("no 32-bit overflow") << 1920 * 1080 << 4000 << 1000 << 1920 * 1080 * 4;
    QTest::newRow("division by zero") << 5 << 5 << 0 << -1;
}

void TestVideoGeometry::mulDivRoundsToNearest()
{
    QFETCH(int, number);
    QFETCH(int, numerator);
    QFETCH(int, denominator);
    QFETCH(int, result);
    QCOMPARE(MulDiv(number, numerator, denominator), result);
}

void TestVideoGeometry::fitRect_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QRect>("destination");
    QTest::addColumn<QRect>("fitted");
    QTest::newRow("4:3 in 612x457")
        << QSize(4, 3) << QRect(0, 0, 612, 457) << QRect(1, 0, 609, 457);
    QTest::newRow("16:9 in 4:3 is limited by width")
        << QSize(1920, 1080) << QRect(0, 0, 640, 480) << QRect(0, 60, 640, 360);
    QTest::newRow("same shape fills")
        << QSize(720, 576) << QRect(0, 0, 360, 288) << QRect(0, 0, 360, 288);
    QTest::newRow("offset destination")
        << QSize(1, 1) << QRect(10, 20, 100, 50) << QRect(35, 20, 50, 50);
}

void TestVideoGeometry::fitRect()
{
    QFETCH(QSize, source);
    QFETCH(QRect, destination);
    QFETCH(QRect, fitted);
    QCOMPARE(FitRect(source.width(), source.height(), destination), fitted);
}

void TestVideoGeometry::digitalZoomSource_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QRect>("shown");
    QTest::newRow("none") << 0 << QRect(0, 0, 720, 576);
    QTest::newRow("200%") << 47 << QRect(169, 135, 381, 305);
    QTest::newRow("300%") << 95 << QRect(342, 273, 36, 28);
}

void TestVideoGeometry::digitalZoomSource()
{
    QFETCH(int, zoom);
    QFETCH(QRect, shown);
    const ZoomSource source = DigitalZoomSource(720, 576, zoom);
    QCOMPARE(QRect(source.left, source.top, source.width, source.height), shown);
}

void TestVideoGeometry::zoomExponentShowsTheSamePart()
{
    QCOMPARE(VideoZoomExponent(0), 0.0);
    // 2^exponent is the enlargement: the shown part of each side is its inverse.
    for (int z : {10, 47, 95})
        QVERIFY(qAbs(std::pow(2.0, VideoZoomExponent(z)) * (1 - z / 100.0) - 1.0) < 1e-12);
    QCOMPARE(DigitalZoomRangeError(100),
             QStringLiteral("Value 100 out of range. Value must bee between 0 -> 99"));
}

QTEST_APPLESS_MAIN(TestVideoGeometry)
#include "tst_video_geometry.moc"
