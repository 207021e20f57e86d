#include "shell/recent_files.h"

#include "shell/playlist_file.h"
#include "shell/settings_store.h"

#include <QDir>
#include <QFileInfo>

namespace duvara {

namespace {

constexpr char kSection[] = "RecentFiles";

QByteArray keyOf(int index)
{
    return "File" + QByteArray::number(index + 1);
}

QString cleanName(const QString &film)
{
    return QDir::cleanPath(QFileInfo(film).absoluteFilePath());
}

bool holdsLineBreak(const QString &name)
{
    return name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r'));
}

QString shownText(QString text)
{
    // A tab would split the caption into a name and a shortcut.
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return text;
}

} // namespace

QStringList WithRecentFile(QStringList files, const QString &film, int limit)
{
    if (film.isEmpty() || holdsLineBreak(film))
        return files;
    const QString name = cleanName(film);
    files = WithoutRecentFile(std::move(files), name);
    files.prepend(name);
    while (files.size() > limit)
        files.removeLast();
    return files;
}

QStringList WithoutRecentFile(QStringList files, const QString &film)
{
    const QString name = cleanName(film);
    files.removeIf([&](const QString &listed) { return cleanName(listed) == name; });
    return files;
}

QString RecentFileCaption(int index, const QStringList &files)
{
    const QFileInfo file(files.value(index));
    const QString number = index < 9
        ? QLatin1Char('&') + QString::number(index + 1)
        : QString::number((index + 1) / 10) + QLatin1Char('&') + QString::number((index + 1) % 10);
    QString caption = number + QLatin1Char(' ') + shownText(file.fileName());
    const bool nameTwice = std::count_if(files.begin(), files.end(),
                                         [&](const QString &other) {
                                             return QFileInfo(other).fileName() == file.fileName();
                                         })
        > 1;
    if (nameTwice)
        caption += QStringLiteral(" (") + shownText(file.dir().dirName()) + QLatin1Char(')');
    return caption;
}

QStringList ReadRecentFiles(const SettingsStore &store)
{
    QStringList files;
    for (int index = 0; index < kRecentFilesLimit; ++index) {
        const auto bytes = store.ReadBytes(kSection, keyOf(index).constData());
        if (!bytes || bytes->isEmpty())
            continue;
        const QString name = FileNameText(*bytes);
        if (!files.contains(name))
            files.append(name);
    }
    return files;
}

void WriteRecentFiles(SettingsStore &store, const QStringList &files)
{
    int index = 0;
    for (const QString &name : files) {
        if (index == kRecentFilesLimit)
            break;
        if (name.isEmpty() || holdsLineBreak(name))
            continue;
        store.WriteBytes(kSection, keyOf(index++).constData(), FileNameBytes(name));
    }
    // Entries of a longer list written before are emptied, not left to come back.
    for (; index < kRecentFilesLimit; ++index) {
        if (store.ReadBytes(kSection, keyOf(index).constData()))
            store.WriteBytes(kSection, keyOf(index).constData(), QByteArray());
    }
}

} // namespace duvara
