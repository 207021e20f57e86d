// What the desktop's media controls read of the player, without a bus: the status the
// transport's state gives, the volume on both sides, where seeks lead, which URIs open, and how
// a rate lands on the speed ladder.
#include "shell/mpris_model.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace duvara::mpris;

namespace {

PlayerState filmState()
{
    PlayerState state;
    state.status = PlaybackStatus::Playing;
    state.trackId = TrackIdPath(3);
    state.title = QStringLiteral("film.mp4");
    state.url = QStringLiteral("file:///films/film.mp4");
    state.lengthUs = 24000000;
    state.canSeek = state.canPlay = state.canPause = true;
    return state;
}

} // namespace

class TestMprisModel : public QObject
{
    Q_OBJECT
private slots:
    void statusFollowsTheTransport();
    void everySliderVolumeSurvivesTheBus();
    void seeksStayInTheFilmOrMoveOn();
    void onlyLocalFileUrisOpen_data();
    void onlyLocalFileUrisOpen();
    void ratesLandOnTheLadder_data();
    void ratesLandOnTheLadder();
};

void TestMprisModel::statusFollowsTheTransport()
{
    QCOMPARE(StatusOf({false, false, false, 1.0}), PlaybackStatus::Stopped);
    QCOMPARE(StatusOf({true, false, false, 1.0}), PlaybackStatus::Stopped);
    QCOMPARE(StatusOf({true, true, true, 1.0}), PlaybackStatus::Playing);
    QCOMPARE(StatusOf({true, true, false, 1.0}), PlaybackStatus::Paused);
    // Fast motion offers Play, not Pause, and still moves through the film.
    QCOMPARE(StatusOf({true, true, false, -0.25}), PlaybackStatus::Playing);
    QCOMPARE(PlaybackStatusText(PlaybackStatus::Paused), QStringLiteral("Paused"));
}

void TestMprisModel::everySliderVolumeSurvivesTheBus()
{
    for (int slider = 0; slider <= 10000; ++slider) {
        QCOMPARE(SliderVolume(BusVolume(slider, true)).value_or(-1), slider);
        QCOMPARE(BusVolume(slider, false), 0.0);
    }
    QCOMPARE(SliderVolume(-0.3).value_or(-1), 0);
    QCOMPARE(SliderVolume(1.7).value_or(-1), 10000);
    QCOMPARE(SliderVolume(std::numeric_limits<double>::infinity()).value_or(-1), 10000);
    QVERIFY(!SliderVolume(std::nan("")));
}

void TestMprisModel::seeksStayInTheFilmOrMoveOn()
{
    constexpr qint64 kLength = 24000000;
    const auto plan = [](qint64 position, qint64 offset) {
        const SeekPlan seek = PlanSeek(position, offset, kLength);
        return std::pair(seek.pastTheEnd, seek.targetUs);
    };
    QCOMPARE(plan(3000000, 5000000), std::pair(false, qint64(8000000)));
    QCOMPARE(plan(3000000, -9000000), std::pair(false, qint64(0)));
    QCOMPARE(plan(20000000, 4000000), std::pair(false, kLength));
    QCOMPARE(plan(20000000, 4000001), std::pair(true, kLength));
    // Whatever offset the bus carries, the sum does not wrap round.
    QCOMPARE(plan(1, std::numeric_limits<qint64>::max()), std::pair(true, kLength));
    QCOMPARE(plan(-1, std::numeric_limits<qint64>::min()), std::pair(false, qint64(0)));

    const PlayerState state = filmState();
    QVERIFY(AcceptsSetPosition(state, TrackIdPath(3), 24000000));
    QVERIFY(!AcceptsSetPosition(state, TrackIdPath(2), 12000000)); // the film before
    QVERIFY(!AcceptsSetPosition(state, TrackIdPath(3), 24000001));
    QVERIFY(!AcceptsSetPosition(state, TrackIdPath(3), -1));
    QVERIFY(!AcceptsSetPosition(PlayerState(), QString::fromLatin1(kNoTrack), 0));
}

void TestMprisModel::onlyLocalFileUrisOpen_data()
{
    QTest::addColumn<QString>("uri");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("file") << "file:///films/my%20film%C3%A9.mkv"
                          << QString::fromUtf8("/films/my filmé.mkv") << "";
    QTest::newRow("localhost") << "file://localhost/films/a.avi"
                               << "/films/a.avi"
                               << "";
    QTest::newRow("web") << "https://example.org/film.mp4"
                         << ""
                         << "file:// URIs";
    QTest::newRow("plain path") << "/films/film.mp4"
                                << ""
                                << "file:// URIs";
    QTest::newRow("other computer") << "file://server/films/a.mp4"
                                    << ""
                                    << "on the computer \"server\"";
    QTest::newRow("relative") << "file:film.mp4"
                              << ""
                              << "names no file";
    QTest::newRow("zero byte") << "file:///films/a%00b.mp4"
                               << ""
                               << "names no file";
}

void TestMprisModel::onlyLocalFileUrisOpen()
{
    QFETCH(QString, uri);
    QFETCH(QString, file);
    QFETCH(QString, errorPart);
    const UriFile local = LocalFileForUri(uri);
    QCOMPARE(local.file, file);
    QCOMPARE(local.unsupported, errorPart == QLatin1String("file:// URIs"));
    QCOMPARE(local.error.isEmpty(), errorPart.isEmpty());
    QVERIFY2(local.error.contains(errorPart), qPrintable(local.error));
    // The refusal quotes what was asked for, so the caller sees which of its URIs it was.
    if (!errorPart.isEmpty())
        QVERIFY(local.error.contains(QLatin1Char('"') + uri + QLatin1Char('"')));
}

void TestMprisModel::ratesLandOnTheLadder_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("speed");
    QTest::addColumn<int>("stepsFromNormal");
    QTest::newRow("double") << 2.0 << 2.0 << 1;
    QTest::newRow("one and a half is nearer 2") << 1.5 << 2.0 << 1;
    QTest::newRow("three quarters is nearer 1") << 0.75 << 1.0 << 0;
    QTest::newRow("very slow") << 0.01 << 0.25 << -2;
    QTest::newRow("beyond the ladder") << 100.0 << 16.0 << 4;
    QTest::newRow("slow backward") << -0.1 << -0.25 << -3;
    QTest::newRow("fastest backward") << -1e9 << -16.0 << -9;
    QTest::newRow("zero") << 0.0 << 0.0 << 0;
    QTest::newRow("not a number") << std::nan("") << 0.0 << 0;
}

void TestMprisModel::ratesLandOnTheLadder()
{
    QFETCH(double, rate);
    QFETCH(double, speed);
    QFETCH(int, stepsFromNormal);
    const std::optional<double> fit = BestFitSpeed(rate);
    QCOMPARE(fit.value_or(0.0), speed);
    if (!fit)
        return;
    QCOMPARE(LadderStepsTo(1.0, *fit), stepsFromNormal);
    QCOMPARE(LadderStepsTo(*fit, 1.0), -stepsFromNormal);
}

QTEST_GUILESS_MAIN(TestMprisModel)
#include "tst_mpris_model.moc"
