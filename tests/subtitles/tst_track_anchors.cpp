// Anchors turned into a track's offset and span, the corrected copy alignment measures against,
// and a MicroDVD track timed again at another frame rate.
#include "subtitles/corrections.h"
#include "subtitles/frame_retiming.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/track_anchors.h"

#include <QTest>

#include <cmath>

using namespace duvara;

namespace {

// Entries starting at these absolute times, each a second long, stored as the reader stores
// them: relative to the first.
SubtitleTrack TrackStartingAt(const QList<int> &starts)
{
    SubtitleTrack track;
    track.BaseTime = starts.first();
    for (int start : starts) {
        TSubT entry;
        entry.StartTime = uint32_t(start - track.BaseTime);
        entry.EndTime = entry.StartTime + 1000;
        track.Subs.push_back(entry);
        track.ListText.emplace_back();
    }
    ResetCorrections(track);
    return track;
}

// Where the entry's start shows under the correction.
int64_t ShownStart(const SubtitleTrack &track, int entry, const AnchorCorrection &correction)
{
    const float factor = DurationFactor(correction.spanMs, track.SubDuration);
    return CorrectedTime(track.Subs[std::size_t(entry)].StartTime, factor,
                         TrackShift(correction.offsetMs, track.BaseTime));
}

// Starts at 10, 20, 30 and 110 s: span 101 s.
const QList<int> kStarts {10000, 20000, 30000, 110000};

} // namespace

class TestTrackAnchors : public QObject
{
    Q_OBJECT
private slots:
    void correctionForAnchors_data();
    void correctionForAnchors();
    void placingAnchors_data();
    void placingAnchors();
    void twoAnchorsUndoAShiftAndAStretch();
    void correctedTimingsAreWhatTheListShows();
    void frameRateIsKeptAsRead_data();
    void frameRateIsKeptAsRead();
    void retimingFollowsTheFrames();
};

void TestTrackAnchors::correctionForAnchors_data()
{
    QTest::addColumn<QList<int>>("entries");
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<int>("presentSpan");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("span");
    QTest::addColumn<int>("wantedOffset");
    QTest::addColumn<bool>("spanClamped");

    QTest::newRow("one anchor moves the track")
        << QList {1} << QList {23200} << 101000 << 3200 << 101000 << 3200 << false;
    QTest::newRow("one anchor keeps the stretch")
        << QList {1} << QList {23200} << 202000 << -6800 << 202000 << -6800 << false;
    QTest::newRow("two anchors stretch")
        << QList {0, 2} << QList {13000, 43000} << 101000 << 3000 << 151500 << 3000 << false;
    QTest::newRow("two anchors in reverse order")
        << QList {2, 0} << QList {43000, 13000} << 101000 << 3000 << 151500 << 3000 << false;
    QTest::newRow("offset beyond +60 s")
        << QList {0} << QList {80000} << 101000 << 60000 << 101000 << 70000 << false;
    QTest::newRow("offset beyond -60 s")
        << QList {3} << QList {40000} << 101000 << -60000 << 101000 << -70000 << false;
    QTest::newRow("stretch beyond the duration's reach")
        << QList {1, 0} << QList {1010000, 10000} << 101000 << 0 << 101000 + 1800000 << 0 << true;
}

void TestTrackAnchors::correctionForAnchors()
{
    QFETCH(QList<int>, entries);
    QFETCH(QList<int>, positions);
    QFETCH(int, presentSpan);
    const SubtitleTrack track = TrackStartingAt(kStarts);
    std::vector<TrackAnchor> anchors;
    for (int i = 0; i < entries.size(); ++i)
        anchors = PlaceAnchor(track, anchors, {entries[i], positions[i]});

    const AnchorCorrection correction = CorrectionForAnchors(track, anchors, presentSpan);
    QTEST(int(correction.offsetMs), "offset");
    QTEST(int(correction.spanMs), "span");
    QTEST(int(correction.wantedOffsetMs), "wantedOffset");
    QTEST(correction.spanClamped, "spanClamped");
    QCOMPARE(correction.offsetClamped, correction.offsetMs != correction.wantedOffsetMs);
    // Whatever was in reach lands exactly where the user put it.
    if (!correction.offsetClamped && !correction.spanClamped)
        for (int i = 0; i < entries.size(); ++i)
            QCOMPARE(ShownStart(track, entries[i], correction), positions[i]);
}

void TestTrackAnchors::placingAnchors_data()
{
    QTest::addColumn<QList<int>>("entries");
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<QList<int>>("kept");
    QTest::addColumn<int>("placement");

    QTest::newRow("first") << QList {1} << QList {23200} << QList {1}
                           << int(AnchorPlacement::Added);
    QTest::newRow("second") << QList {0, 2} << QList {13000, 43000} << QList {0, 2}
                            << int(AnchorPlacement::Added);
    QTest::newRow("the same entry twice")
        << QList {1, 1} << QList {23200, 24200} << QList {1} << int(AnchorPlacement::Replaced);
    QTest::newRow("out of order") << QList {0, 2} << QList {13000, 5000} << QList {2}
                                  << int(AnchorPlacement::Contradicted);
    QTest::newRow("third keeps the latest two") << QList {0, 1, 2} << QList {13000, 23000, 33000}
                                                << QList {1, 2} << int(AnchorPlacement::Added);
    QTest::newRow("third keeps the one in order") << QList {0, 1, 2} << QList {13000, 50000, 33000}
                                                  << QList {0, 2} << int(AnchorPlacement::Added);
}

