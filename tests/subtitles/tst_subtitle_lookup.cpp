// FindEntryAt: the entry current at a playback position.
#include "subtitle_test_support.h"

#include <QTest>

#include <random>

using namespace duvara;
using namespace duvara::test;

class TestSubtitleLookup : public QObject
{
    Q_OBJECT

private slots:
    void findEntryAt_data();
    void findEntryAt();
    void emptyTrackFindsNothing();
    void shownEntryOfALargeTrackKeepsItsPlace_data();
    void shownEntryOfALargeTrackKeepsItsPlace();
    void startingPointNeverChangesTheAnswer();
};

void TestSubtitleLookup::findEntryAt_data()
{
    QTest::addColumn<QList<qint64>>("times"); // start, end, start, end, ... as stored
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("offset");
    QTest::addColumn<float>("factor");
    QTest::addColumn<qint64>("position");
    QTest::addColumn<int>("expected");

    const QList<qint64> two = {10000, 12000, 13000, 14000};
    QTest::newRow("start of an entry") << two << 1 << 0 << 1.0f << qint64(10000) << 1;
    QTest::newRow("end counts as inside") << two << 1 << 0 << 1.0f << qint64(12000) << 1;
    QTest::newRow("just after an entry") << two << 1 << 0 << 1.0f << qint64(12001) << -1;
    QTest::newRow("start of the next entry") << two << 1 << 0 << 1.0f << qint64(13000) << 2;
    QTest::newRow("before the first entry") << two << 1 << 0 << 1.0f << qint64(9999) << 0;
    QTest::newRow("after the last entry") << two << 2 << 0 << 1.0f << qint64(14001) << -2;
    QTest::newRow("after a backward seek") << two << 2 << 0 << 1.0f << qint64(11000) << 1;
    QTest::newRow("start beyond the track") << two << 7 << 0 << 1.0f << qint64(13500) << 2;
    QTest::newRow("start 0") << two << 0 << 0 << 1.0f << qint64(13500) << 2;
    QTest::newRow("offset moves every entry") << two << 1 << 1000 << 1.0f << qint64(13500) << -1;
    QTest::newRow("negative offset") << two << 1 << -10000 << 1.0f << qint64(0) << 1;
    QTest::newRow("factor stretches") << two << 1 << 0 << 2.0f << qint64(25000) << -1;
    QTest::newRow("factor stretches the next start") << two << 1 << 0 << 2.0f << qint64(26000) << 2;
    // 12000 * (1 + 2^-10) = 12011.71875: rounded to 12012 it would still hold that position.
    QTest::newRow("scaled end") << two << 1 << 0 << 1.0009765625f << qint64(12011) << 1;
    QTest::newRow("scaled end is not rounded")
        << two << 1 << 0 << 1.0009765625f << qint64(12012) << -1;

    const QList<qint64> overlapping = {10000, 20000, 15000, 16000};
    QTest::newRow("overlap: the entry reached first wins")
        << overlapping << 1 << 0 << 1.0f << qint64(15500) << 1;
    QTest::newRow("overlap: the shown entry keeps its place")
        << overlapping << 2 << 0 << 1.0f << qint64(15500) << 2;
    QTest::newRow("past the last entry but inside an earlier one")
        << overlapping << 2 << 0 << 1.0f << qint64(17000) << 1;

    // The second entry starts 1000 ms before the first one, so its stored times wrapped.
    const QList<qint64> unordered = {0, 1000, 4294966296, 4294966796};
    QTest::newRow("entry before the first one plays at its time")
        << unordered << 1 << 5000 << 1.0f << qint64(4200) << 2;
}

void TestSubtitleLookup::findEntryAt()
{
    QFETCH(QList<qint64>, times);
    QFETCH(int, last);
    QFETCH(int, offset);
    QFETCH(float, factor);
    QFETCH(qint64, position);
    QFETCH(int, expected);

    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    for (int i = 0; i + 1 < times.size(); i += 2)
        pairs.emplace_back(static_cast<uint32_t>(times[i]), static_cast<uint32_t>(times[i + 1]));
    SubtitleTrack track = TrackWithTimes(pairs);
    track.LastIndex = last;
    QCOMPARE(FindEntryAt(track, offset, position, factor), expected);
}

void TestSubtitleLookup::emptyTrackFindsNothing()
{
    const SubtitleTrack track;
    QCOMPARE(FindEntryAt(track, 0, 1000, 1.0f), 0);
}

void TestSubtitleLookup::shownEntryOfALargeTrackKeepsItsPlace_data()
{
    QTest::addColumn<int>("last");
    QTest::addColumn<qint64>("position");
    QTest::addColumn<int>("expected");

    // Entry n of 70000 holds 10 n .. 10 n + 5; entry 70001 covers them all.
    QTest::newRow("the covering entry shown stays") << 70001 << qint64(44650) << 70001;
    QTest::newRow("from the first, the first reached wins") << 1 << qint64(44650) << 4465;
    QTest::newRow("shown entry 65536 stays") << 65536 << qint64(655360) << 65536;
    QTest::newRow("from entry 65537 the covering entry comes first")
        << 65537 << qint64(655360) << 70001;
    QTest::newRow("past every short entry") << 65537 << qint64(700020) << 70001;
    QTest::newRow("after the covering entry") << 70001 << qint64(800000) << -70001;
}

// The lookup starts at the shown entry; a start number cut to 16 bits would start elsewhere and,
// where entries overlap, answer with another entry.
void TestSubtitleLookup::shownEntryOfALargeTrackKeepsItsPlace()
{
    QFETCH(int, last);
    QFETCH(qint64, position);
    QFETCH(int, expected);

    static const SubtitleTrack track = [] {
        std::vector<std::pair<uint32_t, uint32_t>> times;
        for (uint32_t n = 1; n <= 70000; ++n)
            times.emplace_back(n * 10, n * 10 + 5);
        times.emplace_back(0, 700100);
        return TrackWithTimes(times);
    }();
    SubtitleTrack shown = track;
    shown.LastIndex = last;
    QCOMPARE(FindEntryAt(shown, 0, position, 1.0f), expected);
}

// With entries in order and apart, exactly one answer fits each position, so wherever the scan
// starts it must find the same one; this walks every seam between the two scans.
void TestSubtitleLookup::startingPointNeverChangesTheAnswer()
{
    std::mt19937 random(42);
    std::vector<std::pair<uint32_t, uint32_t>> times;
    uint32_t at = 0;
    for (int i = 0; i < 300; ++i) {
        const uint32_t start = at + random() % 3;
        const uint32_t end = start + random() % 4;
        times.emplace_back(start, end);
        at = end + 1;
    }
    SubtitleTrack track = TrackWithTimes(times);
    for (int64_t position = -2; position <= at + 2; ++position) {
        track.LastIndex = 1;
        const int32_t expected = FindEntryAt(track, 0, position, 1.0f);
        for (int last = 0; last <= 301; last += 1 + static_cast<int>(random() % 7)) {
            track.LastIndex = last;
            if (FindEntryAt(track, 0, position, 1.0f) != expected)
                QFAIL(qPrintable(
                    QStringLiteral("position %1 from entry %2").arg(position).arg(last)));
        }
    }
}

QTEST_GUILESS_MAIN(TestSubtitleLookup)
#include "tst_subtitle_lookup.moc"
