// The settings file "Duvara.ini" and the playlist file "Duvara.plf": where they live, and the
// copying between them and the window's controls when the window is first shown and when it
// closes. Nothing else reads or writes them.
#pragma once

#include "shell/file_type_groups.h"

#include <QString>
#include <QStringList>

#include <array>

class QAction;
class QSlider;
class QSplitter;
class QWidget;

namespace duvara {

class Playlist;
class RecentFilesMenu;
class SettingsStore;
class SubtitleAutoload;
class SubtitleTrackController;
class TFormFile;
class TrackPanel;
class VideoCommands;

// The folder of both files: the one DUVARA_CONFIG_DIR names when it is set; else the program's
// own folder when it may be written (a build tree, a copy unpacked somewhere); else the user's
// configuration folder, $XDG_CONFIG_HOME/Duvara (~/.config/Duvara). It is made when a file is
// written.
QString SettingsFolder();
QString SettingsFilePath();
QString PlaylistFilePath();

class SettingsFiles
{
public:
    struct Track
    {
        SubtitleTrackController &controller; // the panel font, the character set
        TrackPanel &panel; // the outline and shadow boxes, which the controller follows
    };
    // What the files keep, in the window.
    struct Parts
    {
        QWidget &window;
        QSplitter &splitter;
        QWidget &playlistPanel; // its width is the splitter's position
        QSlider &volume;
        VideoCommands &video;
        Playlist &playlist;
        Track primary;
        Track secondary;
        // The window menu's marks kept in the file: where the subtitle areas lie, and whether
        // each film's subtitles are remembered.
        QAction &layoutAtTop;
        QAction &layoutAtBottom;
        QAction &rememberSubtitles;
    };
    explicit SettingsFiles(const Parts &parts);

    // The file type dialog keeps the file type checks; it may come after the settings are read.
    void SetFileTypeDialog(TFormFile *dialog);
    // The window menu's recent films, kept in [RecentFiles].
    void SetRecentFiles(RecentFilesMenu *recent) { m_recentFiles = recent; }

    // [AutoLoad]: whether subtitle files beside a film are looked for, and in which languages.
    void SetSubtitleAutoload(SubtitleAutoload *autoload) { m_autoload = autoload; }

    // Applies the settings file to the controls, then adds the playlist file's rows. A file that
    // cannot be read is reported (SettingsFileError) once everything that could be applied was:
    // the start goes on. A playlist file that cannot be read is renamed aside, so that the
    // playlist written at close does not take its place.
    void LoadSettings();
    // Writes the settings file, then the playlist file unless the playlist is a transient one
    // or the playlist file could not be read and stayed where it was. Each file is tried; the
    // failures are raised together (SettingsFileError) and leave the old files as they were.
    void SaveSettings();

private:
    void loadPosition(const SettingsStore &store);
    void loadTrack(const SettingsStore &store, const char *section, const Track &track);
    void loadPlaylist(QStringList &problems);
    void savePosition(SettingsStore &store) const;
    void saveTrack(SettingsStore &store, const char *section, const Track &track) const;
    void showFileTypes();

    Parts m_parts;
    TFormFile *m_fileTypeDialog = nullptr;
    SubtitleAutoload *m_autoload = nullptr;
    RecentFilesMenu *m_recentFiles = nullptr;
    std::array<bool, kFileTypeGroups.size()> m_fileTypes {};
    bool m_loaded = false;
    bool m_keepPlaylistFile = false;
};

} // namespace duvara
