// Brings a film's subtitles back when it plays again: at its start the tracks that are empty get
// the files, corrections and character sets they had when the film last stopped.
#pragma once

#include "shell/film_memory.h"

#include <QObject>
#include <QString>

class QAction;

namespace duvara {

class Playlist;
class SubtitleTrackController;
class Transport;

class FilmSubtitles : public QObject
{
    Q_OBJECT
public:
    struct Parts
    {
        Transport &transport;
        Playlist &playlist;
        SubtitleTrackController &primary;
        SubtitleTrackController &secondary;
        QAction &remember; // the window menu's switch
    };
    FilmSubtitles(const Parts &parts, QObject *parent);

    // The film on screen ends (stops, another one starts, the window closes): its tracks are
    // kept, if it had any loaded.
    void FilmEnded();

signals:
    // A note for the on-screen display: a file that is gone, a store that cannot be used.
    void Report(const QString &text);
    // Another film starts: the last one's tracks are kept, the new one's not back yet. `film`
    // is its absolute path, empty for a stream.
    void FilmChanging(const QString &film);
    // The new film's remembered tracks are back, where there were any.
    void FilmArrived(const QString &film);

private:
    void filmStarted();
    void restore(const RememberedFilm &film);
    bool loadStore();

    Parts m_parts;
    QString m_film; // the film on screen, absolute; empty when none
    qint64 m_filmSize = 0;
    FilmMemoryList m_films;
    bool m_loaded = false;
    bool m_writable = true; // false once an unreadable store could not be put aside
};

} // namespace duvara
