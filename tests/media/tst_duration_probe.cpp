#include "media/duration_probe.h"
#include "media/filter_graph.h"
#include "media/media_error.h"
#include "media_test_support.h"

#include <QtTest>

using namespace duvara;

class TestDurationProbe : public QObject
{
    Q_OBJECT
private slots:
    void durationOfEachFormat_data();
    void durationOfEachFormat();
    void unreadableFile_data();
    void unreadableFile();
    void nameIsAlwaysALocalFile();
};

void TestDurationProbe::durationOfEachFormat_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("expectedMs");
    QTest::newRow("mp4") << test::mediaFile("clip.mp4") << qint64(3000);
    QTest::newRow("avi") << test::mediaFile("clip.avi") << qint64(3000);
    QTest::newRow("mkv") << test::mediaFile("clip.mkv") << qint64(3000);
    QTest::newRow("mp3") << test::mediaFile("tone.mp3") << qint64(3000);
    QTest::newRow("wav") << test::mediaFile("tone.wav") << qint64(3000);
    QTest::newRow("under one tick") << test::mediaFile("blip.wav") << qint64(50);
}

void TestDurationProbe::durationOfEachFormat()
{
    QFETCH(QString, file);
    QFETCH(qint64, expectedMs);
    // The player measures through its probe graph, which has no session of its own.
    TFilterGraph probe;
    const qint64 duration = probe.ProbeDuration(file);
    QVERIFY(!probe.Active());
    // Containers round to their own time bases and audio codecs pad their last frame: allow
    // two frames of the 25 fps picture.
    const qint64 ms = duration / 10000;
    QVERIFY2(qAbs(ms - expectedMs) <= 80, qPrintable(QStringLiteral("%1 ms").arg(ms)));
}

void TestDurationProbe::unreadableFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("code");
    QTest::newRow("not a media file")
        << test::mediaFile("unplayable.mp4")
        << QStringLiteral("Invalid data found when processing input ($BEBBB1B7).")
        << int(0xBEBBB1B7u);
    QTest::newRow("missing") << test::mediaFile("missing.mp4")
                             << QStringLiteral("No such file or directory ($FFFFFFFE).") << -2;
}

void TestDurationProbe::unreadableFile()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    QFETCH(int, code);
    try {
        ProbeMediaDuration(file);
        QFAIL("no error raised");
    } catch (const EDirectShowException &error) {
        QCOMPARE(QString::fromUtf8(error.what()), message);
        QCOMPARE(error.ResultCode(), code);
    }
}

void TestDurationProbe::nameIsAlwaysALocalFile()
{
    // libavformat would read these as protocols (a concatenation of other files, a network
    // address); the probe looks for files of that name instead.
    const QString concatenation = QStringLiteral("concat:") + test::mediaFile("tone.wav")
        + QLatin1Char('|') + test::mediaFile("tone.wav");
    for (const QString &name : {concatenation, QStringLiteral("tcp://127.0.0.1:9")})
        QVERIFY_THROWS_EXCEPTION(EDirectShowException, ProbeMediaDuration(name));
}

QTEST_GUILESS_MAIN(TestDurationProbe)
#include "tst_duration_probe.moc"
