// The whole analysis on a film made at test time: synthesised phrases at known times over a
// noise bed, with hiss between some of them, as 48 kHz stereo AAC beside a picture stream.
// Fitting tracks to it is tested through duvara-subs and the window.
#include "media/film_speech.h"

#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"

#include <QTest>

using namespace duvara;

namespace {

const std::string FilmPath = DUVARA_SPEECH_MEDIA_DIR "/dialogue.mp4";
const std::string TruthPath = DUVARA_SPEECH_MEDIA_DIR "/dialogue.srt";

// Where each phrase is spoken: from its start to its subtitle's end.
std::vector<SpeechInterval> Spoken()
{
    SubtitleTrack truth;
    if (ReadSubtitleFile(truth, TruthPath) != LoadResult::Loaded)
        return {};
    std::vector<SpeechInterval> lines;
    for (const TSubT &entry : truth.Subs)
        lines.push_back({truth.BaseTime + RelativeMs(entry.StartTime),
                         truth.BaseTime + RelativeMs(entry.EndTime)});
    return lines;
}

std::vector<int64_t> SpokenStarts()
{
    std::vector<int64_t> starts;
    for (const SpeechInterval &line : Spoken())
        starts.push_back(line.startMs);
    return starts;
}

} // namespace

class TestFilmSpeech : public QObject
{
    Q_OBJECT

private:
    FilmSpeech m_speech; // of the film, found once in one part

private slots:
    void initTestCase()
    {
        FilmSpeechOptions options;
        options.parts = 1;
        m_speech = FindFilmSpeech(FilmPath, options);
        QCOMPARE(int(m_speech.status), int(FilmSpeechStatus::Found));
        QVERIFY(!SpokenStarts().empty());
    }

    // Every phrase is heard where it starts, and nothing else is: the hiss is no phrase.
    void hearsEveryPhraseWhereItStarts()
    {
        const std::vector<int64_t> starts = SpokenStarts();
        int near = 0;
        for (const int64_t start : starts) {
            near += std::any_of(m_speech.intervals.begin(), m_speech.intervals.end(),
                                [start](const SpeechInterval &i) {
                                    return std::abs(i.startMs - start) <= 100;
                                })
                ? 1
                : 0;
        }
        QVERIFY2(near >= int(starts.size()) * 95 / 100,
                 qPrintable(QStringLiteral("%1 of %2").arg(near).arg(starts.size())));
        const std::vector<SpeechInterval> lines = Spoken();
        for (const SpeechInterval &heard : m_speech.intervals) {
            const bool duringSomePhrase
                = std::any_of(lines.begin(), lines.end(), [&heard](const SpeechInterval &line) {
                      return heard.startMs >= line.startMs - 100 && heard.endMs <= line.endMs + 200;
                  });
            QVERIFY2(duringSomePhrase,
                     qPrintable(
                         QStringLiteral("%1-%2 is no phrase").arg(heard.startMs).arg(heard.endMs)));
        }
        QVERIFY(m_speech.intervals.size() < starts.size() * 2);
    }

    // The parts decoded side by side meet without losing or doubling sound at the seams.
    void partsDecodedApartAgreeWithOneDecode_data()
    {
        QTest::addColumn<int>("parts");
        QTest::newRow("two") << 2;
        QTest::newRow("five") << 5;
    }

    void partsDecodedApartAgreeWithOneDecode()
    {
        QFETCH(int, parts);
        FilmSpeechOptions options;
        options.parts = parts;
        const FilmSpeech split = FindFilmSpeech(FilmPath, options);
        QCOMPARE(int(split.status), int(FilmSpeechStatus::Found));
        QVERIFY(std::abs(split.durationMs - m_speech.durationMs) <= 2 * SpeechHopMs);
        QCOMPARE(split.intervals.size(), m_speech.intervals.size());
        for (std::size_t k = 0; k < split.intervals.size(); ++k) {
            QVERIFY(std::abs(split.intervals[k].startMs - m_speech.intervals[k].startMs) <= 20);
            QVERIFY(std::abs(split.intervals[k].endMs - m_speech.intervals[k].endMs) <= 20);
        }
    }

    void unusableFilesFailWithTheirName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QStringLiteral(DUVARA_TEST_MEDIA_DIR "/missing.mp4")
                                 << QStringLiteral("No such file");
        QTest::newRow("folder") << QStringLiteral(DUVARA_TEST_MEDIA_DIR)
                                << QStringLiteral("not a regular file");
        QTest::newRow("not a film")
            << QStringLiteral(DUVARA_TEST_MEDIA_DIR "/unplayable.mp4") << QString();
        QTest::newRow("picture without sound")
            << QStringLiteral(DUVARA_SPEECH_MEDIA_DIR "/silent-picture.mp4")
            << QStringLiteral("no sound track");
    }

    void unusableFilesFailWithTheirName()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        const FilmSpeech speech = FindFilmSpeech(path.toStdString());
        QCOMPARE(int(speech.status), int(FilmSpeechStatus::Failed));
        const QString error = QString::fromStdString(speech.error);
        QVERIFY2(error.startsWith(path + QLatin1Char(':')), qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    void cancelStopsTheAnalysis_data()
    {
        QTest::addColumn<bool>("fromProgress");
        QTest::newRow("before it starts") << false;
        QTest::newRow("while it runs") << true;
    }

    void cancelStopsTheAnalysis()
    {
        QFETCH(bool, fromProgress);
        std::atomic<bool> cancel {!fromProgress};
        FilmSpeechOptions options;
        options.cancel = &cancel;
        options.parts = 2;
        // The first report comes as the parts start: cancelling then must end every part.
        options.progress = [&cancel](double) {
            cancel = true;
        };
        const FilmSpeech speech = FindFilmSpeech(FilmPath, options);
        QCOMPARE(int(speech.status), int(FilmSpeechStatus::Cancelled));
        QVERIFY(speech.intervals.empty());
    }
};

QTEST_GUILESS_MAIN(TestFilmSpeech)
#include "tst_film_speech.moc"
