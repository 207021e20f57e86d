#include "shell/dropped_files.h"

#include <QFile>
#include <QFileInfo>

namespace duvara {

namespace {

QString quotedList(const QStringList &names)
{
    QStringList quoted;
    for (const QString &name : names)
        quoted << QLatin1Char('"') + name + QLatin1Char('"');
    return quoted.join(QStringLiteral(", "));
}

QStringList fileNames(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths)
        names << QFileInfo(path).fileName();
    return names;
}

} // namespace

bool IsSubtitleFileName(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix();
    for (const char *extension : {"srt", "sub", "txt"}) {
        if (suffix.compare(QLatin1String(extension), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString DroppedFileName(const QUrl &url)
{
    // "file://otherhost/..." names a file of another computer; only an empty host or
    // "localhost" is this one.
    if (!url.isLocalFile() || (!url.host().isEmpty() && url.host() != QLatin1String("localhost")))
        return {};
    // The path's own bytes, decoded as every other name the system gives: a name that is not
    // UTF-8 reaches the file it names.
    const QByteArray bytes
        = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!bytes.startsWith('/'))
        return {};
    return QFile::decodeName(bytes);
}

DroppedFiles SortDroppedUrls(const QList<QUrl> &urls)
{
    DroppedFiles files;
    for (const QUrl &url : urls) {
        const QString name = DroppedFileName(url);
        if (name.isEmpty())
            files.refused << url.toDisplayString();
        else if (IsSubtitleFileName(name))
            files.subtitles << name;
        else
            files.films << name;
    }
    return files;
}

Qt::DropAction DropActionFor(Qt::DropActions offered)
{
    if (offered & Qt::CopyAction)
        return Qt::CopyAction;
    if (offered & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

PictureHalf HalfAt(int y, int height)
{
    return 2 * qint64(y) < height ? PictureHalf::Upper : PictureHalf::Lower;
}

OpenedSubtitleTrack TrackForOpenedSubtitle(bool primaryTaken, bool secondaryTaken)
{
    return primaryTaken && !secondaryTaken ? OpenedSubtitleTrack::Secondary
                                           : OpenedSubtitleTrack::Primary;
}

SubtitlesForTracks AssignDroppedSubtitles(const QStringList &subtitles, PictureHalf half)
{
    SubtitlesForTracks tracks;
    QString *first = half == PictureHalf::Upper ? &tracks.secondary : &tracks.primary;
    QString *second = half == PictureHalf::Upper ? &tracks.primary : &tracks.secondary;
    *first = subtitles.value(0);
    *second = subtitles.value(1);
    tracks.leftOver = subtitles.mid(2);
    return tracks;
}

QString DropRefusalText(const DropLeftOvers &leftOvers)
{
    QStringList lines;
    if (!leftOvers.notLocal.isEmpty())
        lines << QStringLiteral("Only files on this computer can be opened. Not opened: %1")
                     .arg(quotedList(leftOvers.notLocal));
    if (!leftOvers.subtitlesOnPlaylist.isEmpty())
        lines << QStringLiteral("Subtitle files are opened by dropping them on the picture: the "
                                "upper half for the secondary track, the lower half for the "
                                "primary one. Not added to the playlist: %1")
                     .arg(quotedList(fileNames(leftOvers.subtitlesOnPlaylist)));
    if (!leftOvers.extraSubtitles.isEmpty())
        lines << QStringLiteral("Each track takes one subtitle file: two can be dropped at once. "
                                "Not opened: %1")
                     .arg(quotedList(fileNames(leftOvers.extraSubtitles)));
    return lines.join(QLatin1Char('\n'));
}

} // namespace duvara
