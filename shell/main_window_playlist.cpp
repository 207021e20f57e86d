// The playlist: rows with their durations, adding, removing, clearing and reordering them, the
// current row's look, and starting a row from the list.
#include "shell/main_window.h"

#include "controls/playlist_item.h"
#include "controls/playlist_moves.h"
#include "controls/rlistview.h"
#include "presentation/color_ref.h"
#include "presentation/gradient_panel.h"
#include "presentation/osd_display.h"
#include "presentation/position_text.h"
#include "shell/error_box.h"
#include "shell/popup_menus.h"

#include <QAction>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTreeWidgetItem>

namespace duvara {

namespace {

constexpr std::uint32_t kListColor = 0x001B2036;
constexpr std::uint32_t kCurrentRowColor = 0x006ACFFF;
constexpr int kDurationColumnWidth = 70;
constexpr int kClickScroll = 300;

// Enter on a row starts it, like a double click.
class PlaylistKeys : public QObject
{
public:
    PlaylistKeys(TFormVDMain *window, QObject *parent)
        : QObject(parent)
        , m_window(window)
    { }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                RunGuarded(m_window, [this] { m_window->LstPLKeyPress(13); });
        }
        return false;
    }

private:
    TFormVDMain *m_window;
};

int selectedRow(const RListView *list)
{
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.constFirst());
}

} // namespace

void TFormVDMain::wirePlaylist()
{
    QPalette colours = LstPL->palette();
    colours.setColor(QPalette::Base, colorFromRef(kListColor));
    colours.setColor(QPalette::Text, Qt::white);
    LstPL->setPalette(colours);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    LstPL->setFont(tahoma);
    LstPL->header()->setSectionResizeMode(1, QHeaderView::Fixed);
    LstPL->header()->resizeSection(1, kDurationColumnWidth);
    LstPL->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    LstPL->SetHideSelection(true);

    LstPL->setDragEnabled(true);
    LstPL->setAcceptDrops(true);
    LstPL->setDragDropMode(QAbstractItemView::DragDrop);
    LstPL->OnDragOver = [this](QObject *source, const QPoint &at) {
        return LstPLDragOver(source, at);
    };
    LstPL->OnDragDrop = [this](QObject *source, const QPoint &at) {
        RunGuarded(this, [&] { LstPLDragDrop(source, at); });
    };
    connect(LstPL, &QTreeWidget::itemDoubleClicked, this, guarded(&TFormVDMain::LstPLDblClick));
    connect(LstPL, &QTreeWidget::itemClicked, this, [this] { LstPLClick(); });
    LstPL->installEventFilter(new PlaylistKeys(this, LstPL));

    const auto onItem = [this](TRPopupMenu *menu, const char *name,
                               void (TFormVDMain::*handler)()) {
        connect(menu->item(QString::fromLatin1(name)), &QAction::triggered, this, guarded(handler));
    };
    onItem(PopupMenu2, "MnuAdd", &TFormVDMain::MnuAddClick);
    onItem(PopupMenu2, "MnuRemove", &TFormVDMain::MnuRemoveClick);
    onItem(PopupMenu2, "MnuClear", &TFormVDMain::MnuClearClick);
    onItem(PopupMenu1, "MnuPLAdd", &TFormVDMain::MnuAddClick);
    onItem(PopupMenu1, "MnuPLRemove", &TFormVDMain::MnuRemoveClick);
    onItem(PopupMenu1, "MnuPLClear", &TFormVDMain::MnuClearClick);
    // The playlist menu's shortcuts work while the list has the keyboard focus.
    for (QAction *action : PopupMenu2->actions()) {
        action->setShortcutContext(Qt::WidgetShortcut);
        LstPL->addAction(action);
    }
    for (TRPopupMenu *menu : {PopupMenu1, PopupMenu2})
        connect(menu, &TRPopupMenu::OnPopup, this, &TFormVDMain::PopupMenu2Popup);
    LstPL->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(LstPL, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu2->popup(LstPL->viewport()->mapToGlobal(at)); });
}

QString TFormVDMain::PlaylistPath(int row) const
{
    const QTreeWidgetItem *item = LstPL->topLevelItem(row);
    return item ? item->data(0, Qt::UserRole).value<TPlayListItem>().path() : QString();
}

// Measures the file and appends its row; a file that cannot be opened raises the media error
// and is not added.
void TFormVDMain::appendPlaylistRow(const QString &file)
{
    const TPlayListItem item = MakePlayListItem(file);
    const qint64 duration = FilterGraph1.ProbeDuration(file);
    auto *row = new QTreeWidgetItem(LstPL, {item.FileName, MediaDurationText(duration)});
    row->setData(0, Qt::UserRole, QVariant::fromValue(item));
    row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    row->setFlags(row->flags() & ~Qt::ItemIsDropEnabled);
}

