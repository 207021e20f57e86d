#include "controls/speech_alignment.h"

#include "controls/subtitle_track_controller.h"
#include "media/error_box.h"
#include "media/film_speech.h"
#include "subtitles/corrections.h"
#include "subtitles/speech_fit.h"
#include "subtitles/subtitle_track.h"

#include <QAction>
#include <QFile>
#include <QProgressDialog>
#include <QThread>

namespace duvara {

struct SpeechAlignment::Work
{
    std::string film;
    SubtitleTrack track;
    std::atomic<bool> cancel {false};
    FilmSpeech speech; // written by the worker, read after it ends
    TrackAlignment fit;
};

SpeechAlignmentOutcome DescribeSpeechFit(const QString &which, const TrackAlignment &fit,
                                         const SubtitleTrack &track)
{
    SpeechAlignmentOutcome outcome;
    const QString seconds = QStringLiteral("%1%2 s")
                                .arg(fit.offsetMs < 0 ? QStringLiteral("-") : QStringLiteral("+"))
                                .arg(std::abs(double(fit.offsetMs)) / 1000, 0, 'f', 3);
    switch (fit.failure) {
    case AlignmentFailure::None:
        outcome.applied = true;
        outcome.offsetMs = fit.offsetMs;
        outcome.spanMs = fit.spanMs;
        outcome.message = QStringLiteral("%1: %2, \u00d7%3")
                              .arg(which, seconds)
                              .arg(double(fit.spanMs) / std::max(1, track.SubDuration), 0, 'f', 4);
        break;
    case AlignmentFailure::EmptyTrack:
        outcome.message = QStringLiteral("The %1 subtitles have no entries").arg(which.toLower());
        break;
    case AlignmentFailure::EmptyReference:
        outcome.message = QStringLiteral("No speech was heard in the film");
        break;
    case AlignmentFailure::OffsetOutOfReach:
        outcome.message = QStringLiteral("The %1 subtitles would need an offset of %2, beyond "
                                         "what the offset reaches")
                              .arg(which.toLower(), seconds);
        break;
    case AlignmentFailure::SpanOutOfReach:
        outcome.message = QStringLiteral("The %1 subtitles would need a duration beyond what "
                                         "the duration reaches")
                              .arg(which.toLower());
        break;
    case AlignmentFailure::NothingInCommon:
        outcome.message
            = QStringLiteral("The %1 subtitles do not fit the film's speech (at best %2 % of the "
                             "entries line up)")
                  .arg(which.toLower())
                  .arg(int(fit.matchedFraction * 100));
        break;
    }
    return outcome;
}

SpeechAlignment::SpeechAlignment(SubtitleTrackController &track, const QString &which,
                                 FilmSource film, QWidget *dialogParent)
    : QObject(&track) // goes with the track it corrects
    , m_track(track)
    , m_which(which)
    , m_film(std::move(film))
    , m_dialogParent(dialogParent)
    , m_action(new QAction(QStringLiteral("Align to speech"), this))
{
    qRegisterMetaType<SpeechAlignmentOutcome>();
    connect(m_action, &QAction::triggered, this, Guarded(dialogParent, [this] { Start(); }));
}

SpeechAlignment::~SpeechAlignment()
{
    // The worker holds its own share of the work; it only has to stop reading the film.
    if (m_worker) {
        m_work->cancel = true;
        m_worker->wait();
        delete m_worker;
    }
    delete m_dialog;
}

void SpeechAlignment::Start()
{
    if (Running()) {
        if (m_dialog) {
            m_dialog->raise();
            m_dialog->activateWindow();
        }
        return;
    }
    const QString film = m_film ? m_film() : QString();
    if (film.isEmpty()) {
        ShowErrorBox(m_dialogParent,
                     QStringLiteral("Play a film first: the %1 subtitles are "
                                    "aligned to its speech")
                         .arg(m_which.toLower()));
        return;
    }
    if (m_track.Track().Subs.empty()) {
        ShowErrorBox(m_dialogParent,
                     QStringLiteral("Open the %1 subtitles first").arg(m_which.toLower()));
        return;
    }

    auto work = std::make_shared<Work>();
    work->film = QFile::encodeName(film).toStdString();
    work->track = m_track.Track();
    m_work = work;

    m_dialog = new QProgressDialog(QStringLiteral("Listening to the film\u2026"),
                                   QStringLiteral("Cancel"), 0, 1000, m_dialogParent);
    m_dialog->setWindowTitle(QStringLiteral("Align %1 subtitles to speech").arg(m_which.toLower()));
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
    connect(m_dialog, &QProgressDialog::canceled, this, &SpeechAlignment::Cancel);

    // This object outlives the worker (its destructor waits), and a queued call to it is dropped
    // if it goes before the call is delivered.
    m_worker = QThread::create([work, this] {
        FilmSpeechOptions options;
        options.cancel = &work->cancel;
        options.progress = [this](double share) {
            QMetaObject::invokeMethod(
                this, [this, share] { showProgress(share); }, Qt::QueuedConnection);
        };
        work->speech = FindFilmSpeech(work->film, options);
        if (work->speech.status == FilmSpeechStatus::Found && !work->cancel) {
            std::vector<SpeechSpan> spans;
            spans.reserve(work->speech.intervals.size());
            for (const SpeechInterval &interval : work->speech.intervals)
                spans.push_back({interval.startMs, interval.endMs});
            work->fit = AlignTrackToSpeech(work->track, spans);
        }
    });
    connect(m_worker, &QThread::finished, this, [this, work] { finish(work); });
    m_worker->start(QThread::LowPriority);
}

void SpeechAlignment::Cancel()
{
    if (m_work)
        m_work->cancel = true;
    if (m_dialog)
        m_dialog->setLabelText(QStringLiteral("Stopping\u2026"));
}

void SpeechAlignment::showProgress(double share)
{
    if (m_dialog && !m_work->cancel)
        m_dialog->setValue(static_cast<int>(share * 1000));
}

void SpeechAlignment::finish(const std::shared_ptr<Work> &work)
{
    m_worker->deleteLater();
    m_worker = nullptr;
    m_work.reset();
    if (m_dialog)
        m_dialog->deleteLater();

    SpeechAlignmentOutcome outcome;
    if (work->cancel || work->speech.status == FilmSpeechStatus::Cancelled) {
        outcome.message = QStringLiteral("Cancelled");
    } else if (work->speech.status == FilmSpeechStatus::Failed) {
        outcome.message = QString::fromStdString(work->speech.error);
        ShowErrorBox(m_dialogParent, outcome.message);
    } else {
        outcome = DescribeSpeechFit(m_which, work->fit, work->track);
        // The track may have been replaced while the film was being listened to; the fit
        // belongs to the track it was made for.
        const bool sameTrack = m_track.Track().Subs.size() == work->track.Subs.size()
            && m_track.Track().SubDuration == work->track.SubDuration
            && m_track.Track().BaseTime == work->track.BaseTime;
        if (outcome.applied && !sameTrack) {
            outcome.applied = false;
            outcome.message = QStringLiteral("The %1 subtitles changed while the film was "
                                             "being listened to; nothing was aligned")
                                  .arg(m_which.toLower());
        }
        if (outcome.applied)
            m_track.ApplyCorrection(static_cast<int>(outcome.offsetMs),
                                    static_cast<int>(outcome.spanMs));
        else
            ShowErrorBox(m_dialogParent, outcome.message);
    }
    emit Finished(outcome);
}

} // namespace duvara
