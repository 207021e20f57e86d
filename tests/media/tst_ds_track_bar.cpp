#include "media/ds_track_bar.h"
#include "media/filter_graph.h"
#include "media_test_support.h"

#include <QtTest>

using namespace duvara;
using namespace duvara::test;

namespace {

// The graph and bar as the main window has them: the bar follows the graph, ticking every
// 100 ms.
struct Rig : Session
{
    TDSTrackBar bar;
    QSignalSpy ticks {&bar, &TDSTrackBar::OnTimer};

    explicit Rig(const char *file)
        : Session(file)
    {
        bar.SetFilterGraph(&graph);
        bar.SetTimerInterval(100);
    }
};

} // namespace

class TestDSTrackBar : public QObject
{
    Q_OBJECT
private slots:
    void tickRunsOnlyWhilePlaying();
    void tickMovesPositionBeforeOnTimer();
    void heldButtonSuspendsTicks();
    void seekOnRelease_data();
    void seekOnRelease();
    void mediaShorterThanOneStep();
    void seekTarget_data();
    void seekTarget();
};

void TestDSTrackBar::tickRunsOnlyWhilePlaying()
{
    Rig rig("clip.mp4");
    QVERIFY(!rig.bar.TimerRunning());
    rig.graph.Play();
    QVERIFY(rig.bar.TimerRunning());
    QVERIFY(waitFor([&] { return rig.ticks.count() >= 2; }));

    rig.graph.Pause();
    QVERIFY(!rig.bar.TimerRunning());
    // A frame step or a rate change alone neither starts nor stops the tick.
    rig.graph.FrameStep();
    rig.graph.SetPlaybackRate(2.0);
    QVERIFY(!rig.bar.TimerRunning());
    rig.graph.Play();
    rig.graph.SetPlaybackRate(0.5);
    QVERIFY(rig.bar.TimerRunning());
    rig.graph.Stop();
    QVERIFY(!rig.bar.TimerRunning());
}

void TestDSTrackBar::tickMovesPositionBeforeOnTimer()
{
    Rig rig("clip.mp4");
    QStringList order;
    connect(&rig.bar, &QSlider::valueChanged, this,
            [&](int value) { order << QStringLiteral("change %1").arg(value); });
    connect(&rig.bar, &TDSTrackBar::OnTimer, this, [&](quint32 current, quint32 stop) {
        order << QStringLiteral("timer %1 of %2 at %3/%4")
                     .arg(current / 100)
                     .arg(stop / 100)
                     .arg(rig.bar.value())
                     .arg(rig.bar.maximum());
    });
    rig.graph.SeekToMs(1000);
    QVERIFY(waitFor([&] { return ms(rig.graph.CurrentPosition()) == 1000; }));
    rig.graph.Play();
    QVERIFY(waitFor([&] { return order.size() >= 2; }));

    // Position and Max are in place, and their change reported, when OnTimer is raised.
    const QStringList first = order.at(1).split(QLatin1Char(' '));
    QCOMPARE(order.at(0), QStringLiteral("change ") + first.at(1));
    QCOMPARE(first.at(5), first.at(1) + QLatin1Char('/') + first.at(3));
    QCOMPARE(first.at(3), QStringLiteral("30"));
}

void TestDSTrackBar::heldButtonSuspendsTicks()
{
    Rig rig("clip.mp4");
    QSignalSpy changes(&rig.bar, &QSlider::valueChanged);
    rig.graph.Play();
    QVERIFY(waitFor([&] { return rig.ticks.count() >= 1; }));

    rig.bar.MouseDown(Qt::LeftButton);
    const int ticksBefore = rig.ticks.count();
    const int changesBefore = changes.count();
    QSignalSpy timeouts(&rig.bar.positionTimer(), &QTimer::timeout);
    QVERIFY(waitFor([&] { return timeouts.count() >= 3; }));
    QCOMPARE(rig.ticks.count(), ticksBefore);
    QCOMPARE(changes.count(), changesBefore);

    rig.bar.MouseUp(Qt::RightButton);
    QVERIFY(!rig.bar.MouseHeld());
    QVERIFY(waitFor([&] { return rig.ticks.count() > ticksBefore; }));
}

void TestDSTrackBar::seekOnRelease_data()
{
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("position");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<qint64>("expectedMs");
    // The clip lasts 3 s, so with Max 30 each step is the tick's 100 ms; the core lands on the
    // first frame at or after the target (frames every 40 ms).
    QTest::newRow("step 12") << 30 << 12 << Qt::LeftButton << qint64(1200);
    QTest::newRow("step 25") << 30 << 25 << Qt::LeftButton << qint64(2520);
    QTest::newRow("start") << 30 << 0 << Qt::LeftButton << qint64(0);
    QTest::newRow("right button") << 30 << 12 << Qt::RightButton << qint64(520);
    // Before the first tick the range may be empty; a release must not divide by it.
    QTest::newRow("no range yet") << 0 << 0 << Qt::LeftButton << qint64(520);
}

void TestDSTrackBar::seekOnRelease()
{
    QFETCH(int, maximum);
    QFETCH(int, position);
    QFETCH(Qt::MouseButton, button);
    QFETCH(qint64, expectedMs);
    Rig rig("clip.mp4");
    rig.graph.SeekToMs(500);
    QVERIFY(waitFor([&] { return ms(rig.graph.CurrentPosition()) == 520; }));

    // As the visible slider does: press, show the point, release.
    rig.bar.MouseDown(button);
    rig.bar.setMaximum(maximum);
    rig.bar.setValue(position);
    rig.bar.MouseUp(button);
    QVERIFY(!rig.bar.MouseHeld());
    // A seek shows in the position at once (its target, then the frame it landed on), so a
    // release that must not seek is caught here as well.
    QVERIFY(waitFor([&] { return ms(rig.graph.CurrentPosition()) == expectedMs; }));
}

void TestDSTrackBar::mediaShorterThanOneStep()
{
    Rig rig("blip.wav");
    rig.graph.Play();
    QVERIFY(waitFor([&] { return rig.ticks.count() >= 1; }));
    QCOMPARE(rig.bar.maximum(), 0);
    QCOMPARE(rig.ticks.at(0).at(1).toUInt(), 50u);
}

void TestDSTrackBar::seekTarget_data()
{
    QTest::addColumn<qint64>("stop");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<qint64>("target");
    QTest::newRow("truncates") << qint64(10) << 1 << 3 << qint64(3);
    QTest::newRow("no range") << qint64(30000000) << 5 << 0 << qint64(0);
    // Ten days in 100 ns times a step count overflows 64 bits when multiplied first.
    QTest::newRow("ten days") << qint64(8640000000000) << 8639999 << 8640000
                              << qint64(8639999000000);
}

void TestDSTrackBar::seekTarget()
{
    QFETCH(qint64, stop);
    QFETCH(int, position);
    QFETCH(int, maximum);
    QFETCH(qint64, target);
    QCOMPARE(SeekTargetForPosition(stop, position, maximum), target);
}

QTEST_MAIN(TestDSTrackBar)
#include "tst_ds_track_bar.moc"
