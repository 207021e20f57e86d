// The SubRip writer: text layout, round trips and saves that fail without losing a file.
#include "subtitle_test_support.h"
#include "support/file_size_limit.h"

#include "subtitles/corrections.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <utility>
#include <vector>

#include <unistd.h>

using namespace duvara;
using namespace duvara::test;

namespace {

constexpr int Int32Max = std::numeric_limits<int32_t>::max();

SubtitleTrack OneEntry(const char *text, uint8_t style, uint32_t start, uint32_t end,
                       float factor = 1.0f)
{
    SubtitleTrack track = TrackWithTimes({{start, end}});
    track.Subs[0].Text = text;
    track.Subs[0].Style = style;
    track.DurFactor = factor;
    return track;
}

// Entry times in file order: start, end, start, end, ...
using TimeList = QList<qint64>;

std::vector<std::pair<uint32_t, uint32_t>> EntryTimes(const TimeList &times)
{
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    for (qsizetype i = 0; i + 1 < times.size(); i += 2)
        pairs.emplace_back(static_cast<uint32_t>(times[i]), static_cast<uint32_t>(times[i + 1]));
    return pairs;
}

bool CanCreateFileIn(const QString &directory)
{
    const QString probe = directory + "/probe";
    const bool created = WriteBytes(probe, "x");
    QFile::remove(probe);
    return created;
}

} // namespace

class TestSubtitleWriter : public QObject
{
    Q_OBJECT

private slots:
    void buildSubRipText_data();
    void buildSubRipText();
    void roundTrip();
    void timesRoundTrip_data();
    void timesRoundTrip();
    void saveOverTheSourceKeepsEveryEntry_data();
    void saveOverTheSourceKeepsEveryEntry();
    void failedSaveKeepsTheFile_data();
    void failedSaveKeepsTheFile();
    void saveKeepsPermissionsAndLinks();
};

void TestSubtitleWriter::buildSubRipText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("style");
    QTest::addColumn<uint>("start");
    QTest::addColumn<uint>("end");
    QTest::addColumn<float>("factor");
    QTest::addColumn<int>("shift");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("style tags around the whole text")
        << QByteArray("Hello\n\rworld") << int(StyleBold | StyleItalic) << 1000u << 4000u << 1.0f
        << 0
        << QByteArray("1\r\n00:00:01,000 --> 00:00:04,000\r\n<b><i>Hello\r\nworld</b></i>\r\n\r\n");
    QTest::newRow("times below zero are written as zero")
        << QByteArray("x") << 0 << 3000u << 6000u << 1.0f << -5000
        << QByteArray("1\r\n00:00:00,000 --> 00:00:01,000\r\nx\r\n\r\n");
    QTest::newRow("factor and shift")
        << QByteArray("x") << 0 << 1000u << 2000u << 2.0f << 1000
        << QByteArray("1\r\n00:00:03,000 --> 00:00:05,000\r\nx\r\n\r\n");
    QTest::newRow("empty text gives one empty line")
        << QByteArray() << 0 << 0u << 1000u << 1.0f << 0
        << QByteArray("1\r\n00:00:00,000 --> 00:00:01,000\r\n\r\n\r\n");
    QTest::newRow("underline without text")
        << QByteArray() << int(StyleUnderline) << 0u << 1000u << 1.0f << 0
        << QByteArray("1\r\n00:00:00,000 --> 00:00:01,000\r\n<u></u>\r\n\r\n");
    QTest::newRow("LF alone is no line break")
        << QByteArray("a\n\n\rb") << 0 << 0u << 1000u << 1.0f << 0
        << QByteArray("1\r\n00:00:00,000 --> 00:00:01,000\r\na\n\r\nb\r\n\r\n");
    QTest::newRow("hours past 99 take three digits")
        << QByteArray("x") << 0 << 359999999u << 360000000u << 1.0f << 0
        << QByteArray("1\r\n99:59:59,999 --> 100:00:00,000\r\nx\r\n\r\n");
    QTest::newRow("stretched past 100 hours")
        << QByteArray("x") << 0 << 1000u << 200000000u << 2.0f << 0
        << QByteArray("1\r\n00:00:02,000 --> 111:06:40,000\r\nx\r\n\r\n");
    QTest::newRow("shifted to the largest time a track holds")
        << QByteArray("x") << 0 << 0u << 1u << 1.0f << Int32Max - 1
        << QByteArray("1\r\n596:31:23,646 --> 596:31:23,647\r\nx\r\n\r\n");
    // The file keeps the corrected time; reading it back saturates it.
    QTest::newRow("shifted past what a track holds")
        << QByteArray("x") << 0 << 0u << 1000u << 1.0f << Int32Max
        << QByteArray("1\r\n596:31:23,647 --> 596:31:24,647\r\nx\r\n\r\n");
}

