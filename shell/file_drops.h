// Files dragged from other programs onto the player: on the picture (or the idle picture, or
// the remote window over a fullscreen picture) films replace the playlist as Open does and
// subtitle files go to the track of the half they fell on; on the playlist films go in at the
// row they fell on, as Add puts them. A folder stands for the films in it. Whatever a drop does
// not take is named in a message. The playlist's own rows dragged within it are left to the
// playlist.
#pragma once

#include "shell/dropped_files.h"

#include <QObject>

class QDropEvent;
class QWidget;

namespace duvara {

class Playlist;
class RListView;
class SubtitleTrackController;
class Transport;

class FileDrops : public QObject
{
    Q_OBJECT
public:
    struct Parts
    {
        Transport &transport;
        Playlist &playlist;
        RListView &playlistView;
        SubtitleTrackController &primary;
        SubtitleTrackController &secondary;
        QWidget &picture; // the video window, whose halves tell the tracks apart
    };
    FileDrops(const Parts &parts, QWidget *errorParent);

    // Drops on `target` act as drops on the picture. The halves are the picture's while it is
    // shown (a window over it, such as the remote, counts where it lies on the picture) and
    // the target's own otherwise.
    void AddPictureTarget(QWidget *target);

    // What the drops do, once the drop itself has been answered.
    void DropOnPicture(const DroppedFiles &files, PictureHalf half);
    void DropOnPlaylist(const DroppedFiles &files, int row);

    // A file opened by name that is a subtitle file goes to a track rather than the playlist
    // (TrackForOpenedSubtitle). False, and nothing done, for any other file.
    bool OpenIfSubtitleFile(const QString &name);

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool takeDrag(QDropEvent *event) const;
    void takeDrop(QObject *watched, QDropEvent *event);
    PictureHalf halfAt(const QWidget *target, const QPoint &position) const;

    Parts m_parts;
    QWidget *m_errorParent;
};

} // namespace duvara
