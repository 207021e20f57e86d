// What files dragged from another program (a file manager, a browser) mean to the player, in
// plain functions: which are films, which are subtitle files, which cannot be opened at all;
// which half of the picture a drop fell on, and what a drop refused is told.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <Qt>

namespace duvara {

struct DroppedFiles
{
    QStringList films; // local files (and folders) that are not subtitle files, in the drop's order
    QStringList subtitles; // local files named *.srt, *.sub or *.txt
    QStringList refused; // addresses that name no file on this computer, as the drop gave them
};

// The subtitle reader's files, by their extension (in any case).
bool IsSubtitleFileName(const QString &name);

// The local file an address names, as the file system's bytes decode; empty when it names
// none (another computer, another protocol, no path).
QString DroppedFileName(const QUrl &url);

DroppedFiles SortDroppedUrls(const QList<QUrl> &urls);

// The action a drop is taken with: a copy, or a link when the source offers no copy. Never a
// move: the file manager would delete the file once it was "moved" into the player.
Qt::DropAction DropActionFor(Qt::DropActions offered);

enum class PictureHalf { Upper, Lower };
// The half a point `y` pixels from the top of a picture `height` pixels high lies in; the
// middle row belongs to the lower half.
PictureHalf HalfAt(int y, int height);

// The subtitle files of a drop on the picture, given to the tracks: the first to the track of
// the half it fell on (the secondary one is shown at the top), a second to the other track.
struct SubtitlesForTracks
{
    QString primary;
    QString secondary;
    QStringList leftOver; // a third and further ones: each track takes one file
};
SubtitlesForTracks AssignDroppedSubtitles(const QStringList &subtitles, PictureHalf half);

// A subtitle file opened as a film is opened (the command line, a second start, the desktop's
// "Open with", the media player interface) goes to the first empty track, the primary one
// first; with both taken it replaces the primary one, as a drop on the picture's lower half.
enum class OpenedSubtitleTrack { Primary, Secondary };
OpenedSubtitleTrack TrackForOpenedSubtitle(bool primaryTaken, bool secondaryTaken);

// What a drop did not take, and why.
struct DropLeftOvers
{
    QStringList notLocal; // addresses that name no file on this computer
    QStringList subtitlesOnPlaylist; // subtitle files dropped on the playlist
    QStringList extraSubtitles; // subtitle files beyond one for each track
};
// The message for what was not taken, one line for each reason; empty when all was taken.
QString DropRefusalText(const DropLeftOvers &leftOvers);

} // namespace duvara
