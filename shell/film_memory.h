// What the player remembers of each film's subtitles: both tracks' files, corrections and
// character sets, for the films played last. The store is a small JSON file under the user's
// data folder; these functions read, change and write its text without touching any window.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace duvara {

// How many films the store keeps; the one played longest ago goes first.
constexpr int kRememberedFilms = 200;

struct RememberedTrack
{
    QString file; // absolute path; empty when the track was empty
    int offsetMs = 0;
    int spanMs = 0;
    int charset = 0;
    bool operator==(const RememberedTrack &other) const
    {
        return file == other.file && offsetMs == other.offsetMs && spanMs == other.spanMs
            && charset == other.charset;
    }
};

// One film, known by its absolute path and its size: a film replaced by another of the same name
// is a different film.
struct RememberedFilm
{
    QString path;
    qint64 size = 0;
    std::array<RememberedTrack, 2> tracks; // primary, secondary
    bool operator==(const RememberedFilm &other) const
    {
        return path == other.path && size == other.size && tracks == other.tracks;
    }
};

// Most recent first.
using FilmMemoryList = std::vector<RememberedFilm>;

// The store's text as a list. Nothing, with the reason in `error`, for a text that is not one the
// store writes; an empty text is an empty list.
std::optional<FilmMemoryList> ParseFilmMemory(const QByteArray &text, QString *error);
QByteArray SerialiseFilmMemory(const FilmMemoryList &films);

// Puts `film` first, in place of an earlier record of the same film, and drops the oldest
// beyond kRememberedFilms.
void RememberFilm(FilmMemoryList &films, const RememberedFilm &film);
// Drops the record of the film with this path and size, if there is one.
void ForgetFilm(FilmMemoryList &films, const QString &path, qint64 size);
// The record of the film with this path and size, or nullptr.
const RememberedFilm *RecallFilm(const FilmMemoryList &films, const QString &path, qint64 size);

// $XDG_DATA_HOME/Duvara/films.json (~/.local/share/Duvara/films.json).
QString FilmMemoryFilePath();

} // namespace duvara
