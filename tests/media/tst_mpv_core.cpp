// The core's configuration: a misspelt option or a value the core does not know is only
// logged, and the player would silently decode and draw the expensive way.
#include "media/mpv_core.h"

#include <QRegularExpression>
#include <QtTest>

#include <clocale>

using namespace duvara;

class TestMpvCore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }
    void everyOptionIsTaken();
    void playbackCostOptions_data();
    void playbackCostOptions();
    void soundOutputsOfTheDesktop();
    void decoderThreads_data();
    void decoderThreads();
};

void TestMpvCore::everyOptionIsTaken()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("refused")));
    MpvCore core(false);
    QVERIFY(core.handle());
}

void TestMpvCore::playbackCostOptions_data()
{
    QTest::addColumn<QByteArray>("option");
    QTest::addColumn<QString>("value");
    QTest::newRow("software decoding") << QByteArray("hwdec") << QStringLiteral("no");
    QTest::newRow("decoding threads") << QByteArray("vd-lavc-threads") << QStringLiteral("2");
    QTest::newRow("converter") << QByteArray("sws-allow-zimg") << QStringLiteral("no");
    QTest::newRow("scaler") << QByteArray("sws-scaler") << QStringLiteral("bilinear");
    QTest::newRow("read-ahead") << QByteArray("demuxer-max-bytes") << QStringLiteral("33554432");
}

// Read back from a running core: what it really uses, not what was asked for.
void TestMpvCore::playbackCostOptions()
{
    QFETCH(QByteArray, option);
    QFETCH(QString, value);
    MpvCore core(false);
    const auto actual = core.getString(("options/" + option).constData());
    QVERIFY2(actual, option.constData());
    QCOMPARE(QString::fromStdString(*actual), value);
}

// The core's own choice would go on to SDL, slow to find that there is no sound device.
void TestMpvCore::soundOutputsOfTheDesktop()
{
    MpvCore core(true);
    QCOMPARE(core.getString("options/ao").value_or(""), std::string("pipewire,pulse,jack,alsa"));
    MpvCore silent(false);
    QCOMPARE(silent.getString("options/ao").value_or(""), std::string("null"));
}

void TestMpvCore::decoderThreads_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("threads");
    QTest::newRow("1080p30") << 1920 << 1080 << 30.0 << 1;
    QTest::newRow("1080p29.97, 1088 lines coded") << 1920 << 1088 << 29.97 << 1;
    QTest::newRow("720p60") << 1280 << 720 << 60.0 << 1;
    QTest::newRow("1080p50") << 1920 << 1080 << 50.0 << 2;
    QTest::newRow("2160p24") << 3840 << 2160 << 24.0 << 2;
    QTest::newRow("rate unknown") << 1920 << 1080 << 0.0 << 2;
    QTest::newRow("size unknown") << 0 << 0 << 25.0 << 2;
}

void TestMpvCore::decoderThreads()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, rate);
    QFETCH(int, threads);
    QCOMPARE(DecoderThreadsFor(width, height, rate), threads);
}

QTEST_MAIN(TestMpvCore)
#include "tst_mpv_core.moc"
