// Subtitle files found beside a film: when a film starts, its tracks that are still empty once
// the film's remembered tracks are back take the files named after the film, in the languages
// the user prefers. Tracks filled at a film's start (found here or remembered) belong to that
// film and are cleared when another film starts; a track the user opened stays.
#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <string>
#include <vector>

class QAction;

namespace duvara {

class FilmSubtitles;
class SubtitleTrackController;

// The names of the files in a folder given as the file system's bytes, as bytes, in no order;
// nothing for a folder that cannot be listed.
std::vector<std::string> FileNamesInFolder(const QByteArray &folder);

// The desktop's language as a code ("de", "pt-BR"); empty when it names none (the C locale).
std::string DesktopLanguage();

class SubtitleAutoload : public QObject
{
    Q_OBJECT
public:
    struct Parts
    {
        FilmSubtitles &films; // tells when a film comes, after the remembered tracks
        SubtitleTrackController &primary;
        SubtitleTrackController &secondary;
        QAction &enabled; // the window menu's switch
    };
    SubtitleAutoload(const Parts &parts, QObject *parent);

    // The menu's switch, as the settings keep it.
    bool IsEnabled() const;
    void SetEnabled(bool on);

    // The languages of the settings, comma-separated lists as written there (empty: the
    // desktop's language and another one).
    void SetLanguages(const QString &primary, const QString &secondary);
    QString PrimaryLanguages() const { return m_primaryLanguages; }
    QString SecondaryLanguages() const { return m_secondaryLanguages; }

signals:
    // What was found and loaded, or could not be read, for the on-screen display.
    void Report(const QString &text);

private:
    struct Track
    {
        SubtitleTrackController *controller;
        const char *name;
        bool filmBound = false; // filled at the film's start and not changed by the user since
        QString boundPath;
    };

    void filmChanging(const QString &film);
    void filmArrived(const QString &film);
    void entriesChanged(Track &track);
    void switched(bool on);
    // Fills the film's empty tracks from its folder.
    void fillEmptyTracks();

    Parts m_parts;
    std::array<Track, 2> m_tracks;
    QString m_film; // the film on screen, absolute; empty for none or a stream
    bool m_arriving = false; // between a new film's change and its arrival
    QString m_primaryLanguages;
    QString m_secondaryLanguages;
};

} // namespace duvara