void TestSubtitleWriter::buildSubRipText()
{
    QFETCH(QByteArray, text);
    QFETCH(int, style);
    QFETCH(uint, start);
    QFETCH(uint, end);
    QFETCH(float, factor);
    QFETCH(int, shift);
    QFETCH(QByteArray, written);

    const SubtitleTrack track
        = OneEntry(text.constData(), static_cast<uint8_t>(style), start, end, factor);
    QCOMPARE(Bytes(BuildSubRipText(track, shift)), written);
}

void TestSubtitleWriter::timesRoundTrip_data()
{
    QTest::addColumn<TimeList>("stored"); // relative to a base time of 0
    QTest::addColumn<int>("shift");
    QTest::addColumn<TimeList>("readBack"); // absolute times of the file read back

    QTest::newRow("zero and one") << TimeList {0, 1} << 0 << TimeList {0, 1};
    QTest::newRow("either side of 100 hours")
        << TimeList {359999999, 360000000, 360000000, 360000001} << 0
        << TimeList {359999999, 360000000, 360000000, 360000001};
    QTest::newRow("shifted across 100 hours")
        << TimeList {0, 1, 2, 3} << 359999998
        << TimeList {359999998, 359999999, 360000000, 360000001};
    QTest::newRow("the largest time a track holds")
        << TimeList {Int32Max - 1, Int32Max} << 0 << TimeList {Int32Max - 1, Int32Max};
    QTest::newRow("an entry before a first one past 100 hours")
        << TimeList {360000000, 360001000, 0, 1000} << 0
        << TimeList {360000000, 360001000, 0, 1000};

    // An odd step walks every field through many values and every hour up to 596; the last
    // time is the largest a track holds.
    TimeList spread;
    for (qint64 t = 0; t < Int32Max; t += 524287)
        spread << t << t + 1;
    spread << Int32Max - 1 << Int32Max;
    QTest::newRow("spread over the whole range") << spread << 0 << spread;

    QTest::newRow("shifted past what a track holds saturates")
        << TimeList {0, 647, 648, 1000} << Int32Max - 647
        << TimeList {Int32Max - 647, Int32Max, Int32Max, Int32Max};
}

// Any time a track holds, written and read back, is the same time; saving what was read gives
// the bytes the read-back times give.
void TestSubtitleWriter::timesRoundTrip()
{
    QFETCH(TimeList, stored);
    QFETCH(int, shift);
    QFETCH(TimeList, readBack);

    const SubtitleTrack track = TrackWithTimes(EntryTimes(stored));
    const std::string written = BuildSubRipText(track, shift);
    SubtitleTrack reloaded;
    QVERIFY(LoadSubtitlesFromBuffer(reloaded, written, "again.srt"));
    QCOMPARE(reloaded.SubCount(), track.SubCount());
    TimeList read;
    for (const TSubT &entry : reloaded.Subs)
        read << qint64 {reloaded.BaseTime} + RelativeMs(entry.StartTime)
             << qint64 {reloaded.BaseTime} + RelativeMs(entry.EndTime);
    QCOMPARE(read, readBack);
    QCOMPARE(Bytes(BuildSubRipText(reloaded, reloaded.BaseTime)),
             Bytes(BuildSubRipText(TrackWithTimes(EntryTimes(readBack)), 0)));
}

