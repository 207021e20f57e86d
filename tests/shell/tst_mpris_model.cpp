// What the desktop's media controls read of the player, without a bus: the playback status the
// transport's state gives, the units on both sides, track ids, the properties that changed, where
// seeks lead, which URIs open, and how a rate lands on the speed ladder.
#include "shell/mpris_model.h"

#include <QDBusObjectPath>
#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <functional>
#include <limits>

using namespace duvara::mpris;

using Change = std::function<void(PlayerState &)>;
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(PlaybackStatus)

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();

PlayerState filmState()
{
    PlayerState state;
    state.status = PlaybackStatus::Playing;
    state.trackId = TrackIdPath(3);
    state.title = QStringLiteral("film.mp4");
    state.url = QStringLiteral("file:///films/film.mp4");
    state.lengthUs = 24000000;
    state.canSeek = true;
    state.canPlay = true;
    state.canPause = true;
    return state;
}

} // namespace

class TestMprisModel : public QObject
{
    Q_OBJECT
private slots:
    void statusFollowsTheTransport_data();
    void statusFollowsTheTransport();
    void timesConvert_data();
    void timesConvert();
    void volumeMapsOntoTheSlider_data();
    void volumeMapsOntoTheSlider();
    void everySliderVolumeSurvivesTheBus();
    void trackIdsAreObjectPathsOfTheirOwn();
    void metadataDescribesTheTrack();
    void changedPropertiesAreTheOnesThatDiffer_data();
    void changedPropertiesAreTheOnesThatDiffer();
    void seekStaysInTheFilmOrMovesOn_data();
    void seekStaysInTheFilmOrMovesOn();
    void setPositionIgnoresStaleRequests_data();
    void setPositionIgnoresStaleRequests();
    void onlyLocalFileUrisOpen_data();
    void onlyLocalFileUrisOpen();
    void ratesLandOnTheLadder_data();
    void ratesLandOnTheLadder();
    void jumpsAreToldApartFromPlayback_data();
    void jumpsAreToldApartFromPlayback();
};

void TestMprisModel::statusFollowsTheTransport_data()
{
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("stop");
    QTest::addColumn<bool>("pause");
    QTest::addColumn<double>("speed");
    QTest::addColumn<PlaybackStatus>("status");
    QTest::newRow("nothing loaded") << false << false << false << 1.0 << PlaybackStatus::Stopped;
    QTest::newRow("stopped") << true << false << false << 1.0 << PlaybackStatus::Stopped;
    QTest::newRow("playing") << true << true << true << 1.0 << PlaybackStatus::Playing;
    QTest::newRow("paused") << true << true << false << 1.0 << PlaybackStatus::Paused;
    // Fast motion offers Play, not Pause, and still moves through the film.
    QTest::newRow("fast forward") << true << true << false << 8.0 << PlaybackStatus::Playing;
    QTest::newRow("fast backward") << true << true << false << -0.25 << PlaybackStatus::Playing;
    QTest::newRow("graph closed") << false << true << true << 1.0 << PlaybackStatus::Stopped;
}

void TestMprisModel::statusFollowsTheTransport()
{
    QFETCH(bool, loaded);
    QFETCH(bool, stop);
    QFETCH(bool, pause);
    QFETCH(double, speed);
    QFETCH(PlaybackStatus, status);
    QCOMPARE(StatusOf({loaded, stop, pause, speed}), status);
    const QStringList texts = {"Playing", "Paused", "Stopped"};
    QCOMPARE(PlaybackStatusText(status), texts.at(int(status)));
}

void TestMprisModel::timesConvert_data()
{
    QTest::addColumn<qint64>("graphUnits");
    QTest::addColumn<qint64>("microseconds");
    QTest::addColumn<int>("sliderMs");
    QTest::newRow("zero") << qint64(0) << qint64(0) << 0;
    QTest::newRow("24 s") << qint64(240000000) << qint64(24000000) << 24000;
    QTest::newRow("below a millisecond") << qint64(9999) << qint64(999) << 0;
    QTest::newRow("three hours") << qint64(108000000000) << qint64(10800000000) << 10800000;
    QTest::newRow("beyond an int of ms")
        << qint64(100000000000000) << qint64(10000000000000) << std::numeric_limits<int>::max();
}

