// Lining up two tracks of one film by timing alone, on generated tracks of film-like shape.
#include "subtitle_test_support.h"
#include "synthetic_timing.h"

#include "subtitles/corrections.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/track_alignment.h"

#include <QTest>

#include <algorithm>
#include <cmath>

using namespace duvara;
using namespace duvara::test;

namespace {

// The tracks are made by exact maps, so every judged entry lands within rounding to whole
// milliseconds and the single-precision factor of where it belongs; this leaves room for a fit
// that is a little loose, not for one that is off.
const double AllowedErrorMs = 20;

const double Pal = 25.0;
const double Film = 24000.0 / 1001;

// How the track to align was made from the reference's timing: each line damaged, retimed and
// stretched, then shifted; optionally cut, the entries after the cut shifted further.
struct Scenario
{
    uint64_t seed = 1;
    int lines = 2000;
    double stretch = 1; // track time = stretch * reference time + shift
    double shiftMs = 0;
    double missing = 0;
    double split = 0;
    double merged = 0;
    double referenceSplit = 0; // the reference's own lines split and merged as often
    int64_t jitterMs = 0; // either track's boundaries, independently
    double cutAt = 0; // share of the track's entries before the cut
    int64_t cutJumpMs = 0;
    bool reversedFileOrder = false;

