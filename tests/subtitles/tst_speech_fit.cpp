// Fitting a track to speech intervals as a voice detector reports them: onsets a few tens of ms
// off, sentences broken at pauses, lines it missed and noises it took for voices.
#include "subtitles/synthetic_timing.h"

#include "subtitles/corrections.h"
#include "subtitles/speech_fit.h"

#include <QTest>

using namespace duvara;
using namespace duvara::test;

namespace {

// What a detector hears of `lines`: each starts within `onsetJitter` of the line, stops before
// the subtitle does, is split at a pause with chance `split` or missed with chance `missed`;
// `noises` intervals more are heard where nobody speaks.
std::vector<SpeechSpan> Heard(const Timings &lines, uint64_t seed, int64_t onsetJitter,
                              double split, double missed, int noises)
{
    std::mt19937_64 random(seed);
    std::vector<SpeechSpan> speech;
    for (const Timing &line : lines) {
        const double roll = double(Between(random, 0, 999)) / 1000;
        if (roll < missed)
            continue;
        const int64_t start = line.start + Between(random, -onsetJitter, onsetJitter);
        const int64_t end = std::max(start + 150, line.end - Between(random, 0, 400));
        if (roll < missed + split) {
            const int64_t pause = start + (end - start) / 2;
            speech.push_back({start, pause - 150});
            speech.push_back({pause + 150, end});
        } else {
            speech.push_back({start, end});
        }
    }
    const int64_t last = lines.back().end;
    for (int i = 0; i < noises; ++i) {
        const int64_t at = Between(random, 0, last);
        speech.push_back({at, at + Between(random, 200, 2000)});
    }
    std::sort(speech.begin(), speech.end(),
              [](const SpeechSpan &a, const SpeechSpan &b) { return a.startMs < b.startMs; });
    return speech;
}

// The share of the track's entries whose corrected start lies within 100 ms of the true one.
double ShareWithin100(const SubtitleTrack &track, const Timings &truth, const TrackAlignment &fit)
{
    const float factor = DurationFactor(fit.spanMs, track.SubDuration);
    const int32_t shift = TrackShift(ClampUserOffset(fit.offsetMs), track.BaseTime);
    int within = 0;
    for (std::size_t i = 0; i < truth.size(); ++i) {
        const int64_t corrected = CorrectedTime(track.Subs[i].StartTime, factor, shift);
        within += std::abs(corrected - truth[i].start) <= 100 ? 1 : 0;
    }
    return double(within) / double(truth.size());
}

} // namespace

class TestSpeechFit : public QObject
{
    Q_OBJECT

private slots:
    void recoversShiftAndStretch_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("onsetJitter");
        QTest::addColumn<double>("split");
        QTest::addColumn<double>("missed");
        QTest::addColumn<int>("noises");
        QTest::addColumn<double>("scale");

        const double ntscToPal = (24000.0 / 1001) / 25;
        QTest::newRow("short film, clean speech") << 40 << 40 << 0.0 << 0.0 << 0 << ntscToPal;
        QTest::newRow("short film, sloppy detector") << 40 << 80 << 0.2 << 0.1 << 8 << ntscToPal;
        QTest::newRow("feature film") << 1400 << 60 << 0.15 << 0.05 << 200 << ntscToPal;
        QTest::newRow("feature film, stretched the other way")
            << 1400 << 60 << 0.15 << 0.05 << 200 << 1 / ntscToPal;
        QTest::newRow("feature film, shift alone") << 1400 << 60 << 0.15 << 0.05 << 200 << 1.0;
    }

    // The track's times run at `scale` against the film's and 3.2 s early; the fit maps them
    // back onto where the lines are spoken.
    void recoversShiftAndStretch()
    {
        QFETCH(int, lines);
        QFETCH(int, onsetJitter);
        QFETCH(double, split);
        QFETCH(double, missed);
        QFETCH(int, noises);
        QFETCH(double, scale);

        const Timings truth = FilmTiming(7, lines);
        const Timings shown = Mapped(truth, scale, -3200 * scale);
        const SubtitleTrack track = TrackOf(shown);
        const TrackAlignment fit
            = AlignTrackToSpeech(track, Heard(truth, 11, onsetJitter, split, missed, noises));

        QVERIFY2(fit.found, qPrintable(QString::number(int(fit.failure))));
        QVERIFY2(ShareWithin100(track, truth, fit) >= 0.95,
                 qPrintable(QStringLiteral("offset %1 span %2 scale %3")
                                .arg(fit.offsetMs)
                                .arg(fit.spanMs)
                                .arg(fit.scale, 0, 'f', 5)));
    }

    void unrelatedTrackHasNoFit_data()
    {
        QTest::addColumn<int>("lines");
        QTest::newRow("short film") << 40;
        QTest::newRow("feature film") << 1400;
    }

    void unrelatedTrackHasNoFit()
    {
        QFETCH(int, lines);
        const SubtitleTrack track = TrackOf(FilmTiming(99, lines));
        const TrackAlignment fit
            = AlignTrackToSpeech(track, Heard(FilmTiming(5, lines), 3, 60, 0.1, 0.05, lines / 10));
        QVERIFY(!fit.found);
        QCOMPARE(fit.failure, AlignmentFailure::NothingInCommon);
    }

    void silentFilmIsNoReference()
    {
        const TrackAlignment fit = AlignTrackToSpeech(TrackOf(FilmTiming(1, 20)), {});
        QCOMPARE(fit.failure, AlignmentFailure::EmptyReference);
    }

    // Detector output is taken as it comes: reversed or negative spans must not wrap into
    // times days away.
    void referenceKeepsOddSpansInRange()
    {
        const SubtitleTrack reference
            = SpeechReferenceTrack({{-500, 300}, {2000, 1500}, {4000, 4600}});
        QCOMPARE(reference.BaseTime, 0);
        QCOMPARE(reference.SubCount(), 3);
        QCOMPARE(RelativeMs(reference.Subs[0].StartTime), 0);
        QCOMPARE(RelativeMs(reference.Subs[0].EndTime), 300);
        QCOMPARE(RelativeMs(reference.Subs[1].StartTime), 2000);
        QCOMPARE(RelativeMs(reference.Subs[1].EndTime), 2000);
        QCOMPARE(RelativeMs(reference.Subs[2].EndTime), 4600);
        QCOMPARE(reference.SubDuration, 4600);
    }
};

QTEST_APPLESS_MAIN(TestSpeechFit)
#include "tst_speech_fit.moc"
