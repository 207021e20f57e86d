// The arithmetic behind the transport and the playlist: the speed ladder, the jumps of fast
// motion, the position slider's presses, and where rows go when one is dragged or removed.
#include "controls/playlist_item.h"
#include "controls/playlist_moves.h"
#include "controls/speed_ladder.h"

#include <QTest>

using namespace duvara;

class TestTransportLogic : public QObject
{
    Q_OBJECT
private slots:
    void ladderWalksBothWays_data();
    void ladderWalksBothWays();
    void eachRungIsTheOtherWayRoundOfItsNeighbour();
    void rateOrTimer_data();
    void rateOrTimer();
    void jumpsMoveAtTheSpeed_data();
    void jumpsMoveAtTheSpeed();
    void jumpsShorterThanAFrameStillMove();
    void sliderPresses_data();
    void sliderPresses();
    void dropPlacesTheRowBeforeTheTarget_data();
    void dropPlacesTheRowBeforeTheTarget();
    void removalKeepsTheCurrentFile_data();
    void removalKeepsTheCurrentFile();
    void rowPath_data();
    void rowPath();
};

using Ladder = QList<double>;

void TestTransportLogic::ladderWalksBothWays_data()
{
    QTest::addColumn<bool>("forward");
    QTest::addColumn<double>("from");
    QTest::addColumn<Ladder>("expected");
    QTest::newRow("forward from normal") << true << 1.0 << Ladder {2, 4, 8, 16, 16};
    QTest::newRow("backward from normal")
        << false << 1.0 << Ladder {0.5, 0.25, -0.25, -0.5, -1, -2, -4, -8, -16, -16};
    QTest::newRow("forward from the slowest backward") << true << -0.25 << Ladder {0.25, 0.5, 1, 2};
    QTest::newRow("forward from the fastest backward")
        << true << -16.0 << Ladder {-8, -4, -2, -1, -0.5, -0.25, 0.25};
    QTest::newRow("backward from the fastest forward") << false << 16.0 << Ladder {8, 4, 2, 1};
}

void TestTransportLogic::ladderWalksBothWays()
{
    QFETCH(bool, forward);
    QFETCH(double, from);
    QFETCH(Ladder, expected);
    double speed = from;
    Ladder walked;
    for (int i = 0; i < expected.size(); ++i) {
        speed = forward ? FastForwardSpeed(speed) : FastBackwardSpeed(speed);
        walked << speed;
    }
    QCOMPARE(walked, expected);
}

void TestTransportLogic::eachRungIsTheOtherWayRoundOfItsNeighbour()
{
    for (double speed : {-8.0, -4.0, -2.0, -1.0, -0.5, -0.25, 0.25, 0.5, 1.0, 2.0, 4.0, 8.0}) {
        QCOMPARE(FastBackwardSpeed(FastForwardSpeed(speed)), speed);
        QCOMPARE(FastForwardSpeed(FastBackwardSpeed(speed)), speed);
    }
}

void TestTransportLogic::rateOrTimer_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<bool>("byRate");
    for (double speed : {0.25, 0.5, 1.0, 2.0})
        QTest::addRow("%g", speed) << speed << true;
    for (double speed : {4.0, 8.0, 16.0, -0.25, -0.5, -1.0, -2.0, -4.0, -8.0, -16.0})
        QTest::addRow("%g", speed) << speed << false;
}

void TestTransportLogic::rateOrTimer()
{
    QFETCH(double, speed);
    QFETCH(bool, byRate);
    QCOMPARE(SpeedUsesGraphRate(speed), byRate);
}

void TestTransportLogic::jumpsMoveAtTheSpeed_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<qint64>("jump");
    QTest::addColumn<int>("interval");
    QTest::newRow("16") << 16.0 << qint64(160000000) << 1000;
    QTest::newRow("8") << 8.0 << qint64(80000000) << 1000;
    QTest::newRow("4") << 4.0 << qint64(20000000) << 500;
    QTest::newRow("-0.25") << -0.25 << qint64(-625000) << 250;
    QTest::newRow("-0.5") << -0.5 << qint64(-1250000) << 250;
    QTest::newRow("-1") << -1.0 << qint64(-2500000) << 250;
    QTest::newRow("-2") << -2.0 << qint64(-5000000) << 250;
    QTest::newRow("-4") << -4.0 << qint64(-20000000) << 500;
    QTest::newRow("-8") << -8.0 << qint64(-80000000) << 1000;
    QTest::newRow("-16") << -16.0 << qint64(-160000000) << 1000;
}

void TestTransportLogic::jumpsMoveAtTheSpeed()
{
    QFETCH(double, speed);
    QFETCH(qint64, jump);
    QFETCH(int, interval);
    const qint64 from = 600000000; // one minute
    QCOMPARE(MoveTarget(from, speed) - from, jump);
    QCOMPARE(MoveTimingFor(speed).interval, interval);
    // Every timer speed covers its speed in film time per second of wall time.
    QCOMPARE(double(jump) / 10000.0 / interval, speed);
}

