// "Align to speech" for one subtitle track: the playing film's sound is searched for speech on a
// worker thread, under a progress dialog whose Cancel stops it, and the fit becomes the track's
// Offset and Duration. The window stays responsive throughout.
#pragma once

#include "subtitles/track_alignment.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QAction;
class QProgressDialog;
class QThread;
class QWidget;

namespace duvara {

class SubtitleTrackController;
struct SubtitleTrack;

// What a finished search amounts to, in the words the user is shown.
struct SpeechAlignmentOutcome
{
    bool applied = false;
    int64_t offsetMs = 0;
    int64_t spanMs = 0;
    QString message; // what changed, or why nothing did
};

// The text for an alignment of the track named `which` ("Primary", "Secondary"), found or not.
SpeechAlignmentOutcome DescribeSpeechFit(const QString &which, const TrackAlignment &fit,
                                         const SubtitleTrack &track);

class SpeechAlignment : public QObject
{
    Q_OBJECT
public:
    // `film` names the film playing now, or nothing when none is.
    using FilmSource = std::function<QString()>;
    SpeechAlignment(SubtitleTrackController &track, const QString &which, FilmSource film,
                    QWidget *dialogParent);
    ~SpeechAlignment() override;

    // The command, for the track's list and menus.
    QAction *Action() const { return m_action; }
    bool Running() const { return m_worker != nullptr; }
    // Starts the search, or says why it cannot start.
    void Start();
    // Stops a running search; the track keeps its corrections.
    void Cancel();

signals:
    // The search ended: applied, refused with a reason, failed or cancelled.
    void Finished(const SpeechAlignmentOutcome &outcome);

private:
    struct Work;
    void showProgress(double share);
    void finish(const std::shared_ptr<Work> &work);

    SubtitleTrackController &m_track;
    QString m_which;
    FilmSource m_film;
    QWidget *m_dialogParent;
    QAction *m_action;
    QPointer<QProgressDialog> m_dialog;
    QThread *m_worker = nullptr;
    std::shared_ptr<Work> m_work;
};

} // namespace duvara

Q_DECLARE_METATYPE(duvara::SpeechAlignmentOutcome)