void TestMprisModel::timesConvert()
{
    QFETCH(qint64, graphUnits);
    QFETCH(qint64, microseconds);
    QFETCH(int, sliderMs);
    QCOMPARE(MicrosecondsFromGraphUnits(graphUnits), microseconds);
    QCOMPARE(SliderMillisecondsFromMicroseconds(microseconds), sliderMs);
    QCOMPARE(SliderMillisecondsFromMicroseconds(-microseconds - 1), 0);
}

void TestMprisModel::volumeMapsOntoTheSlider_data()
{
    QTest::addColumn<double>("busVolume");
    QTest::addColumn<int>("slider");
    QTest::newRow("silence") << 0.0 << 0;
    QTest::newRow("half") << 0.5 << 5000;
    QTest::newRow("full") << 1.0 << 10000;
    QTest::newRow("below silence") << -0.3 << 0;
    QTest::newRow("above full") << 1.7 << 10000;
    QTest::newRow("rounded up") << 0.12346 << 1235;
    QTest::newRow("rounded down") << 0.00004 << 0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 10000;
    QTest::newRow("not a number") << std::nan("") << -1;
}

void TestMprisModel::volumeMapsOntoTheSlider()
{
    QFETCH(double, busVolume);
    QFETCH(int, slider);
    const std::optional<int> mapped = SliderVolume(busVolume);
    QCOMPARE(mapped.value_or(-1), slider);
}

void TestMprisModel::everySliderVolumeSurvivesTheBus()
{
    for (int slider = 0; slider <= 10000; ++slider) {
        const double bus = BusVolume(slider, true);
        QVERIFY(bus >= 0.0 && bus <= 1.0);
        QCOMPARE(SliderVolume(bus).value_or(-1), slider);
        QCOMPARE(BusVolume(slider, false), 0.0);
    }
}

void TestMprisModel::trackIdsAreObjectPathsOfTheirOwn()
{
    QCOMPARE(TrackIdPath(0), QString::fromLatin1(kNoTrack));
    const QRegularExpression objectPath(QStringLiteral("^(/[A-Za-z0-9_]+)+$"));
    QStringList seen;
    for (const quint64 track : {quint64(1), quint64(2), quint64(99), ~quint64(0)}) {
        const QString id = TrackIdPath(track);
        QVERIFY2(objectPath.match(id).hasMatch(), qPrintable(id));
        // Paths under /org/mpris are the specification's own.
        QVERIFY(!id.startsWith(QLatin1String("/org/mpris")));
        QVERIFY(!seen.contains(id));
        seen << id;
    }
    QCOMPARE(InstanceServiceName(4242),
             QStringLiteral("org.mpris.MediaPlayer2.duvara.instance4242"));
}

void TestMprisModel::metadataDescribesTheTrack()
{
    const QVariantMap none = MetadataMap(PlayerState());
    QCOMPARE(none.keys(), QStringList {"mpris:trackid"});
    QCOMPARE(none.value("mpris:trackid").value<QDBusObjectPath>().path(),
             QString::fromLatin1(kNoTrack));

    PlayerState state = filmState();
    const QVariantMap film = MetadataMap(state);
    QCOMPARE(film.value("mpris:trackid").value<QDBusObjectPath>().path(), TrackIdPath(3));
    QCOMPARE(film.value("xesam:title").toString(), QStringLiteral("film.mp4"));
    QCOMPARE(film.value("xesam:url").toString(), QStringLiteral("file:///films/film.mp4"));
    // The bus wants a 64-bit integer here, not a double or an unsigned.
    QCOMPARE(film.value("mpris:length").metaType(), QMetaType::fromType<qlonglong>());
    QCOMPARE(film.value("mpris:length").toLongLong(), 24000000);

    state.lengthUs.reset();
    QVERIFY(!MetadataMap(state).contains("mpris:length"));
}

