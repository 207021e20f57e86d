// The playlist file: the number of rows on the first line, then three lines per row (the
// folder with its trailing separator, the file name, the duration text), every line ending with
// CR LF. Names are kept as the file system's bytes.
#pragma once

#include "controls/playlist_item.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace duvara {

// A file name's bytes as the file system holds them, and back. A name whose bytes are UTF-8
// reads as QFile::decodeName reads it; each byte that is not part of UTF-8 (a name from an older
// system or another code page) becomes a character of its own, U+DC80 to U+DCFF, and is written
// back as the same byte, so no row's name changes on its way through the player.
QString FileNameText(const QByteArray &bytes);
QByteArray FileNameBytes(const QString &name);

struct PlaylistFileContents
{
    QList<PlaylistRow> rows;
    int promisedRows = 0; // the count on the first line
    int heldRows = 0; // how many of them the file holds (rows without a name among them)
    // Why the file could not be read (its first line is not a count); empty when it could.
    QString unreadable;
};

// The file's rows. Only rows the file holds are returned, never more than its count, and none
// without a file name; a last row that lacks its duration line is kept without one (it is
// measured again).
PlaylistFileContents ParsePlaylistFile(const QByteArray &bytes);

// The file's bytes for these rows. A row whose name or folder holds a line break cannot be
// written in this form: it is left out, and its full name is added to `leftOut`.
QByteArray PlaylistFileBytes(const QList<PlaylistRow> &rows, QStringList *leftOut = nullptr);

// Writes the rows to `path` atomically. Raises SettingsFileError "Unable to write to <path>"
// when it cannot, leaving an old file as it was, and one naming the rows that were left out.
void WritePlaylistFile(const QString &path, const QList<PlaylistRow> &rows);

} // namespace duvara