void TestTransportLogic::jumpsShorterThanAFrameStillMove()
{
    // A 10-fps picture shows the frame at or after each target: 62.5-ms jumps back from 1 s
    // must still get somewhere.
    const auto frameAtOrAfter = [](qint64 t) {
        return (t + 999999) / 1000000 * 1000000;
    };
    std::optional<qint64> last;
    qint64 shown = 10000000;
    for (int tick = 0; tick < 8; ++tick) {
        const qint64 target = MoveTarget(MoveOrigin(shown, last), -0.25);
        last = target;
        shown = frameAtOrAfter(target);
    }
    QCOMPARE(*last, 10000000 - 8 * 625000);
    QCOMPARE(shown, 5000000);
    // A position far from the last target (the user moved the film) starts afresh.
    QCOMPARE(MoveOrigin(300000000, qint64(10000000)), 300000000);
    QCOMPARE(MoveOrigin(9000000, std::nullopt), 9000000);
}

void TestTransportLogic::sliderPresses_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("expected"); // -1: no jump
    const int width = 415; // a track of 400 pixels from x = 7
    QTest::newRow("left end") << 7 << 15 << 0;
    QTest::newRow("just left of the track") << 6 << 15 << 0;
    QTest::newRow("right end") << width - 8 << 15 << 24000;
    QTest::newRow("just right of the track") << width - 7 << 15 << 24000;
    QTest::newRow("middle") << 207 << 15 << 12000;
    QTest::newRow("a quarter") << 107 << 10 << 6000;
    QTest::newRow("top edge") << 207 << 20 << 12000;
    QTest::newRow("above") << 207 << 9 << -1;
    QTest::newRow("below") << 207 << 21 << -1;
    QTest::newRow("left margin") << 3 << 15 << -1;
    QTest::newRow("right margin") << width - 3 << 15 << -1;
}

void TestTransportLogic::sliderPresses()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, expected);
    const std::optional<int> position = SliderPressPosition(x, y, 415, 24000);
    QCOMPARE(position.value_or(-1), expected);
}

using Rows = QList<int>;

void TestTransportLogic::dropPlacesTheRowBeforeTheTarget_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("order");
    QTest::newRow("0 onto 2") << 0 << 2 << "BACD";
    QTest::newRow("3 onto 1") << 3 << 1 << "ADBC";
    QTest::newRow("0 onto 3") << 0 << 3 << "BCAD";
    QTest::newRow("2 onto 0") << 2 << 0 << "CABD";
    QTest::newRow("1 onto 2: no change") << 1 << 2 << "ABCD";
}

void TestTransportLogic::dropPlacesTheRowBeforeTheTarget()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, order);
    QString moved(4, QLatin1Char('?'));
    for (int row = 0; row < 4; ++row)
        moved[RowAfterDrop(row, from, to)] = QLatin1Char(char('A' + row));
    QCOMPARE(moved, order);
    QCOMPARE(RowAfterDrop(-1, from, to), -1);
}

void TestTransportLogic::removalKeepsTheCurrentFile_data()
{
    QTest::addColumn<int>("playIndex");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("rowsLeft");
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("expected");
    QTest::newRow("row above the current") << 2 << 0 << 3 << false << 1;
    QTest::newRow("row below the current") << 1 << 3 << 3 << true << 1;
    // Running: one before the row that took the removed one's place, so moving on starts it.
    QTest::newRow("playing middle") << 1 << 1 << 2 << true << 0;
    QTest::newRow("playing first") << 0 << 0 << 2 << true << -1;
    QTest::newRow("playing last") << 2 << 2 << 2 << true << -1;
    QTest::newRow("only row") << 0 << 0 << 0 << true << -1;
    // Stopped: the row that took the removed one's place, or none after the last.
    QTest::newRow("stopped middle") << 1 << 1 << 2 << false << 1;
    QTest::newRow("stopped last") << 2 << 2 << 2 << false << -1;
}

void TestTransportLogic::removalKeepsTheCurrentFile()
{
    QFETCH(int, playIndex);
    QFETCH(int, removed);
    QFETCH(int, rowsLeft);
    QFETCH(bool, running);
    QFETCH(int, expected);
    QCOMPARE(PlayIndexAfterRemoval(playIndex, removed, rowsLeft, running), expected);
}

void TestTransportLogic::rowPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("directory");
    QTest::newRow("absolute") << "/films/a b.mp4"
                              << "a b.mp4"
                              << "/films/";
    QTest::newRow("root") << "/a.mp4"
                          << "a.mp4"
                          << "/";
    QTest::newRow("bare") << "a.mp4"
                          << "a.mp4"
                          << "";
}

void TestTransportLogic::rowPath()
{
    QFETCH(QString, name);
    QFETCH(QString, file);
    QFETCH(QString, directory);
    const TPlayListItem item = MakePlayListItem(name);
    QCOMPARE(item.FileName, file);
    QCOMPARE(item.Directory, directory);
    QCOMPARE(item.path(), name);
    // A directory stored without its separator still makes a whole path.
    QCOMPARE((TPlayListItem {QStringLiteral("b.mkv"), QStringLiteral("/films")}).path(),
             QStringLiteral("/films/b.mkv"));
}

QTEST_GUILESS_MAIN(TestTransportLogic)
#include "tst_transport_logic.moc"
