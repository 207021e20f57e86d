// A folder given where films are expected (dropped on the player, named on the command line or
// by a second start) stands for the video and audio files in it and in the folders below it.
#pragma once

#include <QString>
#include <QStringList>

namespace duvara {

// The most films one folder brings: a folder high up the tree would otherwise fill the playlist
// with a whole disk's films, and a walk through it would keep the window waiting.
inline constexpr int kMaxFolderFilms = 2000;
inline constexpr int kMaxFolderEntries = 100000;

struct FolderFilms
{
    // Full names, folder by folder in natural order of the names ("Season 2/Episode 9" before
    // "Season 2/Episode 10", and both before "Season 10/Episode 1").
    QStringList films;
    // There was more than the limits allow: `films` holds the first ones in that order.
    bool cut = false;
};

// Hidden files and folders and links to folders are left out, and so are playlists (.m3u): the
// films they name are files of their own.
FolderFilms FilmsInFolder(const QString &folder, int maxFilms = kMaxFolderFilms,
                          int maxEntries = kMaxFolderEntries);

} // namespace duvara