void TestTrackAnchors::placingAnchors()
{
    QFETCH(QList<int>, entries);
    QFETCH(QList<int>, positions);
    const SubtitleTrack track = TrackStartingAt(kStarts);
    std::vector<TrackAnchor> anchors;
    AnchorPlacement placement = AnchorPlacement::Added;
    for (int i = 0; i < entries.size(); ++i)
        anchors = PlaceAnchor(track, anchors, {entries[i], positions[i]}, &placement);
    QList<int> kept;
    for (const TrackAnchor &anchor : anchors)
        kept << anchor.entry;
    QTEST(kept, "kept");
    QTEST(int(placement), "placement");
    QCOMPARE(anchors.back().positionMs, positions.last());
}

// A track from another release: 3.2 s late and played at 23.976 instead of 25 frames a second.
// Two anchors at its true times bring every entry back to within a millisecond.
void TestTrackAnchors::twoAnchorsUndoAShiftAndAStretch()
{
    const double stretch = 25.0 / 23.976;
    QList<int> truth;
    QList<int> read;
    for (int i = 0; i < 600; ++i) {
        truth << 1000 + i * 11200;
        read << int(std::lround(truth.last() * stretch + 3200));
    }
    const SubtitleTrack track = TrackStartingAt(read);
    std::vector<TrackAnchor> anchors;
    anchors = PlaceAnchor(track, anchors, {550, truth[550]});
    anchors = PlaceAnchor(track, anchors, {20, truth[20]});
    const AnchorCorrection correction = CorrectionForAnchors(track, anchors, track.SubDuration);
    QVERIFY(!correction.offsetClamped && !correction.spanClamped);
    for (int i = 0; i < truth.size(); ++i)
        QVERIFY2(std::abs(ShownStart(track, i, correction) - truth[i]) <= 1,
                 qPrintable(QStringLiteral("entry %1").arg(i)));
}

void TestTrackAnchors::correctedTimingsAreWhatTheListShows()
{
    SubtitleTrack track = TrackStartingAt({-500, 10000, 30000});
    track.DurFactor = DurationFactor(track.SubDuration * 3 / 2, track.SubDuration);
    const SubtitleTrack copy = CorrectedTimings(track, 2000);
    QCOMPARE(copy.SubCount(), track.SubCount());
    const int32_t shift = TrackShift(2000, track.BaseTime);
    for (std::size_t i = 0; i < track.Subs.size(); ++i) {
        QCOMPARE(copy.BaseTime + RelativeMs(copy.Subs[i].StartTime),
                 CorrectedTime(track.Subs[i].StartTime, track.DurFactor, shift));
        QCOMPARE(copy.BaseTime + RelativeMs(copy.Subs[i].EndTime),
                 CorrectedTime(track.Subs[i].EndTime, track.DurFactor, shift));
    }
    QCOMPARE(copy.DurFactor, 1.0f);
}

void TestTrackAnchors::frameRateIsKeptAsRead_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<uint>("rate");
    QTest::addColumn<bool>("retimable");

    QTest::newRow("rate line") << QByteArray("{1}{1}23.976\n{10}{20}A\n") << "a.sub" << 23976u
                               << true;
    QTest::newRow("no rate line") << QByteArray("{10}{20}A\n") << "a.sub" << 25000u << true;
    QTest::newRow("rate changed midway")
        << QByteArray("{10}{20}A\n{1}{1}30\n{40}{50}B\n") << "a.txt" << 0u << false;
    QTest::newRow("SubRip") << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nA\n\n") << "a.srt"
                            << 0u << false;
    QTest::newRow("frames too short to tell apart")
        << QByteArray("{1}{1}1000.000\n{10}{20}A\n") << "a.sub" << 1000000u << false;
}

void TestTrackAnchors::frameRateIsKeptAsRead()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, name);
    SubtitleTrack track;
    QVERIFY(LoadSubtitlesFromBuffer(track, text.toStdString(), name.toStdString()));
    QTEST(uint(track.FrameRate), "rate");
    QTEST(CanRetime(track), "retimable");
}

void TestTrackAnchors::retimingFollowsTheFrames()
{
    SubtitleTrack track;
    QVERIFY(LoadSubtitlesFromBuffer(
        track, "{1}{1}25.000\n{250}{300}A\n{500}{550}B\n{2000000}{2000100}C\n{100}{120}D\n",
        "a.sub"));
    const auto times = [&track] {
        QList<int> all;
        for (const TSubT &entry : track.Subs)
            all << track.BaseTime + RelativeMs(entry.StartTime)
                << track.BaseTime + RelativeMs(entry.EndTime);
        return all;
    };
    const QList<int> at25 = times();

    RetimeFrames(track, 23976);
    QCOMPARE(track.FrameRate, 23976u);
    const auto frameAt23976 = [](int64_t frame) {
        return int(std::lround(frame * 1000000.0 / 23976));
    };
    QCOMPARE(times(),
             (QList {frameAt23976(250), frameAt23976(300), frameAt23976(500), frameAt23976(550),
                     frameAt23976(2000000), frameAt23976(2000100), frameAt23976(100),
                     frameAt23976(120)}));
    QCOMPARE(track.SubCount(), 4);

    // Back at the rate it was read at, nothing has drifted.
    RetimeFrames(track, 29970);
    RetimeFrames(track, 25000);
    QCOMPARE(times(), at25);
}

QTEST_GUILESS_MAIN(TestTrackAnchors)
#include "tst_track_anchors.moc"
