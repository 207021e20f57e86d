// The films opened last, as the window menu lists them: most recent first, each file once, ten
// at most. Plain list operations, and the list's place in the settings file.
#pragma once

#include <QString>
#include <QStringList>

namespace duvara {

class SettingsStore;

constexpr int kRecentFilesLimit = 10;

// The list after `film` was opened: it goes first, its older place in the list goes, and only
// the `limit` most recent stay. The name is kept absolute and clean, so that one file reached
// by two spellings is listed once. A name holding a line break is not listed: the settings
// file could not keep it.
QStringList WithRecentFile(QStringList files, const QString &film, int limit = kRecentFilesLimit);
// The list without `film` (however it is spelled).
QStringList WithoutRecentFile(QStringList files, const QString &film);

// The menu item's caption for entry `index` (from 0): its number as the accelerator (1 to 9,
// then 0 for the tenth) and the file's name; the folder's name follows in brackets when another
// entry has the same file name. Ampersands and tabs of the name show as themselves.
QString RecentFileCaption(int index, const QStringList &files);

// [RecentFiles] File1 ... File10. Names are kept as their file system bytes, as the playlist
// file keeps them; an empty or repeated entry is skipped.
QStringList ReadRecentFiles(const SettingsStore &store);
void WriteRecentFiles(SettingsStore &store, const QStringList &files);

} // namespace duvara
