#include "shell/film_subtitles.h"

#include "controls/playlist.h"
#include "controls/subtitle_track_controller.h"
#include "controls/transport.h"
#include "shell/settings_store.h"
#include "shell/shell_logging.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

namespace duvara {

namespace { } // namespace

FilmSubtitles::FilmSubtitles(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
{
    connect(&m_parts.transport, &Transport::MediaStarted, this, &FilmSubtitles::filmStarted);
    connect(&m_parts.transport, &Transport::Stopped, this, &FilmSubtitles::FilmEnded);
    connect(&m_parts.transport, &Transport::MediaLoadedChanged, this, [this](bool loaded) {
        if (!loaded)
            FilmEnded();
    });
}

// Read once, at the first film. A store that cannot be read is put aside, not written over: the
// films it knows may still be saved from it by hand.
bool FilmSubtitles::loadStore()
{
    if (m_loaded)
        return m_writable;
    m_loaded = true;
    const QString path = FilmMemoryFilePath();
    QString problem;
    try {
        if (const auto bytes = ReadSettingsFile(path)) {
            if (const auto films = ParseFilmMemory(*bytes, &problem))
                m_films = *films;
        }
    } catch (const SettingsFileError &error) {
        problem = QString::fromUtf8(error.what());
    }
    if (problem.isEmpty())
        return true;
    const QString aside = PutFileAside(path);
    if (!aside.isEmpty()) {
        emit Report(QStringLiteral("Film memory unreadable (%1), kept as %2")
                        .arg(problem, QFileInfo(aside).fileName()));
        return true;
    }
    m_writable = false;
    emit Report(QStringLiteral("Film memory unreadable (%1), not remembering films").arg(problem));
    return false;
}

void FilmSubtitles::filmStarted()
{
    const int row = m_parts.playlist.PlayIndex();
    const QString name = row >= 0 ? m_parts.playlist.PlaylistPath(row) : QString();
    if (name.isEmpty())
        return;
    const QFileInfo film(name);
    // Play after a pause starts the film again as far as the transport tells: the tracks the
    // user changed since it came are left alone.
    if (film.absoluteFilePath() == m_film && film.size() == m_filmSize)
        return;
    FilmEnded();
    // A stream has no size to know it by: it is not remembered.
    const QString path = film.isFile() ? film.absoluteFilePath() : QString();
    emit FilmChanging(path);
    if (!path.isEmpty()) {
        m_film = path;
        m_filmSize = film.size();
        if (m_parts.remember.isChecked() && loadStore()) {
            if (const RememberedFilm *known = RecallFilm(m_films, m_film, m_filmSize))
                restore(*known);
        }
    }
    emit FilmArrived(path);
}

void FilmSubtitles::restore(const RememberedFilm &film)
{
    const std::pair<SubtitleTrackController *, QString> tracks[]
        = {{&m_parts.primary, QStringLiteral("Primary")},
           {&m_parts.secondary, QStringLiteral("Secondary")}};
    for (size_t index = 0; index < film.tracks.size(); ++index) {
        const RememberedTrack &kept = film.tracks[index];
        auto [controller, which] = tracks[index];
        // A track the user loaded stays as it is.
        if (kept.file.isEmpty() || controller->Track().SubCount() > 0)
            continue;
        if (!QFileInfo(kept.file).isFile()) {
            emit Report(QStringLiteral("%1 subtitles not found: %2")
                            .arg(which, QFileInfo(kept.file).fileName()));
            continue;
        }
        SubtitleTrackController::TrackFont font = controller->Font();
        font.charset = kept.charset;
        controller->SetFont(font);
        controller->OpenSubtitleFile(kept.file);
        if (controller->Track().SubCount() > 0)
            controller->ApplyCorrection(kept.offsetMs, kept.spanMs);
    }
}

void FilmSubtitles::FilmEnded()
{
    if (m_film.isEmpty())
        return;
    RememberedFilm film {m_film, m_filmSize, {}};
    m_film.clear();
    m_filmSize = 0;
    const SubtitleTrackController *controllers[] = {&m_parts.primary, &m_parts.secondary};
    bool anyTrack = false;
    for (size_t index = 0; index < film.tracks.size(); ++index) {
        const SubtitleTrackController &controller = *controllers[index];
        if (controller.Track().SubCount() == 0 || controller.FilePath().isEmpty())
            continue;
        film.tracks[index] = {controller.FilePath(), controller.Offset(), controller.TargetSpan(),
                              controller.Font().charset};
        anyTrack = true;
    }
    if (!m_parts.remember.isChecked() || !loadStore())
        return;
    const RememberedFilm *before = RecallFilm(m_films, film.path, film.size);
    if (!anyTrack) {
        // Both tracks were emptied on purpose: they must not come back.
        if (!before)
            return;
        ForgetFilm(m_films, film.path, film.size);
    } else if (before && *before == film && &m_films.front() == before) {
        return;
    } else {
        RememberFilm(m_films, film);
    }
    try {
        WriteSettingsFile(FilmMemoryFilePath(), SerialiseFilmMemory(m_films));
    } catch (const SettingsFileError &error) {
        qCWarning(lcShell) << error.what();
        emit Report(QString::fromUtf8(error.what()));
    }
}

} // namespace duvara
