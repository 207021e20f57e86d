// Helpers shared by the subtitle tests: fixtures, tracks built by hand and compact descriptions
// of entries that read well in test tables.
#pragma once

#include "subtitles/subtitle_track.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

namespace duvara::test {

inline QString DataPath(const QString &name)
{
    return QStringLiteral(DUVARA_SUBTITLE_DATA_DIR "/") + name;
}

inline QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray Bytes(const std::string &text)
{
    return QByteArray::fromStdString(text);
}

inline QString Escaped(const std::string &text)
{
    QByteArray out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return QString::fromUtf8(out);
}

inline QString StyleLetters(uint8_t style)
{
    QString letters;
    if (style & StyleBold)
        letters += QLatin1Char('b');
    if (style & StyleItalic)
        letters += QLatin1Char('i');
    if (style & StyleUnderline)
        letters += QLatin1Char('u');
    return letters.isEmpty() ? QStringLiteral("-") : letters;
}

// One entry as: start-end style color "text" "list", with LF and CR written as \n and \r.
inline QStringList Describe(const SubtitleTrack &track)
{
    QStringList entries;
    for (std::size_t i = 0; i < track.Subs.size(); ++i) {
        const TSubT &e = track.Subs[i];
        entries << QStringLiteral("%1-%2 %3 %4 \"%5\" \"%6\"")
                       .arg(e.StartTime)
                       .arg(e.EndTime)
                       .arg(StyleLetters(e.Style))
                       .arg(e.Color)
                       .arg(Escaped(e.Text), Escaped(track.ListText[i]));
    }
    return entries;
}

// A track of plain entries with the given stored (relative) times.
inline SubtitleTrack TrackWithTimes(const std::vector<std::pair<uint32_t, uint32_t>> &times)
{
    SubtitleTrack track;
    for (const auto &[start, end] : times) {
        TSubT entry;
        entry.StartTime = start;
        entry.EndTime = end;
        entry.Text = "entry " + std::to_string(track.Subs.size() + 1);
        track.ListText.push_back(entry.Text);
        track.Subs.push_back(entry);
    }
    return track;
}

} // namespace duvara::test
