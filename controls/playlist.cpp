#include "controls/playlist.h"

#include "controls/file_dialogs.h"
#include "controls/folder_films.h"
#include "controls/playlist_item.h"
#include "controls/playlist_moves.h"
#include "controls/rlistview.h"
#include "media/duration_probe.h"
#include "media/error_box.h"
#include "media/media_error.h"
#include "presentation/color_ref.h"
#include "presentation/position_text.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPersistentModelIndex>
#include <QScrollBar>
#include <QTreeWidgetItem>

#include <algorithm>
#include <exception>
#include <vector>

namespace duvara {

namespace {
constexpr std::uint32_t kListColor = 0x001B2036;
constexpr std::uint32_t kCurrentRowColor = 0x006ACFFF;
constexpr int kDurationColumnWidth = 70;
constexpr int kClickScroll = 300;
constexpr int kEnterKey = 13;
} // namespace

Playlist::Playlist(RListView &list, FileDialogs &dialogs, QWidget *errorParent)
    : QObject(errorParent)
    , m_list(list)
    , m_dialogs(dialogs)
    , m_errorParent(errorParent)
{
    QPalette colours = m_list.palette();
    colours.setColor(QPalette::Base, colorFromRef(kListColor));
    colours.setColor(QPalette::Text, Qt::white);
    m_list.setPalette(colours);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    m_list.setFont(tahoma);
    m_list.header()->setSectionResizeMode(1, QHeaderView::Fixed);
    m_list.header()->resizeSection(1, kDurationColumnWidth);
    m_list.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list.SetHideSelection(true);

    m_list.setDragEnabled(true);
    m_list.setAcceptDrops(true);
    m_list.setDragDropMode(QAbstractItemView::DragDrop);
    m_list.OnDragOver = [this](QObject *source, const QPoint &at) {
        return LstPLDragOver(source, at);
    };
    m_list.OnDragDrop = [this](QObject *source, const QPoint &at) {
        RunGuarded(m_errorParent, [&] { LstPLDragDrop(source, at); });
    };
    connect(&m_list, &QTreeWidget::itemDoubleClicked, this,
            Guarded(errorParent, [this] { LstPLDblClick(); }));
    connect(&m_list, &QTreeWidget::itemClicked, this, [this] { LstPLClick(); });
    m_list.installEventFilter(this);
}

void Playlist::AddMenuItems(QAction *add, QAction *remove, QAction *clear)
{
    connect(add, &QAction::triggered, this, Guarded(m_errorParent, [this] { MnuAddClick(); }));
    connect(remove, &QAction::triggered, this,
            Guarded(m_errorParent, [this] { MnuRemoveClick(); }));
    connect(clear, &QAction::triggered, this, Guarded(m_errorParent, [this] { MnuClearClick(); }));
    m_removeItems << remove;
    m_clearItems << clear;
}

// Enter on a row starts it, like a double click.
bool Playlist::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            RunGuarded(m_errorParent, [this] { LstPLKeyPress(kEnterKey); });
    }
    return false;
}

int Playlist::Count() const
{
    return m_list.topLevelItemCount();
}

int Playlist::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = m_list.selectedItems();
    return selected.isEmpty() ? -1 : m_list.indexOfTopLevelItem(selected.constFirst());
}

QString Playlist::PlaylistPath(int row) const
{
    const QTreeWidgetItem *item = m_list.topLevelItem(row);
    return item ? item->data(0, Qt::UserRole).value<TPlayListItem>().path() : QString();
}

void Playlist::MakeCurrent(int row)
{
    m_list.setCurrentItem(m_list.topLevelItem(row));
    m_playIndex = row;
}

int Playlist::MakeSelectedCurrent()
{
    if (m_list.selectedItems().isEmpty())
        m_list.setCurrentItem(m_list.topLevelItem(0));
    m_playIndex = selectedRow();
    RepaintPlaylist();
    return m_playIndex;
}

QString Playlist::checked(const QString &file)
{
    CheckMediaFile(file);
    return file;
}

