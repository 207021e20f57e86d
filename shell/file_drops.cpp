#include "shell/file_drops.h"

#include "controls/playlist.h"
#include "controls/playlist_moves.h"
#include "controls/rlistview.h"
#include "controls/subtitle_track_controller.h"
#include "controls/transport.h"
#include "media/error_box.h"
#include "shell/shell_logging.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTreeWidgetItem>

namespace duvara {

FileDrops::FileDrops(const Parts &parts, QWidget *errorParent)
    : QObject(errorParent)
    , m_parts(parts)
    , m_errorParent(errorParent)
{
    // Drag events of a list go to its viewport first; the list's own handlers come after this.
    m_parts.playlistView.viewport()->installEventFilter(this);
    AddPictureTarget(&m_parts.picture);
}

void FileDrops::AddPictureTarget(QWidget *target)
{
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

bool FileDrops::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *drag = static_cast<QDropEvent *>(event);
    // Rows dragged within the playlist are its own business.
    if (drag->source() == &m_parts.playlistView)
        return false;
    if (type == QEvent::Drop)
        takeDrop(watched, drag);
    else
        takeDrag(drag);
    return true;
}

// Every drag that names files is taken: what cannot be opened is said once it is dropped,
// which a refusing pointer could not do. A drag that names none (text, a picture) is refused.
bool FileDrops::takeDrag(QDropEvent *event) const
{
    const Qt::DropAction action
        = event->mimeData()->hasUrls() ? DropActionFor(event->possibleActions()) : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

void FileDrops::takeDrop(QObject *watched, QDropEvent *event)
{
    if (!takeDrag(event))
        return;
    const DroppedFiles files = SortDroppedUrls(event->mimeData()->urls());
    const QPoint at = event->position().toPoint();
    // The drop is answered first: the program it came from waits for that answer, and a
    // message box could keep it waiting.
    if (watched == m_parts.playlistView.viewport()) {
        QTreeWidgetItem *item = m_parts.playlistView.itemAt(at);
        const int row = InsertRowForDrop(item ? m_parts.playlistView.indexOfTopLevelItem(item) : -1,
                                         m_parts.playlist.Count());
        QMetaObject::invokeMethod(
            this, Guarded(m_errorParent, [this, files, row] { DropOnPlaylist(files, row); }),
            Qt::QueuedConnection);
    } else {
        const PictureHalf half = halfAt(static_cast<QWidget *>(watched), at);
        QMetaObject::invokeMethod(
            this, Guarded(m_errorParent, [this, files, half] { DropOnPicture(files, half); }),
            Qt::QueuedConnection);
    }
}

PictureHalf FileDrops::halfAt(const QWidget *target, const QPoint &position) const
{
    const QWidget *measured = m_parts.picture.isVisible() ? &m_parts.picture : target;
    const QPoint point = measured->mapFromGlobal(target->mapToGlobal(position));
    return HalfAt(point.y(), measured->height());
}

void FileDrops::DropOnPicture(const DroppedFiles &files, PictureHalf half)
{
    qCInfo(lcShell) << "dropped on the picture:" << files.films.size() << "films,"
                    << files.subtitles.size() << "subtitle files," << files.refused.size()
                    << "refused";
    // The film first: a subtitle file dropped with it is the track's, whatever the film's
    // start brought to the tracks.
    if (!files.films.isEmpty())
        RunGuarded(m_errorParent, [&] { m_parts.transport.OpenMediaFiles(files.films); });
    const SubtitlesForTracks tracks = AssignDroppedSubtitles(files.subtitles, half);
    if (!tracks.secondary.isEmpty())
        m_parts.secondary.OpenSubtitleFile(tracks.secondary);
    if (!tracks.primary.isEmpty())
        m_parts.primary.OpenSubtitleFile(tracks.primary);
    const QString refused = DropRefusalText({files.refused, {}, tracks.leftOver});
    if (!refused.isEmpty())
        ShowErrorBox(m_errorParent, refused);
}

void FileDrops::DropOnPlaylist(const DroppedFiles &files, int row)
{
    qCInfo(lcShell) << "dropped on the playlist at row" << row << ":" << files.films.size()
                    << "films," << files.subtitles.size() << "subtitle files,"
                    << files.refused.size() << "refused";
    if (!files.films.isEmpty())
        RunGuarded(m_errorParent, [&] { m_parts.playlist.AddFiles(files.films, row); });
    const QString refused = DropRefusalText({files.refused, files.subtitles, {}});
    if (!refused.isEmpty())
        ShowErrorBox(m_errorParent, refused);
}

bool FileDrops::OpenIfSubtitleFile(const QString &name)
{
    if (!IsSubtitleFileName(name))
        return false;
    const bool toSecondary = TrackForOpenedSubtitle(!m_parts.primary.FilePath().isEmpty(),
                                                    !m_parts.secondary.FilePath().isEmpty())
        == OpenedSubtitleTrack::Secondary;
    qCInfo(lcShell).noquote() << "subtitle file opened by name for the"
                              << (toSecondary ? "secondary" : "primary") << "track:" << name;
    (toSecondary ? m_parts.secondary : m_parts.primary).OpenSubtitleFile(name);
    return true;
}

} // namespace duvara