// The current row in bold orange, every other row in regular white.
void TFormVDMain::repaintPlaylist()
{
    QFont regular = LstPL->font();
    regular.setBold(false);
    QFont bold = regular;
    bold.setBold(true);
    const QBrush current(colorFromRef(kCurrentRowColor));
    const QBrush other(Qt::white);
    for (int row = 0; row < LstPL->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = LstPL->topLevelItem(row);
        const bool isCurrent = row == PlayIndex;
        for (int column = 0; column < 2; ++column) {
            item->setForeground(column, isCurrent ? current : other);
            item->setFont(column, isCurrent ? bold : regular);
        }
    }
}

void TFormVDMain::MnuAddClick()
{
    const QStringList files = chooseMediaFiles(QStringLiteral("Add"));
    if (!files.isEmpty()) {
        PlaylistTransient = false;
        // A file that cannot be measured ends the filling; the rows before it stay.
        for (const QString &file : files)
            appendPlaylistRow(file);
        repaintPlaylist();
        VideoWnd->show();
    }
    if (PlayIndex > 0)
        setCommandEnabled(Command::Prev, true);
    if (PlayIndex < LstPL->topLevelItemCount() - 1)
        setCommandEnabled(Command::Next, true);
}

void TFormVDMain::MnuRemoveClick()
{
    const int removed = selectedRow(LstPL);
    if (removed < 0)
        return;
    if (removed != PlayIndex) {
        delete LstPL->takeTopLevelItem(removed);
        PlayIndex = PlayIndexAfterRemoval(PlayIndex, removed, LstPL->topLevelItemCount(), false);
        repaintPlaylist();
        return;
    }
    const bool wasRunning = commandEnabled(Command::Stop);
    if (wasRunning)
        BtnStopClick();
    FilterGraph.EmptyGraph();
    delete LstPL->takeTopLevelItem(removed);
    const int rowsLeft = LstPL->topLevelItemCount();
    PlayIndex = PlayIndexAfterRemoval(PlayIndex, removed, rowsLeft, wasRunning);
    repaintPlaylist();
    if (rowsLeft == 0) {
        FilterGraph.SetActive(false);
        VideoWnd->hide();
        SetTransportEnabled(false);
    } else if (wasRunning) {
        FilterGraphDSEvent(GraphEvent::EC_COMPLETE, 0, 0);
    } else {
        LstPL->clearSelection();
        if (PlayIndex >= 0)
            LstPL->setCurrentItem(LstPL->topLevelItem(PlayIndex));
        // Nothing is left loaded, so Play starts the selected row instead of an empty graph.
        FilterGraph.SetActive(false);
        SetTransportEnabled(false);
    }
}

void TFormVDMain::MnuClearClick()
{
    BtnStopClick();
    FilterGraph.EmptyGraph();
    VideoWnd->hide();
    FilterGraph.SetActive(false);
    LstPL->clear();
    PlayIndex = -1;
    SetTransportEnabled(false);
}

void TFormVDMain::LstPLDblClick()
{
    const int row = selectedRow(LstPL);
    if (row < 0 || row == PlayIndex)
        return;
    startRow(row);
    afterRowStarted();
}

void TFormVDMain::LstPLKeyPress(int key)
{
    if (key == 13)
        LstPLDblClick();
}

void TFormVDMain::LstPLClick()
{
    QScrollBar *bar = LstPL->verticalScrollBar();
    bar->setValue(std::min(bar->maximum(), bar->value() + kClickScroll));
}

bool TFormVDMain::LstPLDragOver(QObject *source, const QPoint &position)
{
    if (source != LstPL)
        return false;
    QTreeWidgetItem *target = LstPL->itemAt(position);
    return target && LstPL->indexOfTopLevelItem(target) != selectedRow(LstPL);
}

void TFormVDMain::LstPLDragDrop(QObject *source, const QPoint &position)
{
    if (source != LstPL)
        return;
    const int from = selectedRow(LstPL);
    QTreeWidgetItem *target = LstPL->itemAt(position);
    const int to = target ? LstPL->indexOfTopLevelItem(target) : -1;
    if (from < 0 || to < 0 || from == to)
        return;
    LstPL->setUpdatesEnabled(false);
    QTreeWidgetItem *moved = LstPL->takeTopLevelItem(from);
    const int landing = RowAfterDrop(from, from, to);
    LstPL->insertTopLevelItem(landing, moved);
    LstPL->setCurrentItem(moved);
    if (FilterGraph.Active())
        PlayIndex = RowAfterDrop(PlayIndex, from, to);
    LstPL->setUpdatesEnabled(true);
    repaintPlaylist();
}

void TFormVDMain::PopupMenu2Popup()
{
    const bool selected = selectedRow(LstPL) >= 0;
    const bool rows = LstPL->topLevelItemCount() > 0;
    for (const char *name : {"MnuRemove", "MnuPLRemove"})
        for (TRPopupMenu *menu : {PopupMenu1, PopupMenu2})
            if (QAction *item = menu->item(QString::fromLatin1(name)))
                item->setEnabled(selected);
    for (const char *name : {"MnuClear", "MnuPLClear"})
        for (TRPopupMenu *menu : {PopupMenu1, PopupMenu2})
            if (QAction *item = menu->item(QString::fromLatin1(name)))
                item->setEnabled(rows);
}

} // namespace duvara
