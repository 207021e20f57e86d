// Helpers shared by the subtitle tests: fixtures, tracks built by hand and compact descriptions
// of entries that read well in test tables.
#pragma once

#include "subtitles/subtitle_track.h"
#include "support/srt_time.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdint>
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

// Milliseconds at which numbered entry `n` (1-based) of NumberedEntries starts and ends: SubRip
// entries last from n s to n s + 500 ms, MicroDVD ones from frame 10 n to 10 n + 5 (25 fps).
inline int64_t NumberedStart(int n, bool microDvd)
{
    return microDvd ? int64_t {n} * 400 : int64_t {n} * 1000;
}

inline int64_t NumberedEnd(int n, bool microDvd)
{
    return NumberedStart(n, microDvd) + (microDvd ? 200 : 500);
}

// A file of `count` entries "entry 1", "entry 2", ..., apart in time. The SubRip form is laid out
// as the writer lays out its files, so a track saved unchanged gives these bytes back.
inline QByteArray NumberedEntries(int count, bool microDvd)
{
    const auto srtTime = SrtTimeText;
    QByteArray text;
    text.reserve(count * (microDvd ? 30 : 50));
    for (int n = 1; n <= count; ++n) {
        const QByteArray number = QByteArray::number(n);
        if (microDvd)
            text += "{" + QByteArray::number(n * 10) + "}{" + QByteArray::number(n * 10 + 5)
                + "}entry " + number + "\r\n";
        else
            text += number + "\r\n" + srtTime(NumberedStart(n, false)) + " --> "
                + srtTime(NumberedEnd(n, false)) + "\r\nentry " + number + "\r\n\r\n";
    }
    return text;
}

} // namespace duvara::test