void TestMprisModel::changedPropertiesAreTheOnesThatDiffer_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("changed");
    QTest::newRow("nothing") << Change([](PlayerState &) {}) << QStringList();
    QTest::newRow("paused") << Change([](PlayerState &s) { s.status = PlaybackStatus::Paused; })
                            << QStringList {"PlaybackStatus"};
    QTest::newRow("next film") << Change([](PlayerState &s) {
        s.trackId = TrackIdPath(4);
        s.title = QStringLiteral("other.mkv");
    }) << QStringList {"Metadata"};
    QTest::newRow("length known") << Change([](PlayerState &s) { s.lengthUs = 25000000; })
                                  << QStringList {"Metadata"};
    QTest::newRow("same file again")
        << Change([](PlayerState &s) { s.trackId = TrackIdPath(4); }) << QStringList {"Metadata"};
    QTest::newRow("volume") << Change([](PlayerState &s) { s.volume = 0.25; })
                            << QStringList {"Volume"};
    QTest::newRow("fast forward") << Change([](PlayerState &s) { s.rate = 2.0; })
                                  << QStringList {"Rate"};
    QTest::newRow("stopped") << Change([](PlayerState &s) {
        s.status = PlaybackStatus::Stopped;
        s.canSeek = false;
        s.canGoNext = true;
    }) << QStringList {"CanGoNext", "CanSeek", "PlaybackStatus"};
    QTest::newRow("closed") << Change([](PlayerState &s) {
        s = PlayerState();
        s.canGoPrevious = true;
    }) << QStringList {"CanGoPrevious", "CanPause", "CanPlay",
                       "CanSeek",       "Metadata", "PlaybackStatus"};
}

void TestMprisModel::changedPropertiesAreTheOnesThatDiffer()
{
    QFETCH(Change, change);
    QFETCH(QStringList, changed);
    const PlayerState before = filmState();
    PlayerState after = before;
    change(after);
    const QVariantMap told = ChangedPlayerProperties(before, after);
    QCOMPARE(told.keys(), changed);
    QCOMPARE(told.isEmpty(), before == after);
    for (auto it = told.cbegin(); it != told.cend(); ++it) {
        if (it.key() == QLatin1String("Metadata"))
            QCOMPARE(it.value().toMap(), MetadataMap(after));
        else
            QCOMPARE(it.value(), PlayerPropertyValue(after, it.key()));
    }
}

void TestMprisModel::seekStaysInTheFilmOrMovesOn_data()
{
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<bool>("pastTheEnd");
    QTest::addColumn<qint64>("target");
    const qint64 length = 24000000;
    QTest::newRow("forward") << qint64(3000000) << qint64(5000000) << false << qint64(8000000);
    QTest::newRow("backward") << qint64(8000000) << qint64(-2500000) << false << qint64(5500000);
    QTest::newRow("before the start") << qint64(3000000) << qint64(-9000000) << false << qint64(0);
    QTest::newRow("to the very end") << qint64(20000000) << qint64(4000000) << false << length;
    QTest::newRow("past the end") << qint64(20000000) << qint64(4000001) << true << length;
    QTest::newRow("largest offset") << qint64(1) << kMax << true << length;
    QTest::newRow("smallest offset") << qint64(-1) << kMin << false << qint64(0);
}

void TestMprisModel::seekStaysInTheFilmOrMovesOn()
{
    QFETCH(qint64, position);
    QFETCH(qint64, offset);
    QFETCH(bool, pastTheEnd);
    QFETCH(qint64, target);
    const SeekPlan plan = PlanSeek(position, offset, 24000000);
    QCOMPARE(plan.pastTheEnd, pastTheEnd);
    QCOMPARE(plan.targetUs, target);
}

void TestMprisModel::setPositionIgnoresStaleRequests_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("trackId");
    QTest::addColumn<qint64>("position");
    QTest::addColumn<bool>("accepted");
    const Change none = [](PlayerState &) {
    };
    QTest::newRow("this track") << none << TrackIdPath(3) << qint64(12000000) << true;
    QTest::newRow("its start") << none << TrackIdPath(3) << qint64(0) << true;
    QTest::newRow("its end") << none << TrackIdPath(3) << qint64(24000000) << true;
    QTest::newRow("the track before") << none << TrackIdPath(2) << qint64(12000000) << false;
    QTest::newRow("no track") << none << QString::fromLatin1(kNoTrack) << qint64(0) << false;
    QTest::newRow("before the start") << none << TrackIdPath(3) << qint64(-1) << false;
    QTest::newRow("past the end") << none << TrackIdPath(3) << qint64(24000001) << false;
    QTest::newRow("length unknown") << Change([](PlayerState &s) { s.lengthUs.reset(); })
                                    << TrackIdPath(3) << qint64(0) << false;
    QTest::newRow("cannot seek") << Change([](PlayerState &s) { s.canSeek = false; })
                                 << TrackIdPath(3) << qint64(0) << false;
}

void TestMprisModel::setPositionIgnoresStaleRequests()
{
    QFETCH(Change, change);
    QFETCH(QString, trackId);
    QFETCH(qint64, position);
    QFETCH(bool, accepted);
    PlayerState state = filmState();
    change(state);
    QCOMPARE(AcceptsSetPosition(state, trackId, position), accepted);
}