// What was saved with corrections loads back with the corrections built in, and saving that
// again without corrections gives the same bytes.
void TestSubtitleWriter::roundTrip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SubtitleTrack original;
    QVERIFY(LoadSubtitles(original, DataPath("basic.srt").toStdString()));
    original.DurFactor = 1.25f;
    const int32_t shift = TrackShift(2000, original.BaseTime);

    const std::string first = dir.filePath("first.srt").toStdString();
    QVERIFY(SaveSubtitles(original, shift, first));
    SubtitleTrack reloaded;
    QVERIFY(LoadSubtitles(reloaded, first));

    QCOMPARE(reloaded.Subs.size(), original.Subs.size());
    for (std::size_t i = 0; i < original.Subs.size(); ++i) {
        const TSubT &before = original.Subs[i];
        const TSubT &after = reloaded.Subs[i];
        QCOMPARE(Bytes(after.Text), Bytes(before.Text));
        QCOMPARE(after.Style, before.Style);
        QCOMPARE(int64_t {reloaded.BaseTime} + after.StartTime,
                 int64_t {ShownTime(before.StartTime, 1.25f, shift)});
        QCOMPARE(int64_t {reloaded.BaseTime} + after.EndTime,
                 int64_t {ShownTime(before.EndTime, 1.25f, shift)});
    }
    QCOMPARE(reloaded.ListText, original.ListText);

    const std::string second = dir.filePath("second.srt").toStdString();
    QVERIFY(SaveSubtitles(reloaded, reloaded.BaseTime, second));
    QCOMPARE(FileBytes(QString::fromStdString(second)), FileBytes(QString::fromStdString(first)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList {"first.srt", "second.srt"}));
}

void TestSubtitleWriter::saveOverTheSourceKeepsEveryEntry_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("lastEntry");

    QTest::newRow("SubRip 65536 over itself")
        << "a.srt"
        << "a.srt" << 65536
        << QByteArray("\r\n65536\r\n18:12:16,000 --> 18:12:16,500\r\nentry 65536\r\n\r\n");
    QTest::newRow("SubRip 70000 over itself")
        << "a.srt"
        << "a.srt" << 70000
        << QByteArray("\r\n70000\r\n19:26:40,000 --> 19:26:40,500\r\nentry 70000\r\n\r\n");
    QTest::newRow("MicroDVD 70000 as SubRip")
        << "a.sub"
        << "a.srt" << 70000
        << QByteArray("\r\n70000\r\n07:46:40,000 --> 07:46:40,200\r\nentry 70000\r\n\r\n");
}

// Save As onto the file just opened: whatever the file held must come back from the new one.
void TestSubtitleWriter::saveOverTheSourceKeepsEveryEntry()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(int, count);
    QFETCH(QByteArray, lastEntry);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray content = NumberedEntries(count, source.endsWith(".sub"));
    QVERIFY(WriteBytes(dir.filePath(source), content));

    SubtitleTrack track;
    QVERIFY(LoadSubtitles(track, dir.filePath(source).toStdString()));
    QCOMPARE(track.SubCount(), count);
    QVERIFY(
        SaveSubtitles(track, TrackShift(0, track.BaseTime), dir.filePath(target).toStdString()));

    const QByteArray saved = FileBytes(dir.filePath(target));
    QVERIFY(saved.endsWith(lastEntry));
    QCOMPARE(saved.count("\r\n\r\n"), count);
    if (source == target)
        QVERIFY(saved == content); // compared whole, not through QCOMPARE's print of 4 MB
    SubtitleTrack reloaded;
    QVERIFY(LoadSubtitles(reloaded, dir.filePath(target).toStdString()));
    QCOMPARE(reloaded.SubCount(), count);
    QCOMPARE(Describe(reloaded), Describe(track));
}