    Scenario &Stretch(double s, double ms)
    {
        stretch = s;
        shiftMs = ms;
        return *this;
    }
    Scenario &Damage(double lost, double splitShare, double mergedShare)
    {
        missing = lost;
        split = splitShare;
        merged = mergedShare;
        return *this;
    }
    Scenario &Cut(double at, int64_t jumpMs)
    {
        cutAt = at;
        cutJumpMs = jumpMs;
        return *this;
    }
};

struct Made
{
    SubtitleTrack track;
    SubtitleTrack reference;
    std::vector<double> extraShift; // per entry of the track (file order): the cut's jump or 0
    std::size_t judgedFrom = 0; // the larger part of a cut track
    std::size_t judgedTo = 0;
};

Made Make(const Scenario &s)
{
    const Timings film = FilmTiming(s.seed, s.lines);
    Timings reference = Damaged(film, s.seed + 1, 0, s.referenceSplit / 2, s.referenceSplit / 2);
    Timings track = Damaged(film, s.seed + 2, s.missing, s.split, s.merged);
    if (s.jitterMs > 0) {
        reference = Jittered(reference, s.seed + 3, s.jitterMs);
        track = Jittered(track, s.seed + 4, s.jitterMs);
    }
    track = Mapped(track, s.stretch, s.shiftMs);

    Made made;
    made.extraShift.assign(track.size(), 0);
    made.judgedTo = track.size();
    if (s.cutAt > 0) {
        const auto cut = static_cast<std::size_t>(s.cutAt * double(track.size()));
        for (std::size_t i = cut; i < track.size(); ++i) {
            track[i].start += s.cutJumpMs;
            track[i].end += s.cutJumpMs;
            made.extraShift[i] = double(s.cutJumpMs);
        }
        if (cut > track.size() - cut)
            made.judgedTo = cut;
        else
            made.judgedFrom = cut;
    }
    if (s.reversedFileOrder) {
        std::reverse(track.begin(), track.end());
        std::reverse(made.extraShift.begin(), made.extraShift.end());
        made.judgedFrom = 0;
    }
    made.track = TrackOf(track);
    made.reference = TrackOf(reference);
    return made;
}

// How far each judged entry of the corrected track lies from where it belongs, the worse of its
// start and end, corrected exactly as the player's controls would with the found offset and span.
std::vector<double> EntryErrors(const Made &made, const Scenario &s, const TrackAlignment &fit)
{
    const SubtitleTrack &track = made.track;
    const float factor
        = DurationFactor(ClampTargetSpan(fit.spanMs, track.SubDuration), track.SubDuration);
    const int32_t shift = TrackShift(ClampUserOffset(fit.offsetMs), track.BaseTime);
    std::vector<double> errors;
    for (std::size_t i = made.judgedFrom; i < made.judgedTo; ++i) {
        double worst = 0;
        for (const uint32_t stored : {track.Subs[i].StartTime, track.Subs[i].EndTime}) {
            const double read = double(track.BaseTime) + RelativeMs(stored);
            const double belongs = (read - made.extraShift[i] - s.shiftMs) / s.stretch;
            worst
                = std::max(worst, std::abs(double(CorrectedTime(stored, factor, shift)) - belongs));
        }
        errors.push_back(worst);
    }
    std::sort(errors.begin(), errors.end());
    return errors;
}

double Percentile(const std::vector<double> &sorted, double share)
{
    const auto rank = static_cast<std::size_t>(std::ceil(share * double(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
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

    QTest::newRow("3.2 s late, 25 / 23.976") << Scenario().Stretch(Pal / Film, 3200);
    QTest::newRow("3.2 s early, 23.976 / 25") << Scenario().Stretch(Film / Pal, -3200);
    QTest::newRow("12 s late, 25 / 24") << Scenario().Stretch(Pal / 24, 12000);
    QTest::newRow("45 s early, 24 / 23.976") << Scenario().Stretch(24 / Film, -45000);
    QTest::newRow("a little off 25 / 23.976") << Scenario().Stretch(1.043, 1500);
    QTest::newRow("10 % each lost, split and merged, 25 / 23.976")
        << Scenario().Stretch(Pal / Film, 3200).Damage(0.1, 0.1, 0.1);
    QTest::newRow("cut at 40 %, a further 8 s after it")
        << Scenario().Stretch(Pal / Film, 3200).Cut(0.4, 8000);
    QTest::newRow("cut at 70 %, 8 s back after it, damaged")
        << Scenario().Stretch(Pal / 24, 3200).Damage(0.1, 0.05, 0.05).Cut(0.7, -8000);
    Scenario languages = Scenario().Stretch(Pal / 24, 2500).Damage(0.05, 0.1, 0.1);
    languages.referenceSplit = 0.2;
    languages.jitterMs = 40;
    QTest::newRow("two languages from one timing, retimed by a frame") << languages;
    Scenario looser = languages;
    looser.seed = 7;
    looser.jitterMs = 250;
    QTest::newRow("two languages retimed a quarter second apart") << looser;
    Scenario small = Scenario().Stretch(Film / Pal, 900).Damage(0.1, 0.1, 0.1);
    small.lines = 40;
    QTest::newRow("40 lines") << small;
    Scenario reversed = Scenario().Stretch(1, -20000);
    reversed.reversedFileOrder = true;
    QTest::newRow("file in reverse time order") << reversed;
}

void TestTrackAlignment::aligns()
{
    QFETCH(Scenario, scenario);

    const Made made = Make(scenario);
    const TrackAlignment fit = AlignTracks(made.track, made.reference);
    QVERIFY(fit.found);
    QCOMPARE(fit.failure, AlignmentFailure::None);
    QVERIFY(std::abs(fit.offsetMs) <= MaxUserOffset);
    QCOMPARE(ClampTargetSpan(fit.spanMs, made.track.SubDuration), fit.spanMs);

    const std::vector<double> errors = EntryErrors(made, scenario, fit);
    const QByteArray summary
        = QStringLiteral("%1 entries judged, error p50 %2 p95 %3 p99 %4 max %5 "
                         "ms; %6 % matched")
              .arg(errors.size())
              .arg(Percentile(errors, 0.5))
              .arg(Percentile(errors, 0.95))
              .arg(Percentile(errors, 0.99))
              .arg(errors.back())
              .arg(fit.matchedFraction * 100, 0, 'f', 1)
              .toUtf8();
    qInfo("%s", summary.constData());
    QVERIFY2(errors.back() <= AllowedErrorMs, summary.constData());
}

// A shift alone is whole milliseconds: it comes back exactly, in the offset control's terms,
// up to the control's limits, with the span untouched.
void TestTrackAlignment::pureShiftsAreExact_data()
{
    QTest::addColumn<int>("lateMs");

    QTest::newRow("none") << 0;
    QTest::newRow("1.234 s early") << -1234;
    QTest::newRow("59.5 s late") << 59500;
    QTest::newRow("a minute late") << 60000;
    QTest::newRow("a minute early") << -60000;
}

void TestTrackAlignment::pureShiftsAreExact()
{
    QFETCH(int, lateMs);

    const Made made = Make(Scenario().Stretch(1, lateMs).Damage(0.1, 0.1, 0.1));
    const TrackAlignment fit = AlignTracks(made.track, made.reference);
    QVERIFY(fit.found);
    QCOMPARE(fit.offsetMs, -int64_t {lateMs});
    QCOMPARE(fit.spanMs, int64_t {made.track.SubDuration});
    QCOMPARE(fit.residuals.maxMs, 0.0);
}

void TestTrackAlignment::refuses_data()
{
    QTest::addColumn<int>("trackLines"); // 0: the track is made from the reference by `made`
    QTest::addColumn<int>("referenceLines");
    QTest::addColumn<Scenario>("made");
    QTest::addColumn<AlignmentFailure>("failure");
    QTest::addColumn<qint64>("offsetMs"); // what the fit needs, when it says

    const Scenario none;
    QTest::newRow("unrelated tracks")
        << 2000 << 2000 << none << AlignmentFailure::NothingInCommon << qint64 {0};
    QTest::newRow("a short unrelated track")
        << 40 << 2000 << none << AlignmentFailure::NothingInCommon << qint64 {0};
    QTest::newRow("against a short unrelated reference")
        << 2000 << 60 << none << AlignmentFailure::NothingInCommon << qint64 {0};
    QTest::newRow("empty track") << -1 << 100 << none << AlignmentFailure::EmptyTrack << qint64 {0};
    QTest::newRow("empty reference")
        << 100 << -1 << none << AlignmentFailure::EmptyReference << qint64 {0};
    QTest::newRow("95 s late") << 0 << 0 << Scenario().Stretch(1, 95000)
                               << AlignmentFailure::OffsetOutOfReach << qint64 {-95000};
    QTest::newRow("60.001 s early") << 0 << 0 << Scenario().Stretch(1, -60001)
                                    << AlignmentFailure::OffsetOutOfReach << qint64 {60001};
    QTest::newRow("beyond where the offset is looked for")
        << 0 << 0 << Scenario().Stretch(1, 900000) << AlignmentFailure::NothingInCommon
        << qint64 {0};
    // Four hours stretched by a quarter: an hour more than the duration control reaches.
    Scenario long_ = Scenario().Stretch(0.8, 0);
    long_.lines = 2500;
    QTest::newRow("span beyond the duration control")
        << 0 << 0 << long_ << AlignmentFailure::SpanOutOfReach << qint64 {0};
}

void TestTrackAlignment::refuses()
{
    QFETCH(int, trackLines);
    QFETCH(int, referenceLines);
    QFETCH(Scenario, made);
    QFETCH(AlignmentFailure, failure);
    QFETCH(qint64, offsetMs);

    SubtitleTrack track;
    SubtitleTrack reference;
    if (trackLines == 0) {
        Made pair = Make(made);
        track = std::move(pair.track);
        reference = std::move(pair.reference);
    } else {
        if (trackLines > 0)
            track = TrackOf(FilmTiming(11, trackLines));
        if (referenceLines > 0)
            reference = TrackOf(FilmTiming(12, referenceLines));
    }

    const TrackAlignment fit = AlignTracks(track, reference);
    QVERIFY(!fit.found);
    QCOMPARE(fit.failure, failure);
    if (failure == AlignmentFailure::NothingInCommon)
        QVERIFY2(fit.matchedFraction < 0.25, QByteArray::number(fit.matchedFraction));
    if (offsetMs != 0)
        QCOMPARE(fit.offsetMs, offsetMs);
}

QTEST_GUILESS_MAIN(TestTrackAlignment)
#include "tst_track_alignment.moc"
