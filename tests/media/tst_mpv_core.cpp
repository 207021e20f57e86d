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

QTEST_MAIN(TestMpvCore)
#include "tst_mpv_core.moc"
