// The playlist: its rows with their durations, adding, removing, clearing and reordering them,
// which row is the current one (PlayIndex) and how that row looks.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <exception>
#include <vector>

class QAction;
class QPoint;
class QWidget;

namespace duvara {

class FileDialogs;
class RListView;
struct PlaylistRow;
struct TPlayListItem;

// What the playlist asks of playback when its rows change under it. The transport answers.
class PlaylistPlayer
{
public:
    virtual ~PlaylistPlayer() = default;

    // Something is loaded (playing, paused or in fast motion) and can be stopped.
    virtual bool PlaybackRunning() const = 0;
    // A file is loaded in the graph, whatever its state.
    virtual bool MediaLoaded() const = 0;
    virtual void StopPlayback() = 0;
    // Empties the graph of its file; the session stays.
    virtual void EmptyMedia() = 0;
    // Ends the graph's session: nothing is loaded, the transport shows that.
    virtual void CloseMedia() = 0;
    virtual void ShowVideo(bool shown) = 0;
    // Plays the file of a list that was just filled; its row is the current one.
    virtual void PlayOpenedFile(const QString &file) = 0;
    // Plays another row, as a double click on it does.
    virtual void PlayRow(int row) = 0;
    // Whatever the end of the current row leads to: the next row, or the stop.
    virtual void MoveOn() = 0;
    // Rows were added: Previous and Next become possible where the current row allows.
    virtual void RowsAdded() = 0;
};

class Playlist : public QObject
{
    Q_OBJECT
public:
    Playlist(RListView &list, FileDialogs &dialogs, QWidget *errorParent);

    void SetPlayer(PlaylistPlayer *player) { m_player = player; }
    // The items that act on the list from the menus: Remove needs a selected row, Clear any.
    void AddMenuItems(QAction *add, QAction *remove, QAction *clear);

    int Count() const;
    // The row that plays or played last; -1 when the list was emptied.
    int PlayIndex() const { return m_playIndex; }
    // The full name of row `row`; empty for a row that does not exist.
    QString PlaylistPath(int row) const;
    // Every row with its duration text, in the list's order.
    QList<PlaylistRow> Rows() const;
    // Appends rows kept from an earlier run, without checking their files: a row keeps the
    // duration text it was kept with, and only one without is measured again. The video window
    // shows when there are rows.
    void AddSavedRows(const QList<PlaylistRow> &rows);
    // A playlist made from one file handed to the player is not kept as the user's.
    bool PlaylistTransient() const { return m_transient; }
    void SetPlaylistTransient(bool transient) { m_transient = transient; }

    // Row `row` becomes the current one and the selected one.
    void MakeCurrent(int row);
    // The selected row (the first when none is) becomes the current one; its index.
    int MakeSelectedCurrent();
    // The current row in bold orange, every other row in regular white.
    void RepaintPlaylist();

    // Replaces the rows by these files and plays the first. A folder among them stands for the
    // films in it (FilmsInFolder), here and in AddFiles.
    void OpenFiles(const QStringList &files);
    void MnuAddClick();
    // What Add does with the files the dialog gave, putting them in at row `at` (files dropped
    // on the list); Count() appends.
    void AddFiles(const QStringList &files, int at);
    void MnuRemoveClick();
    void MnuClearClick();
    void LstPLDblClick();
    void LstPLKeyPress(int key);
    void LstPLClick();
    bool LstPLDragOver(QObject *source, const QPoint &position);
    void LstPLDragDrop(QObject *source, const QPoint &position);
    void PopupMenu2Popup();

signals:
    // A row's duration was measured (or found not measurable) and shown.
    void DurationShown(int row);

private:
    // Raises the media error for a file that cannot be a film (missing, unreadable, not a
    // regular file); its duration is measured later, off the GUI thread.
    QString checked(const QString &file);
    // The films `files` name, checked one by one, a folder standing for the films in it. The
    // first file that cannot be a film ends the list, and so does a folder that holds none or
    // more than a playlist takes from one folder: the error comes back in `failure`.
    std::vector<QString> checkedFilms(const QStringList &files, std::exception_ptr &failure);
    void appendRow(const QString &file);
    void appendRow(const TPlayListItem &item, const QString &durationText);
    void insertRow(int at, const TPlayListItem &item, const QString &durationText);
    int selectedRow() const;
    bool eventFilter(QObject *watched, QEvent *event) override;

    RListView &m_list;
    FileDialogs &m_dialogs;
    QWidget *m_errorParent;
    PlaylistPlayer *m_player = nullptr;
    QList<QAction *> m_removeItems;
    QList<QAction *> m_clearItems;
    int m_playIndex = 0;
    bool m_transient = false;
};

} // namespace duvara