std::vector<QString> Playlist::checkedFilms(const QStringList &files, std::exception_ptr &failure)
{
    std::vector<QString> films;
    try {
        for (const QString &file : files) {
            if (!QFileInfo(file).isDir()) {
                films.push_back(checked(file));
                continue;
            }
            const FolderFilms folder = FilmsInFolder(file);
            if (folder.films.isEmpty())
                throw EDirectShowException(
                    QStringLiteral("The folder \"%1\" holds no video or audio files.")
                        .arg(QDir::toNativeSeparators(file))
                        .toStdString());
            for (const QString &film : folder.films)
                films.push_back(checked(film));
            if (folder.cut)
                throw EDirectShowException(
                    QStringLiteral("The folder \"%1\" holds more files than the playlist takes "
                                   "from one folder: only the first %2 films were taken.")
                        .arg(QDir::toNativeSeparators(file))
                        .arg(folder.films.size())
                        .toStdString());
        }
    } catch (...) {
        failure = std::current_exception();
    }
    return films;
}

void Playlist::appendRow(const QString &file)
{
    insertRow(Count(), MakePlayListItem(file), QString());
}

void Playlist::appendRow(const TPlayListItem &item, const QString &durationText)
{
    insertRow(Count(), item, durationText);
}

// The row shows its duration once a worker has measured it: a slow or stuck file never holds
// up the window.
void Playlist::insertRow(int at, const TPlayListItem &item, const QString &durationText)
{
    auto *row = new QTreeWidgetItem(QStringList {item.FileName, durationText});
    row->setData(0, Qt::UserRole, QVariant::fromValue(item));
    row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    row->setFlags(row->flags() & ~Qt::ItemIsDropEnabled);
    m_list.insertTopLevelItem(at, row);
    if (!durationText.isEmpty())
        return;
    // The row may move or go before the answer comes: it is found again by its item.
    const QPersistentModelIndex place(m_list.indexFromItem(row));
    ProbeMediaDurationLater(item.path(), this, [this, place](std::optional<qint64> duration) {
        if (!place.isValid())
            return;
        QTreeWidgetItem *measured = m_list.itemFromIndex(place);
        measured->setText(1, duration ? MediaDurationText(*duration) : QStringLiteral("?"));
        emit DurationShown(m_list.indexOfTopLevelItem(measured));
    });
}

QList<PlaylistRow> Playlist::Rows() const
{
    QList<PlaylistRow> rows;
    rows.reserve(Count());
    for (int row = 0; row < Count(); ++row) {
        const QTreeWidgetItem *item = m_list.topLevelItem(row);
        rows.append({item->data(0, Qt::UserRole).value<TPlayListItem>(), item->text(1)});
    }
    return rows;
}

void Playlist::AddSavedRows(const QList<PlaylistRow> &rows)
{
    if (rows.isEmpty())
        return;
    for (const PlaylistRow &row : rows)
        appendRow(row.item, row.duration);
    RepaintPlaylist();
    if (m_player)
        m_player->ShowVideo(true);
}

void Playlist::RepaintPlaylist()
{
    QFont regular = m_list.font();
    regular.setBold(false);
    QFont bold = regular;
    bold.setBold(true);
    const QBrush current(colorFromRef(kCurrentRowColor));
    const QBrush other(Qt::white);
    for (int row = 0; row < m_list.topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = m_list.topLevelItem(row);
        const bool isCurrent = row == m_playIndex;
        for (int column = 0; column < 2; ++column) {
            item->setForeground(column, isCurrent ? current : other);
            item->setFont(column, isCurrent ? bold : regular);
        }
    }
}

void Playlist::OpenFiles(const QStringList &files)
{
    // The files are checked before anything is replaced. A file that cannot be a film ends the
    // filling and is reported once the files before it play; when not even the first can be,
    // the playlist and whatever plays stay as they were.
    std::exception_ptr failure;
    const std::vector<QString> rows = checkedFilms(files, failure);
    if (rows.empty()) {
        if (failure)
            std::rethrow_exception(failure);
        return;
    }
    m_list.clear();
    for (const QString &row : rows)
        appendRow(row);
    MakeCurrent(0);
    m_player->ShowVideo(true);
    RepaintPlaylist();
    m_player->PlayOpenedFile(rows.front());
    if (failure)
        std::rethrow_exception(failure);
}

void Playlist::MnuAddClick()
{
    AddFiles(m_dialogs.ChooseMediaFiles(QStringLiteral("Add")), Count());
}

