// Binding media file types to the player on a freedesktop desktop.
//
// The desktop opens a file with the default program of its MIME type, read from the user's
// mimeapps.list. Binding an extension makes the player's desktop entry the default for each MIME
// type the extension is known by; unbinding takes it away as their default again. Another
// program's default is the user's own choice and stays: bound, the player goes first and the
// others stay listed behind it, so unbinding hands the types back to them.
#pragma once

#include "shell/file_type_groups.h"

#include <QString>
#include <QStringList>

#include <array>

namespace duvara {

// The desktop entry the player is installed under; mimeapps.list names programs by it.
inline constexpr char kDesktopId[] = "org.duvara.Duvara.desktop";

// The MIME types a file with this extension (lower case, without the dot) is known by; empty
// for an extension that is in none of the groups.
QStringList MimeTypesForExtension(const QString &extension);
// Every MIME type that binding all groups would bind, once each, in the order of the groups.
QStringList AllFileTypeMimeTypes();

// The user's mimeapps.list: $XDG_CONFIG_HOME/mimeapps.list, ~/.config when that is not set.
QString MimeAppsListPath();

// Binds or unbinds the extension's MIME types. MIME types in `keptTypes` stay bound on an
// unbind: another bound extension shares them. Raises std::runtime_error with a message for the
// user when mimeapps.list cannot be read or written; the file is then as it was.
void AssociateExtension(const QString &extension, bool bind, const QStringList &keptTypes = {});

using FileTypeChecks = std::array<bool, kFileTypeGroups.size()>;

// Binds every extension of a checked group and unbinds every extension of an unchecked one, in
// the order of the groups. An error stops there: the extensions after it keep their binding.
void AssociateFileTypes(const FileTypeChecks &checks);

} // namespace duvara
