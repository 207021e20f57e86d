#include "controls/folder_films.h"

#include "controls/media_types.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace duvara {

namespace {

constexpr int kDeepestFolder = 64;

bool isFolderFilm(const QString &suffix)
{
    const QString lower = suffix.toLower();
    const auto named = [&](const char *extension) {
        return lower == QLatin1String(extension);
    };
    return lower != QLatin1String("m3u")
        && (std::any_of(kVideoExtensions.begin(), kVideoExtensions.end(), named)
            || std::any_of(kAudioExtensions.begin(), kAudioExtensions.end(), named));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Runs of digits are compared by their value ("Episode 9" before "Episode 10"), the rest
// character by character without regard to case; names that differ only in case or in leading
// zeros still have an order of their own.
int naturalCompare(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
            const auto number = [](QStringView text, qsizetype &at) {
                while (at + 1 < text.size() && text[at] == QLatin1Char('0')
                       && isAsciiDigit(text[at + 1]))
                    ++at;
                const qsizetype start = at;
                while (at < text.size() && isAsciiDigit(text[at]))
                    ++at;
                return text.sliced(start, at - start);
            };
            const QStringView x = number(a, i);
            const QStringView y = number(b, j);
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (const int order = x.compare(y); order != 0)
                return order;
            continue;
        }
        const QChar x = a[i].toCaseFolded();
        const QChar y = b[j].toCaseFolded();
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j ? -1 : 1;
    return a.compare(b);
}

struct Walk
{
    int maxFilms;
    int entriesLeft;
    FolderFilms found;
};

// Depth first, the entries of each folder in natural order: the first films found are the
// first in the playlist's order, wherever the walk stops.
void walk(const QDir &folder, int depth, Walk &state)
{
    // Without QDir::Hidden, hidden files and folders are not listed.
    QFileInfoList entries = folder.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(entries.begin(), entries.end(), [](const QFileInfo &a, const QFileInfo &b) {
        return naturalCompare(a.fileName(), b.fileName()) < 0;
    });
    for (const QFileInfo &entry : entries) {
        if (state.found.cut)
            return;
        if (state.entriesLeft-- == 0) {
            state.found.cut = true;
            return;
        }
        if (entry.isDir()) {
            // Folders reached through links are not entered: a link up the tree would never
            // end.
            if (!entry.isSymLink() && depth < kDeepestFolder)
                walk(QDir(entry.filePath()), depth + 1, state);
        } else if (entry.isFile() && isFolderFilm(entry.suffix())) {
            if (state.found.films.size() == state.maxFilms) {
                state.found.cut = true;
                return;
            }
            state.found.films << entry.filePath();
        }
    }
}

} // namespace

FolderFilms FilmsInFolder(const QString &folder, int maxFilms, int maxEntries)
{
    Walk state {maxFilms, maxEntries, {}};
    if (QFileInfo(folder).isDir())
        walk(QDir(folder), 0, state);
    return state.found;
}

} // namespace duvara