void Playlist::AddFiles(const QStringList &files, int at)
{
    if (!files.isEmpty()) {
        m_transient = false;
        const int rowsBefore = Count();
        at = std::clamp(at, 0, rowsBefore);
        // A file that cannot be a film ends the filling; the rows before it stay, shown as
        // any added rows are, and the current row keeps its file.
        std::exception_ptr failure;
        const std::vector<QString> films = checkedFilms(files, failure);
        const int added = int(films.size());
        for (int row = 0; row < added; ++row)
            insertRow(at + row, MakePlayListItem(films[std::size_t(row)]), QString());
        m_playIndex = PlayIndexAfterInsert(m_playIndex, at, added, rowsBefore);
        RepaintPlaylist();
        if (added > 0)
            m_player->ShowVideo(true);
        m_player->RowsAdded();
        if (failure)
            std::rethrow_exception(failure);
        return;
    }
    m_player->RowsAdded();
}

void Playlist::MnuRemoveClick()
{
    const int removed = selectedRow();
    if (removed < 0)
        return;
    if (removed != m_playIndex) {
        delete m_list.takeTopLevelItem(removed);
        m_playIndex = PlayIndexAfterRemoval(m_playIndex, removed, Count(), false);
        RepaintPlaylist();
        return;
    }
    const bool wasRunning = m_player->PlaybackRunning();
    if (wasRunning)
        m_player->StopPlayback();
    m_player->EmptyMedia();
    delete m_list.takeTopLevelItem(removed);
    const int rowsLeft = Count();
    m_playIndex = PlayIndexAfterRemoval(m_playIndex, removed, rowsLeft, wasRunning);
    RepaintPlaylist();
    if (rowsLeft == 0) {
        m_player->CloseMedia();
        m_player->ShowVideo(false);
    } else if (wasRunning) {
        m_player->MoveOn();
    } else {
        m_list.clearSelection();
        if (m_playIndex >= 0)
            m_list.setCurrentItem(m_list.topLevelItem(m_playIndex));
        // Nothing is left loaded, so Play starts the selected row instead of an empty graph.
        m_player->CloseMedia();
    }
}

void Playlist::MnuClearClick()
{
    m_player->StopPlayback();
    m_player->EmptyMedia();
    m_player->ShowVideo(false);
    m_list.clear();
    m_playIndex = -1;
    m_player->CloseMedia();
}

void Playlist::LstPLDblClick()
{
    const int row = selectedRow();
    if (row < 0 || row == m_playIndex)
        return;
    m_player->PlayRow(row);
}

void Playlist::LstPLKeyPress(int key)
{
    if (key == kEnterKey)
        LstPLDblClick();
}

void Playlist::LstPLClick()
{
    QScrollBar *bar = m_list.verticalScrollBar();
    bar->setValue(std::min(bar->maximum(), bar->value() + kClickScroll));
}

bool Playlist::LstPLDragOver(QObject *source, const QPoint &position)
{
    if (source != &m_list)
        return false;
    QTreeWidgetItem *target = m_list.itemAt(position);
    return target && m_list.indexOfTopLevelItem(target) != selectedRow();
}

void Playlist::LstPLDragDrop(QObject *source, const QPoint &position)
{
    if (source != &m_list)
        return;
    const int from = selectedRow();
    QTreeWidgetItem *target = m_list.itemAt(position);
    const int to = target ? m_list.indexOfTopLevelItem(target) : -1;
    if (from < 0 || to < 0 || from == to)
        return;
    m_list.setUpdatesEnabled(false);
    QTreeWidgetItem *moved = m_list.takeTopLevelItem(from);
    m_list.insertTopLevelItem(RowAfterDrop(from, from, to), moved);
    m_list.setCurrentItem(moved);
    if (m_player->MediaLoaded())
        m_playIndex = RowAfterDrop(m_playIndex, from, to);
    m_list.setUpdatesEnabled(true);
    RepaintPlaylist();
}

void Playlist::PopupMenu2Popup()
{
    const bool selected = selectedRow() >= 0;
    const bool rows = Count() > 0;
    for (QAction *item : std::as_const(m_removeItems))
        item->setEnabled(selected);
    for (QAction *item : std::as_const(m_clearItems))
        item->setEnabled(rows);
}

} // namespace duvara
