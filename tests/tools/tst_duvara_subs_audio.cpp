// duvara-subs align --to-audio end to end: the real program on a film made at test time.
#include "subtitles/synthetic_timing.h"

#include "subtitles/corrections.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_writer.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace duvara;

namespace {

const QString Film = QStringLiteral(DUVARA_SPEECH_MEDIA_DIR "/dialogue.mp4");
const QString Truth = QStringLiteral(DUVARA_SPEECH_MEDIA_DIR "/dialogue.srt");

struct Outcome
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Outcome RunTool(const QStringList &args)
{
    QProcess tool;
    tool.start(QStringLiteral(DUVARA_SUBS_PATH), args);
    if (!tool.waitForFinished(120000) || tool.exitStatus() != QProcess::NormalExit)
        return {};
    return {tool.exitCode(), tool.readAllStandardOutput(), tool.readAllStandardError()};
}

std::vector<int64_t> Starts(const QString &path)
{
    SubtitleTrack track;
    if (ReadSubtitleFile(track, path.toStdString()) != LoadResult::Loaded)
        return {};
    std::vector<int64_t> starts;
    for (const TSubT &entry : track.Subs)
        starts.push_back(track.BaseTime + RelativeMs(entry.StartTime));
    return starts;
}

// The film's track as a release 3.2 s late at 23.976 against 25 frames a second times it.
bool WriteStretchedTrack(const QString &path)
{
    SubtitleTrack truth;
    if (ReadSubtitleFile(truth, Truth.toStdString()) != LoadResult::Loaded)
        return false;
    test::Timings timings;
    for (const TSubT &entry : truth.Subs)
        timings.push_back({truth.BaseTime + RelativeMs(entry.StartTime),
                           truth.BaseTime + RelativeMs(entry.EndTime)});
    const double scale = (24000.0 / 1001) / 25;
    SubtitleTrack track = test::TrackOf(test::Mapped(timings, scale, 3200 * scale));
    return SaveSubtitles(track, TrackShift(0, track.BaseTime), path.toStdString());
}

} // namespace

class TestDuvaraSubsAudio : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void alignsToTheSpeechAndSaves()
    {
        const QString track = m_dir.filePath(QStringLiteral("late.srt"));
        const QString saved = m_dir.filePath(QStringLiteral("fixed.srt"));
        QVERIFY(WriteStretchedTrack(track));

        const Outcome outcome
            = RunTool({QStringLiteral("align"), track, QStringLiteral("--to-audio"), Film,
                       QStringLiteral("--save"), saved});
        QCOMPARE(outcome.exitCode, 0);
        // Not a terminal: the answer alone, no progress.
        QCOMPARE(outcome.err, QByteArray());
        const QRegularExpressionMatch line
            = QRegularExpression(QStringLiteral("^offset (-?\\d+) span (\\d+)\\n$"))
                  .match(QString::fromLatin1(outcome.out));
        QVERIFY2(line.hasMatch(), outcome.out.constData());
        const std::vector<int64_t> truth = Starts(Truth);
        // The first line's start, 3.2 s late and stretched, brought back to where it is spoken.
        const double scale = (24000.0 / 1001) / 25;
        const int64_t offset = truth.front() - std::llround(scale * (truth.front() + 3200));
        QVERIFY2(std::abs(line.captured(1).toLongLong() - offset) <= 100, outcome.out.constData());

        const std::vector<int64_t> fixed = Starts(saved);
        QCOMPARE(fixed.size(), truth.size());
        int within = 0;
        for (std::size_t i = 0; i < truth.size(); ++i)
            within += std::abs(fixed[i] - truth[i]) <= 100 ? 1 : 0;
        QVERIFY(within >= int(truth.size()) * 95 / 100);
    }

    void failsClearly_data()
    {
        QTest::addColumn<QString>("film");
        QTest::addColumn<bool>("unrelated");
        QTest::addColumn<QString>("message");
        QTest::newRow("track from another film")
            << Film << true << QStringLiteral("duvara-subs: no fit between ");
        QTest::newRow("no such film")
            << QStringLiteral(DUVARA_SPEECH_MEDIA_DIR "/nothing.mp4") << false
            << QStringLiteral("duvara-subs: " DUVARA_SPEECH_MEDIA_DIR "/nothing.mp4: No such file");
        QTest::newRow("film without sound")
            << QStringLiteral(DUVARA_SPEECH_MEDIA_DIR "/silent-picture.mp4") << false
            << QStringLiteral("duvara-subs: " DUVARA_SPEECH_MEDIA_DIR
                              "/silent-picture.mp4: the film has no sound track\n");
    }

    void failsClearly()
    {
        QFETCH(QString, film);
        QFETCH(bool, unrelated);
        QFETCH(QString, message);
        const QString track = m_dir.filePath(QStringLiteral("track.srt"));
        if (unrelated) {
            SubtitleTrack other = test::TrackOf(test::FilmTiming(42, 40, 2000));
            QVERIFY(SaveSubtitles(other, TrackShift(0, other.BaseTime), track.toStdString()));
        } else {
            QVERIFY(WriteStretchedTrack(track));
        }
        const QString saved = m_dir.filePath(QStringLiteral("never.srt"));
        const Outcome outcome
            = RunTool({QStringLiteral("align"), track, QStringLiteral("--to-audio"), film,
                       QStringLiteral("--save"), saved});
        QCOMPARE(outcome.exitCode, 1);
        QCOMPARE(outcome.out, QByteArray());
        QVERIFY2(outcome.err.contains(message.toUtf8()), outcome.err.constData());
        QVERIFY(!QFile::exists(saved));
    }

    void refusesTwoReferences()
    {
        const Outcome outcome = RunTool({QStringLiteral("align"), Truth, QStringLiteral("--to"),
                                         Truth, QStringLiteral("--to-audio"), Film});
        QCOMPARE(outcome.exitCode, 2);
        QVERIFY(outcome.err.contains("--to-audio FILM"));
    }
};

QTEST_GUILESS_MAIN(TestDuvaraSubsAudio)
#include "tst_duvara_subs_audio.moc"
