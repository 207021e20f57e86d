// Lining up two tracks of one film by timing alone, on generated film-like tracks.
#include "synthetic_timing.h"

#include "subtitles/corrections.h"
#include "subtitles/track_alignment.h"

#include <QTest>

using namespace duvara;
using namespace duvara::test;

namespace {

const double Pal = 25.0;
const double Film = 24000.0 / 1001;

// The track is made from the film's timing by an exact map, so every judged entry lands within
// rounding to whole milliseconds and the single-precision factor of where it belongs.
const double AllowedErrorMs = 20;

// How the track to align was made from the timing the reference was made from.
struct Scenario
{
    double stretch = 1; // track time = stretch * film time + shift
    double shiftMs = 0;
    double lost = 0, split = 0, merged = 0;
    double referenceSplit = 0; // the reference's own lines split and merged this often
    int64_t jitterMs = 0; // either track's boundaries, independently
    double cutAt = 0; // share of the entries before a cut, after which all move by cutJumpMs
    int64_t cutJumpMs = 0;
    int lines = 2000;
    bool reversed = false; // entries in the file from last to first

    Scenario &Damage(double l, double s, double m)
    {
        return lost = l, split = s, merged = m, *this;
    }
    Scenario &Cut(double at, int64_t jump) { return cutAt = at, cutJumpMs = jump, *this; }
};

Scenario Stretched(double stretch, double shiftMs)
{
    Scenario s;
    s.stretch = stretch;
    s.shiftMs = shiftMs;
    return s;
}

struct Made
{
    SubtitleTrack track, reference;
    Timings belongs; // where each entry of the track lies in the film
    std::size_t from = 0, to = 0; // the judged entries: the larger part of a cut track
};

Made Make(const Scenario &s)
{
    const Timings film = FilmTiming(1, s.lines);
    Timings reference = Damaged(film, 2, 0, s.referenceSplit / 2, s.referenceSplit / 2);
    Timings track = Damaged(film, 3, s.lost, s.split, s.merged);
    if (s.jitterMs > 0) {
        reference = Jittered(reference, 4, s.jitterMs);
        track = Jittered(track, 5, s.jitterMs);
    }
    Made made;
    made.belongs = track;
    track = Mapped(track, s.stretch, s.shiftMs);
    const auto cut = static_cast<std::size_t>(s.cutAt * double(track.size()));
    for (std::size_t i = cut; i < track.size() && cut > 0; ++i)
        track[i] = {track[i].start + s.cutJumpMs, track[i].end + s.cutJumpMs};
    made.to = cut > track.size() / 2 ? cut : track.size();
    made.from = cut > track.size() / 2 ? 0 : cut;
    if (s.reversed) {
        std::reverse(track.begin(), track.end());
        std::reverse(made.belongs.begin(), made.belongs.end());
    }
    made.track = TrackOf(track);
    made.reference = TrackOf(reference);
    return made;
}

} // namespace

Q_DECLARE_METATYPE(Scenario)
Q_DECLARE_METATYPE(duvara::AlignmentFailure)

class TestTrackAlignment : public QObject
{
    Q_OBJECT

private slots:
    void aligns_data();
    void aligns();
    void pureShiftsAreExact_data();
    void pureShiftsAreExact();
    void refuses_data();
    void refuses();
};

void TestTrackAlignment::aligns_data()
{
    QTest::addColumn<Scenario>("scenario");

    QTest::newRow("3.2 s late, 25 / 23.976") << Stretched(Pal / Film, 3200);
    QTest::newRow("3.2 s early, 23.976 / 25") << Stretched(Film / Pal, -3200);
    QTest::newRow("12 s late, 25 / 24") << Stretched(Pal / 24, 12000);
    QTest::newRow("45 s early, 24 / 23.976") << Stretched(24 / Film, -45000);
    QTest::newRow("a little off 25 / 23.976") << Stretched(1.043, 1500);
    QTest::newRow("10 % each lost, split and merged")
        << Stretched(Pal / Film, 3200).Damage(0.1, 0.1, 0.1);
    QTest::newRow("cut at 40 %, 8 s more after it") << Stretched(Pal / Film, 3200).Cut(0.4, 8000);
    QTest::newRow("cut at 70 %, 8 s back after it, damaged")
        << Stretched(Pal / 24, 3200).Damage(0.1, 0.05, 0.05).Cut(0.7, -8000);
    Scenario languages = Stretched(Pal / 24, 2500).Damage(0.05, 0.1, 0.1);
    languages.referenceSplit = 0.2;
    languages.jitterMs = 40;
    QTest::newRow("two languages of one timing, retimed by a frame") << languages;
    languages.jitterMs = 250;
    QTest::newRow("two languages retimed a quarter second apart") << languages;
    Scenario small = Stretched(Film / Pal, 900).Damage(0.1, 0.1, 0.1);
    small.lines = 40;
    QTest::newRow("40 lines") << small;
    Scenario reversed = Stretched(1, -20000);
    reversed.reversed = true;
    QTest::newRow("file in reverse time order, so its span is negative") << reversed;
}

