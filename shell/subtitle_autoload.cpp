#include "shell/subtitle_autoload.h"

#include "controls/subtitle_track_controller.h"
#include "shell/film_subtitles.h"
#include "shell/shell_logging.h"
#include "subtitles/language_tags.h"
#include "subtitles/subtitle_discovery.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

#include <filesystem>
#include <system_error>

namespace duvara {

std::vector<std::string> FileNamesInFolder(const QByteArray &folder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    // The path is built from the bytes as they are, so that no name is decoded on its way.
    for (fs::directory_iterator entry(fs::path(folder.toStdString()), error), end;
         !error && entry != end; entry.increment(error)) {
        std::error_code kind;
        if (entry->is_regular_file(kind))
            names.push_back(entry->path().filename().string());
    }
    if (error)
        qCDebug(lcShell).noquote() << "cannot list" << QFile::decodeName(folder) << ":"
                                   << QString::fromStdString(error.message());
    return names;
}

std::string DesktopLanguage()
{
    for (const QString &language : QLocale::system().uiLanguages()) {
        std::string code = CanonicalLanguage(language.toStdString());
        if (!code.empty())
            return code;
    }
    return {};
}

SubtitleAutoload::SubtitleAutoload(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
    , m_tracks {Track {&parts.primary, "primary", false, {}},
                Track {&parts.secondary, "secondary", false, {}}}
{
    setObjectName(QStringLiteral("SubtitleAutoload"));
    connect(&m_parts.films, &FilmSubtitles::FilmChanging, this, &SubtitleAutoload::filmChanging);
    connect(&m_parts.films, &FilmSubtitles::FilmArrived, this, &SubtitleAutoload::filmArrived);
    for (Track &track : m_tracks)
        connect(track.controller, &SubtitleTrackController::EntriesChanged, this,
                [this, &track] { entriesChanged(track); });
    connect(&m_parts.enabled, &QAction::toggled, this, &SubtitleAutoload::switched);
}

bool SubtitleAutoload::IsEnabled() const
{
    return m_parts.enabled.isChecked();
}

void SubtitleAutoload::SetEnabled(bool on)
{
    m_parts.enabled.setChecked(on);
}

void SubtitleAutoload::SetLanguages(const QString &primary, const QString &secondary)
{
    m_primaryLanguages = primary;
    m_secondaryLanguages = secondary;
}

void SubtitleAutoload::filmChanging(const QString &film)
{
    // The same film after a stop: the tracks are as the user left them.
    if (!film.isEmpty() && film == m_film)
        return;
    m_film = film;
    const bool on = m_parts.enabled.isChecked();
    for (Track &track : m_tracks) {
        // Switched off, the tracks stay with whatever film comes, as they did before.
        if (on && track.filmBound && track.controller->Track().SubCount() > 0)
            track.controller->BtnClrClick();
        track.filmBound = false;
    }
    m_arriving = on;
}

void SubtitleAutoload::filmArrived(const QString &film)
{
    if (!m_arriving || film != m_film)
        return;
    fillEmptyTracks();
    m_arriving = false;
}

void SubtitleAutoload::switched(bool on)
{
    // Switched on while a film is on screen: it gets its files now rather than at its next start.
    if (!on || m_film.isEmpty())
        return;
    m_arriving = true;
    fillEmptyTracks();
    m_arriving = false;
}

// A track filled while a film arrives belongs to that film until the user opens another file
// in it or clears it. Opening the same file again keeps it the film's.
void SubtitleAutoload::entriesChanged(Track &track)
{
    const bool filled = track.controller->Track().SubCount() > 0;
    if (m_arriving) {
        track.filmBound = filled;
        track.boundPath = track.controller->FilePath();
    } else if (track.filmBound && (!filled || track.controller->FilePath() != track.boundPath)) {
        track.filmBound = false;
    }
}

void SubtitleAutoload::fillEmptyTracks()
{
    if (m_film.isEmpty())
        return;
    const QFileInfo film(m_film);
    const QByteArray folder = QFile::encodeName(film.absolutePath());
    std::vector<SubtitleCandidate> candidates = FindSubtitleCandidates(
        QFile::encodeName(film.completeBaseName()).toStdString(), FileNamesInFolder(folder));
    if (candidates.empty())
        return;
    const SubtitlePreferences preferences = PreferencesWithDesktop(
        LanguageList(m_primaryLanguages.toStdString()),
        LanguageList(m_secondaryLanguages.toStdString()), DesktopLanguage());
    const auto held = [&](const Track &track) {
        const SubtitleTrackController &controller = *track.controller;
        if (controller.Track().SubCount() == 0)
            return HeldTrack {};
        const QFileInfo file(controller.FilePath());
        // Only a file of this folder can be one of its candidates.
        if (controller.FilePath().isEmpty() || file.absolutePath() != film.absolutePath())
            return HeldTrack {true, {}};
        return HeldTrack {true, QFile::encodeName(file.fileName()).toStdString()};
    };

    QStringList loaded;
    QStringList unreadable;
    // Each round fills a track or drops a file that cannot be read, whose place the next best
    // file then takes.
    for (;;) {
        const SubtitleChoice choice
            = ChooseSubtitleFiles(candidates, preferences, held(m_tracks[0]), held(m_tracks[1]));
        Track *track = choice.primary ? &m_tracks[0] : choice.secondary ? &m_tracks[1] : nullptr;
        if (!track)
            break;
        const size_t index = choice.primary ? *choice.primary : *choice.secondary;
        const std::string &name = candidates[index].name;
        const QString shown = QFile::decodeName(QByteArray::fromStdString(name));
        if (track->controller->OpenSubtitleFileQuietly(folder + '/'
                                                       + QByteArray::fromStdString(name))) {
            loaded << QStringLiteral("%1 (%2)").arg(shown, QLatin1String(track->name));
        } else {
            qCInfo(lcShell).noquote() << "subtitles found but not read:" << shown;
            unreadable << shown;
            candidates.erase(candidates.begin() + std::ptrdiff_t(index));
        }
    }
    QString text;
    if (!loaded.isEmpty())
        text = QStringLiteral("Subtitles found: ") + loaded.join(QStringLiteral(", "));
    if (!unreadable.isEmpty())
        text += (text.isEmpty() ? QStringLiteral("Subtitles unreadable: ")
                                : QStringLiteral("; unreadable: "))
            + unreadable.join(QStringLiteral(", "));
    if (!text.isEmpty())
        emit Report(text);
}

} // namespace duvara
