#include "media/volume_scale.h"

#include <QtTest>

using namespace duvara;

class TestVolumeScale : public QObject
{
    Q_OBJECT
private slots:
    void linearScale_data();
    void linearScale();
    void mpvVolume_data();
    void mpvVolume();
};

void TestVolumeScale::linearScale_data()
{
    QTest::addColumn<int>("linear");
    QTest::addColumn<int>("hundredthsDb");
    QTest::newRow("silence") << 0 << -10000;
    QTest::newRow("100") << 100 << -4989;
    QTest::newRow("1000") << 1000 << -2499;
    QTest::newRow("2500") << 2500 << -1505;
    QTest::newRow("half") << 5000 << -752;
    QTest::newRow("9000") << 9000 << -114;
    QTest::newRow("full") << 10000 << 0;
}

void TestVolumeScale::linearScale()
{
    QFETCH(int, linear);
    QFETCH(int, hundredthsDb);
    QCOMPARE(LinearVolumeToHundredthsDb(linear), hundredthsDb);
    // The other scale takes the value as decibels as it is.
    QCOMPARE(LogarithmicVolumeToHundredthsDb(linear), linear - 10000);
}

void TestVolumeScale::mpvVolume_data()
{
    QTest::addColumn<int>("hundredthsDb");
    QTest::addColumn<double>("volume");
    QTest::newRow("full") << 0 << 100.0;
    QTest::newRow("-7.52 dB") << -752 << 74.9319;
    QTest::newRow("-60 dB") << -6000 << 10.0;
    QTest::newRow("just above silence") << -9999 << 2.1553;
    QTest::newRow("silence") << -10000 << 0.0;
    QTest::newRow("below silence") << -12000 << 0.0;
}

void TestVolumeScale::mpvVolume()
{
    QFETCH(int, hundredthsDb);
    QFETCH(double, volume);
    QVERIFY2(qAbs(MpvVolumeForHundredthsDb(hundredthsDb) - volume) < 1e-3,
             qPrintable(QString::number(MpvVolumeForHundredthsDb(hundredthsDb))));
}

QTEST_APPLESS_MAIN(TestVolumeScale)
#include "tst_volume_scale.moc"