void TestTrackAlignment::aligns()
{
    QFETCH(Scenario, scenario);

    const Made made = Make(scenario);
    const TrackAlignment fit = AlignTracks(made.track, made.reference);
    QVERIFY(fit.found);
    QCOMPARE(fit.failure, AlignmentFailure::None);
    QVERIFY(std::abs(fit.offsetMs) <= MaxUserOffset);

    // Corrected as the player's controls correct with this offset and span.
    const SubtitleTrack &track = made.track;
    const float factor
        = DurationFactor(ClampTargetSpan(fit.spanMs, track.SubDuration), track.SubDuration);
    const int32_t shift = TrackShift(ClampUserOffset(fit.offsetMs), track.BaseTime);
    std::vector<double> errors; // per entry, the worse of start and end
    for (std::size_t i = made.from; i < made.to; ++i) {
        const double start = double(CorrectedTime(track.Subs[i].StartTime, factor, shift));
        const double end = double(CorrectedTime(track.Subs[i].EndTime, factor, shift));
        const Timing belongs = made.belongs[i];
        errors.push_back(
            std::max(std::abs(start - double(belongs.start)), std::abs(end - double(belongs.end))));
    }
    std::sort(errors.begin(), errors.end());
    const auto at = [&errors](double share) {
        return errors[std::size_t(share * (errors.size() - 1))];
    };
    const QByteArray summary = QStringLiteral("%1 entries, error p50 %2 p95 %3 p99 %4 max %5 ms, "
                                              "%6 % matched")
                                   .arg(errors.size())
                                   .arg(at(0.5))
                                   .arg(at(0.95))
                                   .arg(at(0.99))
                                   .arg(errors.back())
                                   .arg(fit.matchedFraction * 100, 0, 'f', 1)
                                   .toUtf8();
    qInfo("%s", summary.constData());
    QVERIFY2(errors.back() <= AllowedErrorMs, summary.constData());
}

// A shift alone is whole milliseconds: it comes back exactly, as the offset control holds it,
// up to the control's limits, with the span untouched.
void TestTrackAlignment::pureShiftsAreExact_data()
{
    QTest::addColumn<int>("lateMs");

    QTest::newRow("none") << 0;
    QTest::newRow("1.234 s early") << -1234;
    QTest::newRow("a minute late") << 60000;
    QTest::newRow("a minute early") << -60000;
}

void TestTrackAlignment::pureShiftsAreExact()
{
    QFETCH(int, lateMs);

    const Made made = Make(Stretched(1, lateMs).Damage(0.1, 0.1, 0.1));
    const TrackAlignment fit = AlignTracks(made.track, made.reference);
    QVERIFY(fit.found);
    QCOMPARE(fit.offsetMs, -int64_t {lateMs});
    QCOMPARE(fit.spanMs, int64_t {made.track.SubDuration});
    QCOMPARE(fit.residuals.maxMs, 0.0);
}

void TestTrackAlignment::refuses_data()
{
    QTest::addColumn<int>("trackLines"); // 0: the track is made from the reference's timing
    QTest::addColumn<int>("referenceLines");
    QTest::addColumn<Scenario>("made");
    QTest::addColumn<AlignmentFailure>("failure");
    QTest::addColumn<qint64>("offsetMs"); // what the fit needs, when it says

    const auto nothing = AlignmentFailure::NothingInCommon;
    QTest::newRow("unrelated tracks") << 2000 << 2000 << Scenario() << nothing << qint64 {0};
    QTest::newRow("a short unrelated track") << 40 << 2000 << Scenario() << nothing << qint64 {0};
    QTest::newRow("a short unrelated reference")
        << 2000 << 60 << Scenario() << nothing << qint64 {0};
    QTest::newRow("empty track") << -1 << 100 << Scenario() << AlignmentFailure::EmptyTrack
                                 << qint64 {0};
    QTest::newRow("empty reference")
        << 100 << -1 << Scenario() << AlignmentFailure::EmptyReference << qint64 {0};
    QTest::newRow("95 s late") << 0 << 0 << Stretched(1, 95000)
                               << AlignmentFailure::OffsetOutOfReach << qint64 {-95000};
    QTest::newRow("60.001 s early")
        << 0 << 0 << Stretched(1, -60001) << AlignmentFailure::OffsetOutOfReach << qint64 {60001};
    QTest::newRow("beyond where the offset is looked for")
        << 0 << 0 << Stretched(1, 900000) << nothing << qint64 {0};
    // Some four hours stretched by a quarter: an hour, where the duration reaches half of one.
    Scenario longFilm = Stretched(0.8, 0);
    longFilm.lines = 2500;
    QTest::newRow("span beyond the duration control")
        << 0 << 0 << longFilm << AlignmentFailure::SpanOutOfReach << qint64 {0};
}

void TestTrackAlignment::refuses()
{
    QFETCH(int, trackLines);
    QFETCH(int, referenceLines);
    QFETCH(Scenario, made);
    QFETCH(AlignmentFailure, failure);
    QFETCH(qint64, offsetMs);

    Made pair = Make(made);
    if (trackLines != 0) {
        pair.track = TrackOf(FilmTiming(11, std::max(trackLines, 0)));
        pair.reference = TrackOf(FilmTiming(12, std::max(referenceLines, 0)));
    }
    const TrackAlignment fit = AlignTracks(pair.track, pair.reference);
    QVERIFY(!fit.found);
    QCOMPARE(fit.failure, failure);
    if (offsetMs != 0)
        QCOMPARE(fit.offsetMs, offsetMs);
}

QTEST_GUILESS_MAIN(TestTrackAlignment)
#include "tst_track_alignment.moc"
