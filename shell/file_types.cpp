#include "shell/file_types.h"

#include "shell/mime_apps_list.h"
#include "shell/shell_logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace duvara {

namespace {

struct ExtensionTypes
{
    const char *extension;
    std::array<const char *, 2> mimeTypes; // unused slot null
};

// A fixed table rather than a look-up in the MIME database at run time: the desktop entry must
// name the same types in its MimeType line, which is written once, and an extension the database
// does not know would otherwise bind nothing. The names are the shared-mime-info ones (Debian
// 12): its globs where it has them, both types where its globs give two. For m1v, m2v, m2p and
// mpv (MPEG video streams), mpa (MPEG audio), wm (Windows Media, an alias of the ASF type) and
// rmi (MIDI in a RIFF wrapper) it has no glob; they get the type it gives their contents. An mp4
// file may hold sound only, which the desktop calls audio/mp4.
constexpr std::array<ExtensionTypes, 22> kExtensionTypes = {{
    {"avi", {"video/x-msvideo"}},
    {"mpeg", {"video/mpeg"}},
    {"mpg", {"video/mpeg"}},
    {"mpe", {"video/mpeg"}},
    {"m1v", {"video/mpeg"}},
    {"m2v", {"video/mpeg"}},
    {"mp2", {"audio/mp2", "video/mpeg"}},
    {"m2p", {"video/mpeg"}},
    {"mpv", {"video/mpeg"}},
    {"mpa", {"audio/mpeg"}},
    {"mp4", {"video/mp4", "audio/mp4"}},
    {"m4a", {"audio/mp4"}},
    {"asf", {"application/vnd.ms-asf"}},
    {"wm", {"application/vnd.ms-asf"}},
    {"wma", {"audio/x-ms-wma"}},
    {"wmv", {"video/x-ms-wmv"}},
    {"wav", {"audio/x-wav"}},
    {"mp3", {"audio/mpeg"}},
    {"m3u", {"audio/x-mpegurl", "application/vnd.apple.mpegurl"}},
    {"mid", {"audio/midi"}},
    {"midi", {"audio/midi"}},
    {"rmi", {"audio/midi"}},
}};

QByteArray readMimeApps(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    const QString failure = QStringLiteral("Unable to read the file type bindings from %1: %2");
    if (info.isDir())
        throw std::runtime_error(failure.arg(path, QStringLiteral("it is a folder")).toStdString());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(failure.arg(path, file.errorString()).toStdString());
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(failure.arg(path, file.errorString()).toStdString());
    return text;
}

// Whole or not at all: the file holds every other program's bindings too.
void writeMimeApps(const QString &path, const QByteArray &text)
{
    const QString failure = QStringLiteral("Unable to save the file type bindings in %1: %2");
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error(failure.arg(path, file.errorString()).toStdString());
    // The explicit flush matters: commit() flushes too, but does not notice when that flush
    // fails (a full disk), and would put a cut-off file in place of the whole one.
    errno = 0;
    if (file.write(text) != text.size() || !file.flush()) {
        // A write cut short leaves Qt with no reason of its own ("Unknown error"); the system's
        // is still there.
        const int cause = errno;
        const QString reason
            = cause != 0 ? QString::fromLocal8Bit(std::strerror(cause)) : file.errorString();
        throw std::runtime_error(failure.arg(path, reason).toStdString());
    }
    if (!file.commit())
        throw std::runtime_error(failure.arg(path, file.errorString()).toStdString());
}

} // namespace

QStringList MimeTypesForExtension(const QString &extension)
{
    QStringList types;
    for (const ExtensionTypes &entry : kExtensionTypes) {
        if (extension != QLatin1String(entry.extension))
            continue;
        for (const char *type : entry.mimeTypes) {
            if (type)
                types.append(QString::fromLatin1(type));
        }
    }
    return types;
}

QStringList AllFileTypeMimeTypes()
{
    QStringList types;
    for (const FileTypeGroup &group : kFileTypeGroups) {
        for (const char *extension : group.extensions) {
            if (!extension)
                continue;
            for (const QString &type : MimeTypesForExtension(QString::fromLatin1(extension))) {
                if (!types.contains(type))
                    types.append(type);
            }
        }
    }
    return types;
}

QString MimeAppsListPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (folder.isEmpty())
        throw std::runtime_error("Unable to find the folder for the file type bindings");
    return folder + QStringLiteral("/mimeapps.list");
}

void AssociateExtension(const QString &extension, bool bind, const QStringList &keptTypes)
{
    const QStringList types = MimeTypesForExtension(extension);
    if (types.isEmpty())
        throw std::runtime_error(QStringLiteral("No file type is known for the extension \"%1\"")
                                     .arg(extension)
                                     .toStdString());

    const QString path = MimeAppsListPath();
    const QByteArray before = readMimeApps(path);
    MimeAppsList list(before);
    for (const QString &type : types) {
        const QByteArray mimeType = type.toLatin1();
        if (bind) {
            list.putFirst(kDefaultApplications, mimeType, kDesktopId);
            list.add(kAddedAssociations, mimeType, kDesktopId);
        } else if (!keptTypes.contains(type)) {
            // Listed as an added association the player would still be the default where no
            // other program is, so it goes from there too.
            list.remove(kDefaultApplications, mimeType, kDesktopId);
            list.remove(kAddedAssociations, mimeType, kDesktopId);
        }
    }
    const QByteArray after = list.text();
    if (after == before)
        return;
    writeMimeApps(path, after);
    qCDebug(lcShell) << (bind ? "bound" : "unbound") << extension << "in" << path;
}

void AssociateFileTypes(const FileTypeChecks &checks)
{
    // Several extensions share a MIME type (mpa and mp3 are both audio/mpeg). Unbinding one of a
    // group left unchecked must not take the type from a checked group's extension.
    QStringList kept;
    for (std::size_t row = 0; row < kFileTypeGroups.size(); ++row) {
        if (!checks[row])
            continue;
        for (const char *extension : kFileTypeGroups[row].extensions) {
            if (extension)
                kept += MimeTypesForExtension(QString::fromLatin1(extension));
        }
    }
    for (std::size_t row = 0; row < kFileTypeGroups.size(); ++row) {
        for (const char *extension : kFileTypeGroups[row].extensions) {
            if (extension)
                AssociateExtension(QString::fromLatin1(extension), checks[row], kept);
        }
    }
}

} // namespace duvara
