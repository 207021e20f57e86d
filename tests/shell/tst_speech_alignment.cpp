// "Align to speech" on the real window: a film with synthesised speech plays, the secondary track
// is 3.2 s late and stretched as a 23.976 release against a 25 film, and the list's command puts
// it right without holding up the window; Cancel leaves the track as it was.
#include "controls/speech_alignment.h"
#include "controls/subtitle_list.h"
#include "controls/subtitle_track_controller.h"
#include "shell/main_window.h"
#include "subtitles/corrections.h"
#include "subtitles/subtitle_reader.h"
#include "window_test_support.h"

#include <QAction>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <clocale>

using namespace duvara;
using namespace duvara::test;

namespace {

const char Film[] = DUVARA_SPEECH_MEDIA_DIR "/dialogue.mp4";
const char Truth[] = DUVARA_SPEECH_MEDIA_DIR "/dialogue.srt";
const double Scale = (24000.0 / 1001) / 25;

SubtitleTrack LateStretchedTrack()
{
    SubtitleTrack track;
    if (ReadSubtitleFile(track, Truth) != LoadResult::Loaded)
        return track;
    const int32_t base = track.BaseTime;
    track.BaseTime = static_cast<int32_t>(std::llround((base + 3200) * Scale));
    for (TSubT &entry : track.Subs) {
        const auto map = [&](uint32_t t) {
            return static_cast<uint32_t>(std::llround((base + RelativeMs(t) + 3200) * Scale)
                                         - track.BaseTime);
        };
        entry.StartTime = map(entry.StartTime);
        entry.EndTime = map(entry.EndTime);
    }
    return track;
}

QAction *AlignAction(QWidget *list)
{
    for (QAction *action : list->actions()) {
        if (action->text() == QLatin1String("Align to speech"))
            return action;
    }
    qFatal("the list offers no Align to speech");
}

} // namespace

class TestSpeechAlignment : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        std::setlocale(LC_NUMERIC, "C");
        m_window = new TFormVDMain;
        m_window->filterGraph().SetAudioEnabled(false);
        m_window->show();
    }
    void cleanup() { delete m_window; }

    void alignsTheTrackToTheFilm()
    {
        playFilmWithLateTrack();
        SpeechAlignment *alignment = m_window->secondaryTrack().findChild<SpeechAlignment *>();
        QVERIFY(alignment);
        QSignalSpy finished(alignment, &SpeechAlignment::Finished);
        AlignAction(child<SubtitleListView>(m_window, "LstSubt2"))->trigger();
        // The work goes on elsewhere: the window is back at once with a progress dialog up.
        QVERIFY(alignment->Running());
        QVERIFY(m_window->findChild<QProgressDialog *>());
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 120000);

        const auto outcome = finished.first().first().value<SpeechAlignmentOutcome>();
        QVERIFY2(outcome.applied, qPrintable(outcome.message));
        QVERIFY(outcome.message.startsWith(QLatin1String("Secondary: ")));
        QCOMPARE(m_window->secondaryTrack().Offset(), int(outcome.offsetMs));
        QCOMPARE(m_window->primaryTrack().Offset(), 0);

        // Every entry lands where it is spoken.
        SubtitleTrack truth;
        QCOMPARE(ReadSubtitleFile(truth, Truth), LoadResult::Loaded);
        const SubtitleTrack &track = m_window->secondaryTrack().Track();
        const int32_t shift = TrackShift(m_window->secondaryTrack().Offset(), track.BaseTime);
        int within = 0;
        for (int i = 0; i < truth.SubCount(); ++i) {
            const int64_t spoken = truth.BaseTime + RelativeMs(truth.Subs[i].StartTime);
            within
                += std::abs(CorrectedTime(track.Subs[i].StartTime, track.DurFactor, shift) - spoken)
                    <= 100
                ? 1
                : 0;
        }
        QVERIFY(within >= truth.SubCount() * 95 / 100);
    }

    void cancelLeavesTheTrackAsItWas()
    {
        playFilmWithLateTrack();
        SpeechAlignment *alignment = m_window->secondaryTrack().findChild<SpeechAlignment *>();
        QSignalSpy finished(alignment, &SpeechAlignment::Finished);
        AlignAction(child<SubtitleListView>(m_window, "LstSubt2"))->trigger();
        auto *progress = m_window->findChild<QProgressDialog *>();
        QVERIFY(progress);
        QPushButton *cancel = progress->findChild<QPushButton *>();
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        cancel->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 120000);
        QVERIFY(!finished.first().first().value<SpeechAlignmentOutcome>().applied);
        QCOMPARE(m_window->secondaryTrack().Offset(), 0);
        QCOMPARE(m_window->secondaryTrack().Track().DurFactor, 1.0f);
        QTRY_VERIFY(!m_window->findChild<QProgressDialog *>());
    }

    // Without a film to listen to, the command says so instead of doing nothing.
    void withoutAFilmItSaysWhy()
    {
        m_window->secondaryTrack().ShowTrack(LateStretchedTrack());
        QString shown;
        onNextModal<QMessageBox>([&shown](QMessageBox *box) {
            shown = box->text();
            box->accept();
        });
        AlignAction(child<SubtitleListView>(m_window, "LstSubt2"))->trigger();
        QVERIFY2(shown.contains(QLatin1String("Play a film first")), qPrintable(shown));
        QCOMPARE(m_window->secondaryTrack().Offset(), 0);
    }

private:
    void playFilmWithLateTrack()
    {
        m_window->OpenFileByName(QString::fromLatin1(Film));
        QTRY_VERIFY_WITH_TIMEOUT(child<QSlider>(m_window, "SldPos")->isEnabled(),
                                 kPlaybackTimeoutMs);
        QVERIFY(m_window->filterGraph().Pause());
        m_window->secondaryTrack().ShowTrack(LateStretchedTrack());
        QCOMPARE(m_window->secondaryTrack().Track().SubCount() > 20, true);
    }

    TFormVDMain *m_window = nullptr;
};

QTEST_MAIN(TestSpeechAlignment)
#include "tst_speech_alignment.moc"
