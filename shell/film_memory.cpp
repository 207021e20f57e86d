#include "shell/film_memory.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStandardPaths>

#include <algorithm>

namespace duvara {

namespace {

constexpr int kFormat = 1;

QJsonObject trackObject(const RememberedTrack &track)
{
    return QJsonObject {{QStringLiteral("file"), track.file},
                        {QStringLiteral("offset"), track.offsetMs},
                        {QStringLiteral("span"), track.spanMs},
                        {QStringLiteral("charset"), track.charset}};
}

bool isInteger(const QJsonValue &value)
{
    return value.isDouble() && value.toDouble() == double(value.toInteger());
}

std::optional<RememberedTrack> trackFrom(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    const QJsonValue file = object.value(QStringLiteral("file"));
    const QJsonValue offset = object.value(QStringLiteral("offset"));
    const QJsonValue span = object.value(QStringLiteral("span"));
    const QJsonValue charset = object.value(QStringLiteral("charset"));
    if (!value.isObject() || !file.isString() || !isInteger(offset) || !isInteger(span)
        || !isInteger(charset))
        return std::nullopt;
    return RememberedTrack {file.toString(), offset.toInt(), span.toInt(),
                            std::clamp(charset.toInt(), 0, 255)};
}

} // namespace

std::optional<FilmMemoryList> ParseFilmMemory(const QByteArray &text, QString *error)
{
    const auto fail = [error](const QString &why) -> std::optional<FilmMemoryList> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (text.trimmed().isEmpty())
        return FilmMemoryList {};
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (document.isNull())
        return fail(
            QStringLiteral("%1 at byte %2").arg(parseError.errorString()).arg(parseError.offset));
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QStringLiteral("format")).toInt() != kFormat
        || !root.value(QStringLiteral("films")).isArray())
        return fail(QStringLiteral("not a film memory of this version"));
    FilmMemoryList films;
    const QJsonArray rows = root.value(QStringLiteral("films")).toArray();
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const QJsonObject film = rows.at(row).toObject();
        const QJsonValue path = film.value(QStringLiteral("path"));
        const QJsonValue size = film.value(QStringLiteral("size"));
        const QJsonArray tracks = film.value(QStringLiteral("tracks")).toArray();
        std::optional<RememberedTrack> primary = trackFrom(tracks.at(0));
        std::optional<RememberedTrack> secondary = trackFrom(tracks.at(1));
        if (!rows.at(row).isObject() || !path.isString() || path.toString().isEmpty()
            || !isInteger(size) || size.toInteger() < 0 || tracks.size() != 2 || !primary
            || !secondary)
            return fail(QStringLiteral("film %1 is incomplete").arg(row + 1));
        films.push_back({path.toString(), size.toInteger(), {*primary, *secondary}});
    }
    return films;
}

QByteArray SerialiseFilmMemory(const FilmMemoryList &films)
{
    QJsonArray rows;
    for (const RememberedFilm &film : films)
        rows.append(
            QJsonObject {{QStringLiteral("path"), film.path},
                         {QStringLiteral("size"), film.size},
                         {QStringLiteral("tracks"),
                          QJsonArray {trackObject(film.tracks[0]), trackObject(film.tracks[1])}}});
    const QJsonObject root {{QStringLiteral("format"), kFormat}, {QStringLiteral("films"), rows}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

void ForgetFilm(FilmMemoryList &films, const QString &path, qint64 size)
{
    films.erase(std::remove_if(films.begin(), films.end(),
                               [&](const RememberedFilm &known) {
                                   return known.path == path && known.size == size;
                               }),
                films.end());
}

void RememberFilm(FilmMemoryList &films, const RememberedFilm &film)
{
    ForgetFilm(films, film.path, film.size);
    films.insert(films.begin(), film);
    if (films.size() > size_t(kRememberedFilms))
        films.resize(kRememberedFilms);
}

const RememberedFilm *RecallFilm(const FilmMemoryList &films, const QString &path, qint64 size)
{
    const auto found = std::find_if(films.begin(), films.end(), [&](const RememberedFilm &film) {
        return film.path == path && film.size == size;
    });
    return found == films.end() ? nullptr : &*found;
}

QString FilmMemoryFilePath()
{
    // GenericDataLocation follows XDG_DATA_HOME.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Duvara/films.json");
}

} // namespace duvara
