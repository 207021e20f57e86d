#include "presentation/osd_texts.h"

#include <QtTest>

using namespace duvara;

class TestOsdTexts : public QObject
{
    Q_OBJECT
private slots:
    void clipText_data();
    void clipText();
    void stateText_data();
    void stateText();
    void volumeBar_data();
    void volumeBar();
};

void TestOsdTexts::clipText_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty playlist") << 0 << -1 << "Clip";
    QTest::newRow("one row") << 1 << 0 << "Clip";
    QTest::newRow("two rows, first") << 2 << 0 << "Clip 1";
    QTest::newRow("five rows, third") << 5 << 2 << "Clip 3";
    QTest::newRow("nothing plays yet") << 5 << -1 << "Clip";
    QTest::newRow("row 1000") << 1200 << 999 << "Clip 1000";
}

void TestOsdTexts::clipText()
{
    QFETCH(int, count);
    QFETCH(int, index);
    QFETCH(QString, text);
    QCOMPARE(OsdClipText(count, index), text);
}

void TestOsdTexts::stateText_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("speed");
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("text");
    const int play = int(OsdMessage::Play);
    const int pause = int(OsdMessage::Pause);
    const int stop = int(OsdMessage::Stop);
    const int speed = int(OsdMessage::Speed);
    // The speed plays no part outside the speed message.
    QTest::newRow("play") << play << 4.0 << "C"
                          << "Play";
    QTest::newRow("pause") << pause << -2.0 << "C"
                           << "Pause";
    QTest::newRow("stop") << stop << 1.0 << "C"
                          << "Stop";
    QTest::newRow("x2") << speed << 2.0 << "C"
                        << "Speed: x2";
    QTest::newRow("x4") << speed << 4.0 << "C"
                        << "Speed: x4";
    QTest::newRow("x16") << speed << 16.0 << "C"
                         << "Speed: x16";
    QTest::newRow("slow forward") << speed << 0.25 << "C"
                                  << "Speed: x0.25";
    QTest::newRow("rew 16") << speed << -16.0 << "C"
                            << "Rew speed: x16";
    QTest::newRow("rew 0.5") << speed << -0.5 << "C"
                             << "Rew speed: x0.5";
    QTest::newRow("comma separator") << speed << 0.5 << "de_DE"
                                     << "Speed: x0,5";
    QTest::newRow("rew, comma separator") << speed << -0.25 << "de_DE"
                                          << "Rew speed: x0,25";
    QTest::newRow("no group separator") << speed << 1000.0 << "en_US"
                                        << "Speed: x1000";
}

void TestOsdTexts::stateText()
{
    QFETCH(int, kind);
    QFETCH(double, speed);
    QFETCH(QString, localeName);
    QFETCH(QString, text);
    QCOMPARE(OsdStateText(static_cast<OsdMessage>(kind), speed, QLocale(localeName)), text);
}

void TestOsdTexts::volumeBar_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("bars");
    QTest::newRow("silent") << 0 << 0;
    QTest::newRow("just audible") << 1 << 1;
    QTest::newRow("499") << 499 << 1;
    QTest::newRow("500") << 500 << 1;
    QTest::newRow("501") << 501 << 2;
    QTest::newRow("half") << 5000 << 10;
    QTest::newRow("9501") << 9501 << 20;
    QTest::newRow("full") << 10000 << 20;
    QTest::newRow("below range") << -700 << 0;
    QTest::newRow("above range") << 12000 << 20;
}

void TestOsdTexts::volumeBar()
{
    QFETCH(int, level);
    QFETCH(int, bars);
    QCOMPARE(VolumeBarLength(level), bars);
    QCOMPARE(VolumeBarText(level), QString(bars, QLatin1Char('I')));
}

QTEST_APPLESS_MAIN(TestOsdTexts)
#include "tst_osd_texts.moc"