void TestMprisModel::onlyLocalFileUrisOpen_data()
{
    QTest::addColumn<QString>("uri");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("unsupported");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("file") << "file:///films/film.mp4"
                          << "/films/film.mp4" << false << "";
    QTest::newRow("escaped") << "file:///films/my%20film%C3%A9.mkv"
                             << QString::fromUtf8("/films/my filmé.mkv") << false << "";
    QTest::newRow("localhost") << "file://localhost/films/a.avi"
                               << "/films/a.avi" << false << "";
    QTest::newRow("upper case scheme") << "FILE:///films/a.avi"
                                       << "/films/a.avi" << false << "";
    QTest::newRow("web") << "https://example.org/film.mp4"
                         << "" << true << "only files on this computer";
    QTest::newRow("plain path") << "/films/film.mp4"
                                << "" << true << "file:// URIs";
    QTest::newRow("empty") << ""
                           << "" << true << "is not one";
    QTest::newRow("other computer") << "file://server/films/a.mp4"
                                    << "" << false << "on the computer \"server\"";
    QTest::newRow("relative") << "file:film.mp4"
                              << "" << false << "names no file";
    QTest::newRow("no path") << "file://"
                             << "" << false << "names no file";
    QTest::newRow("zero byte") << "file:///films/a%00b.mp4"
                               << "" << false << "names no file";
}

void TestMprisModel::onlyLocalFileUrisOpen()
{
    QFETCH(QString, uri);
    QFETCH(QString, file);
    QFETCH(bool, unsupported);
    QFETCH(QString, errorPart);
    const UriFile local = LocalFileForUri(uri);
    QCOMPARE(local.file, file);
    QCOMPARE(local.unsupported, unsupported);
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
    QTest::newRow("normal") << 1.0 << 1.0 << 0;
    QTest::newRow("double") << 2.0 << 2.0 << 1;
    QTest::newRow("fastest") << 16.0 << 16.0 << 4;
    QTest::newRow("half") << 0.5 << 0.5 << -1;
    QTest::newRow("one and a half is nearer 2") << 1.5 << 2.0 << 1;
    QTest::newRow("three quarters is nearer 1") << 0.75 << 1.0 << 0;
    QTest::newRow("very slow") << 0.01 << 0.25 << -2;
    QTest::newRow("beyond the ladder") << 100.0 << 16.0 << 4;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 16.0 << 4;
    QTest::newRow("slow backward") << -0.1 << -0.25 << -3;
    QTest::newRow("backward three") << -3.0 << -4.0 << -7;
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
    QVERIFY(*fit >= kMinimumRate && *fit <= kMaximumRate);
    QCOMPARE(LadderStepsTo(1.0, *fit), stepsFromNormal);
    QCOMPARE(LadderStepsTo(*fit, 1.0), -stepsFromNormal);
}

void TestMprisModel::jumpsAreToldApartFromPlayback_data()
{
    QTest::addColumn<qint64>("lastMs");
    QTest::addColumn<qint64>("nowMs");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<double>("rate");
    QTest::addColumn<bool>("jumped");
    QTest::newRow("a tick of playback")
        << qint64(5000) << qint64(5100) << qint64(100) << 1.0 << false;
    QTest::newRow("a late tick") << qint64(5000) << qint64(5800) << qint64(850) << 1.0 << false;
    QTest::newRow("double speed") << qint64(5000) << qint64(5400) << qint64(200) << 2.0 << false;
    QTest::newRow("forward jump") << qint64(5000) << qint64(15000) << qint64(100) << 1.0 << true;
    QTest::newRow("backward jump") << qint64(15000) << qint64(5000) << qint64(100) << 1.0 << true;
    QTest::newRow("a frame step while paused")
        << qint64(5000) << qint64(5040) << qint64(3000) << 0.0 << false;
    QTest::newRow("a jump while paused")
        << qint64(5000) << qint64(9000) << qint64(3000) << 0.0 << true;
}

void TestMprisModel::jumpsAreToldApartFromPlayback()
{
    QFETCH(qint64, lastMs);
    QFETCH(qint64, nowMs);
    QFETCH(qint64, elapsedMs);
    QFETCH(double, rate);
    QFETCH(bool, jumped);
    QCOMPARE(PositionJumped(lastMs, nowMs, elapsedMs, rate), jumped);
}

QTEST_GUILESS_MAIN(TestMprisModel)
#include "tst_mpris_model.moc"