void TestSubtitleWriter::failedSaveKeepsTheFile_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("needsPermissions");

    QTest::newRow("missing directory") << ""
                                       << "missing/out.srt" << false;
    QTest::newRow("target is a directory") << "out.srt/"
                                           << "out.srt" << false;
    QTest::newRow("parent is a file") << "file"
                                      << "file/out.srt" << false;
    QTest::newRow("write fails part-way") << "out.srt"
                                          << "out.srt" << false;
    QTest::newRow("read-only directory") << "ro/out.srt"
                                         << "ro/out.srt" << true;
    QTest::newRow("read-only file") << "out.srt"
                                    << "out.srt" << true;
}

void TestSubtitleWriter::failedSaveKeepsTheFile()
{
    QFETCH(QString, setup);
    QFETCH(QString, target);
    QFETCH(bool, needsPermissions);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray old = "old contents\r\n";
    if (setup.endsWith('/')) {
        QVERIFY(QDir(dir.path()).mkpath(setup + "inside"));
    } else if (!setup.isEmpty()) {
        QVERIFY(QDir(dir.path()).mkpath(QFileInfo(dir.filePath(setup)).path()));
        QVERIFY(WriteBytes(dir.filePath(setup), old));
    }
    const QString targetPath = dir.filePath(target);
    const QString targetDir = QFileInfo(targetPath).path();

    if (QTest::currentDataTag() == QByteArray("read-only directory"))
        QVERIFY(QFile::setPermissions(targetDir, QFile::ReadOwner | QFile::ExeOwner));
    if (QTest::currentDataTag() == QByteArray("read-only file"))
        QVERIFY(QFile::setPermissions(targetPath, QFile::ReadOwner));
    if (needsPermissions && (CanCreateFileIn(targetDir) || QFileInfo(targetPath).isWritable())) {
        QFile::setPermissions(targetDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSKIP("permissions do not hold for this user (root)");
    }

    SubtitleTrack track = OneEntry("new text", 0, 0, 1000);
    const TSubT entry = track.Subs[0];
    track.Subs.resize(2000, entry); // well past the size limit below
    track.ListText.resize(2000);
    const QStringList before = QDir(targetDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    bool saved = true;
    if (QTest::currentDataTag() == QByteArray("write fails part-way")) {
        const FileSizeLimit limit(4096);
        saved = SaveSubtitles(track, 0, targetPath.toStdString());
    } else {
        saved = SaveSubtitles(track, 0, targetPath.toStdString());
    }
    QFile::setPermissions(targetDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY(!saved);
    QCOMPARE(QDir(targetDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             before); // no leftovers
    if (!setup.isEmpty() && !setup.endsWith('/'))
        QCOMPARE(FileBytes(dir.filePath(setup)), old);
    if (setup.endsWith('/'))
        QVERIFY(QFileInfo(dir.filePath(setup + "inside")).isDir());
}

void TestSubtitleWriter::saveKeepsPermissionsAndLinks()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString real = dir.filePath("real.srt");
    const QString link = dir.filePath("link.srt");
    QVERIFY(WriteBytes(real, "old"));
    QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QVERIFY(QFile::link(real, link));

    const SubtitleTrack track = OneEntry("x", 0, 0, 1000);
    QVERIFY(SaveSubtitles(track, 0, link.toStdString()));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(FileBytes(real), Bytes(BuildSubRipText(track, 0)));
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFileInfo(real).permissions() & modeBits,
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             (QStringList {"link.srt", "real.srt"}));
}

QTEST_GUILESS_MAIN(TestSubtitleWriter)
#include "tst_subtitle_writer.moc"
