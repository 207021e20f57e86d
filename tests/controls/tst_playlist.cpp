// The playlist on its own: rows, the current row, removing, clearing and reordering, with a
// stand-in for the transport that records what the playlist asks of playback.
#include "controls/file_dialogs.h"
#include "controls/playlist.h"
#include "controls/playlist_item.h"
#include "controls/rlistview.h"
#include "media/ds_track_bar.h"
#include "media/filter_graph.h"
#include "presentation/synchronisation.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <clocale>
#include <memory>
#include <stdexcept>

using namespace duvara;

namespace {

class RecordingPlayer : public PlaylistPlayer
{
public:
    bool running = false;
    bool loaded = false;
    QStringList calls;

    bool PlaybackRunning() const override { return running; }
    bool MediaLoaded() const override { return loaded; }
    void StopPlayback() override
    {
        calls << "stop";
        running = false;
    }
    void EmptyMedia() override { calls << "empty"; }
    void CloseMedia() override
    {
        calls << "close";
        loaded = false;
    }
    void ShowVideo(bool shown) override { calls << (shown ? "show" : "hide"); }
    void PlayOpenedFile(const QString &file) override
    {
        calls << "play " + QFileInfo(file).fileName();
        running = loaded = true;
    }
    void PlayRow(int row) override { calls << QStringLiteral("row %1").arg(row); }
    void MoveOn() override { calls << "move on"; }
    void RowsAdded() override { calls << "added"; }
};

} // namespace

class TestPlaylist : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openFillsRowsAndPlaysTheFirst();
    void anUnplayableFileEndsTheFilling();
    void whatIsNotAFileIsRefusedAtOnce_data();
    void whatIsNotAFileIsRefusedAtOnce();
    void aFileThatCannotBeMeasuredShowsNoDuration();
    void aFolderStandsForItsFilms();
    void removingAnotherRowKeepsTheCurrentOne_data();
    void removingAnotherRowKeepsTheCurrentOne();
    void removingThePlayingRowMovesOn();
    void removingTheStoppedCurrentRowClosesTheMedia();
    void removingTheLastRowHidesTheVideo();
    void clearEmptiesEverything();
    void dropReordersAndTheCurrentRowFollowsWhileLoaded();
    void aDraggedRowCarriesItsFile();
    void doubleClickStartsOnlyAnotherRow();
    void menuItemsFollowTheSelection();

private:
    QStringList films(const QStringList &names);
    QStringList rowNames() const;
    void openFourRows();
    void select(int row);

    QTemporaryDir m_dir;
    TFilterGraph *m_graph = nullptr;
    QWidget *m_window = nullptr;
    RListView *m_list = nullptr;
    Synchronisation *m_sync = nullptr;
    FileDialogs *m_dialogs = nullptr;
    Playlist *m_playlist = nullptr;
    RecordingPlayer m_player;
};

void TestPlaylist::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
    QVERIFY(m_dir.isValid());
}

void TestPlaylist::init()
{
    m_graph = new TFilterGraph;
    m_window = new QWidget;
    m_list = new RListView(m_window);
    m_list->setColumnCount(2);
    auto *bar = new TDSTrackBar(m_window);
    auto *slider = new QSlider(m_window);
    auto *label = new QLabel(m_window);
    m_sync = new Synchronisation(*m_graph, *bar, *slider, *label, m_window);
    m_dialogs = new FileDialogs(m_window, *m_sync);
    m_playlist = new Playlist(*m_list, *m_dialogs, m_window);
    m_player = RecordingPlayer();
    m_playlist->SetPlayer(&m_player);
}

void TestPlaylist::cleanup()
{
    delete m_dialogs;
    delete m_window;
    delete m_graph;
}

QStringList TestPlaylist::films(const QStringList &names)
{
    QStringList paths;
    for (const QString &name : names) {
        const QString path = m_dir.filePath(name);
        if (!QFile::exists(path))
            QFile::copy(QStringLiteral(DUVARA_DEMO_FILM), path);
        paths << path;
    }
    return paths;
}

QStringList TestPlaylist::rowNames() const
{
    QStringList names;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        names << m_list->topLevelItem(row)->text(0);
    return names;
}

void TestPlaylist::openFourRows()
{
    m_playlist->OpenFiles(films({"a.mp4", "b.mp4", "c.mp4", "d.mp4"}));
    m_player.calls.clear();
}

void TestPlaylist::select(int row)
{
    m_list->clearSelection();
    if (row >= 0)
        m_list->setCurrentItem(m_list->topLevelItem(row));
}

void TestPlaylist::openFillsRowsAndPlaysTheFirst()
{
    m_playlist->OpenFiles(films({"first.mp4", "second.mp4"}));
    QCOMPARE(rowNames(), QStringList({"first.mp4", "second.mp4"}));
    // The durations come from workers, a moment later.
    QTRY_COMPARE(m_list->topLevelItem(0)->text(1), QStringLiteral("0:00:24"));
    QTRY_COMPARE(m_list->topLevelItem(1)->text(1), QStringLiteral("0:00:24"));
    QCOMPARE(m_playlist->PlaylistPath(1), m_dir.filePath("second.mp4"));
    QVERIFY(m_playlist->PlaylistPath(2).isEmpty());
    QCOMPARE(m_playlist->PlayIndex(), 0);
    QVERIFY(m_list->topLevelItem(0)->font(0).bold());
    QVERIFY(!m_list->topLevelItem(1)->font(0).bold());
    QCOMPARE(m_player.calls, QStringList({"show", "play first.mp4"}));
}

void TestPlaylist::anUnplayableFileEndsTheFilling()
{
    openFourRows();
    // Not even the first file can be measured: the rows and what plays stay.
    QVERIFY_THROWS_EXCEPTION(std::exception, m_playlist->OpenFiles({m_dir.filePath("gone.mp4")}));
    QCOMPARE(rowNames(), QStringList({"a.mp4", "b.mp4", "c.mp4", "d.mp4"}));
    QVERIFY(m_player.calls.isEmpty());

    // The files before the bad one replace the rows and play; the bad one is reported after.
    QStringList files = films({"good.mp4"});
    files << m_dir.filePath("missing.mp4") << films({"never.mp4"});
    QVERIFY_THROWS_EXCEPTION(std::exception, m_playlist->OpenFiles(files));
    QCOMPARE(rowNames(), QStringList({"good.mp4"}));
    QCOMPARE(m_player.calls, QStringList({"show", "play good.mp4"}));
}

void TestPlaylist::whatIsNotAFileIsRefusedAtOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("named pipe") << "fifo";
    QTest::newRow("missing") << "missing";
}

void TestPlaylist::whatIsNotAFileIsRefusedAtOnce()
{
    QFETCH(QString, kind);
    const QString path = m_dir.filePath(kind + ".mp4");
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    // Opening a named pipe would wait for a writer for ever: it is refused without opening it.
    try {
        m_playlist->OpenFiles({path});
        QFAIL("accepted");
    } catch (const std::exception &error) {
        const QString text = QString::fromUtf8(error.what());
        QVERIFY2(text.endsWith(QStringLiteral(").")), error.what());
        if (kind == "fifo")
            QVERIFY2(text.startsWith(QStringLiteral("Not a regular file")), error.what());
    }
    QCOMPARE(m_list->topLevelItemCount(), 0);
    QVERIFY(m_player.calls.isEmpty());
}

void TestPlaylist::aFileThatCannotBeMeasuredShowsNoDuration()
{
    const QString text = m_dir.filePath("list.mp4");
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("This is a shopping list, not a film.\n");
    file.close();
    QSignalSpy shown(m_playlist, &Playlist::DurationShown);
    m_playlist->OpenFiles({text});
    QCOMPARE(rowNames(), QStringList({"list.mp4"}));
    QVERIFY(shown.wait());
    QCOMPARE(m_list->topLevelItem(0)->text(1), QStringLiteral("?"));
}

void TestPlaylist::aFolderStandsForItsFilms()
{
    const QString folder = m_dir.filePath("season");
    QVERIFY(QDir().mkpath(folder));
    // Nothing to play in it: refused by its name, and the rows stay.
    openFourRows();
    try {
        m_playlist->OpenFiles({folder});
        QFAIL("an empty folder was accepted");
    } catch (const std::exception &error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(folder), error.what());
    }
    QCOMPARE(rowNames(), QStringList({"a.mp4", "b.mp4", "c.mp4", "d.mp4"}));
    QVERIFY(m_player.calls.isEmpty());

    for (const char *name : {"Episode 10.mp4", "Episode 9.mp4"})
        QVERIFY(QFile::copy(QStringLiteral(DUVARA_DEMO_FILM), folder + "/" + name));
    m_playlist->OpenFiles({folder});
    QCOMPARE(rowNames(), QStringList({"Episode 9.mp4", "Episode 10.mp4"}));
    QCOMPARE(m_player.calls, QStringList({"show", "play Episode 9.mp4"}));
    QTRY_COMPARE(m_list->topLevelItem(1)->text(1), QStringLiteral("0:00:24"));

    // Added at a row, among other files.
    m_playlist->AddFiles(QStringList {films({"first.mp4"}).front(), folder}, 1);
    QCOMPARE(rowNames(),
             QStringList({"Episode 9.mp4", "first.mp4", "Episode 9.mp4", "Episode 10.mp4",
                          "Episode 10.mp4"}));
    QCOMPARE(m_playlist->PlayIndex(), 0);
}

void TestPlaylist::removingAnotherRowKeepsTheCurrentOne_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("currentAfter");
    QTest::newRow("above") << 2 << 0 << 1;
    QTest::newRow("below") << 1 << 3 << 1;
}

void TestPlaylist::removingAnotherRowKeepsTheCurrentOne()
{
    QFETCH(int, current);
    QFETCH(int, removed);
    QFETCH(int, currentAfter);
    openFourRows();
    m_playlist->MakeCurrent(current);
    const QString playing = m_list->topLevelItem(current)->text(0);
    select(removed);
    m_playlist->MnuRemoveClick();
    QCOMPARE(m_list->topLevelItemCount(), 3);
    QCOMPARE(m_playlist->PlayIndex(), currentAfter);
    QCOMPARE(m_list->topLevelItem(currentAfter)->text(0), playing);
    QVERIFY(m_list->topLevelItem(currentAfter)->font(0).bold());
    QVERIFY(m_player.calls.isEmpty());
}

void TestPlaylist::removingThePlayingRowMovesOn()
{
    openFourRows();
    m_player.running = true;
    m_playlist->MakeCurrent(1);
    m_playlist->MnuRemoveClick();
    QCOMPARE(rowNames(), QStringList({"a.mp4", "c.mp4", "d.mp4"}));
    // The next row moves up into the removed row's place; moving on plays it.
    QCOMPARE(m_playlist->PlayIndex(), 0);
    QCOMPARE(m_player.calls, QStringList({"stop", "empty", "move on"}));
}

void TestPlaylist::removingTheStoppedCurrentRowClosesTheMedia()
{
    openFourRows();
    m_player.running = false;
    m_playlist->MakeCurrent(1);
    m_playlist->MnuRemoveClick();
    QCOMPARE(rowNames(), QStringList({"a.mp4", "c.mp4", "d.mp4"}));
    QCOMPARE(m_player.calls, QStringList({"empty", "close"}));
    // Play then starts the row that is now selected.
    QCOMPARE(m_list->selectedItems().size(), 1);
    QCOMPARE(m_list->indexOfTopLevelItem(m_list->selectedItems().constFirst()),
             m_playlist->PlayIndex());
}

void TestPlaylist::removingTheLastRowHidesTheVideo()
{
    m_playlist->OpenFiles(films({"only.mp4"}));
    m_player.calls.clear();
    m_playlist->MnuRemoveClick();
    QCOMPARE(m_list->topLevelItemCount(), 0);
    QCOMPARE(m_player.calls, QStringList({"stop", "empty", "close", "hide"}));
}

void TestPlaylist::clearEmptiesEverything()
{
    openFourRows();
    m_playlist->MnuClearClick();
    QCOMPARE(m_list->topLevelItemCount(), 0);
    QCOMPARE(m_playlist->PlayIndex(), -1);
    QCOMPARE(m_player.calls, QStringList({"stop", "empty", "hide", "close"}));
}

void TestPlaylist::dropReordersAndTheCurrentRowFollowsWhileLoaded()
{
    openFourRows();
    m_playlist->MakeCurrent(0);
    select(0);
    const QPoint onC = m_list->visualItemRect(m_list->topLevelItem(2)).center();
    QVERIFY(m_playlist->LstPLDragOver(m_list, onC));
    QVERIFY(!m_playlist->LstPLDragOver(m_window, onC));
    m_playlist->LstPLDragDrop(m_list, onC);
    // The dragged row lands just before the row it was dropped on.
    QCOMPARE(rowNames(), QStringList({"b.mp4", "a.mp4", "c.mp4", "d.mp4"}));
    QCOMPARE(m_playlist->PlayIndex(), 1);
    QVERIFY(m_list->topLevelItem(1)->font(0).bold());

    // With nothing loaded the index stays where it was: no row plays.
    m_player.loaded = false;
    select(3);
    m_playlist->LstPLDragDrop(m_list, m_list->visualItemRect(m_list->topLevelItem(0)).center());
    QCOMPARE(rowNames(), QStringList({"d.mp4", "b.mp4", "a.mp4", "c.mp4"}));
    QCOMPARE(m_playlist->PlayIndex(), 1);
}

void TestPlaylist::aDraggedRowCarriesItsFile()
{
    openFourRows();
    QTest::failOnWarning(QRegularExpression(QStringLiteral("unable to save")));
    const std::unique_ptr<QMimeData> dragged(
        m_list->model()->mimeData({m_list->model()->index(2, 0)}));
    QVERIFY(dragged);
    // Dropped into another list, the row has the same record behind it.
    QTreeWidget other;
    other.setColumnCount(2);
    QVERIFY(other.model()->dropMimeData(dragged.get(), Qt::CopyAction, 0, 0, QModelIndex()));
    QCOMPARE(other.topLevelItemCount(), 1);
    const auto item = other.topLevelItem(0)->data(0, Qt::UserRole).value<TPlayListItem>();
    QCOMPARE(item.path(), m_dir.filePath("c.mp4"));
}

void TestPlaylist::doubleClickStartsOnlyAnotherRow()
{
    openFourRows();
    select(0);
    m_playlist->LstPLDblClick();
    select(-1);
    m_playlist->LstPLDblClick();
    QVERIFY(m_player.calls.isEmpty());
    select(3);
    m_playlist->LstPLKeyPress(13);
    QCOMPARE(m_player.calls, QStringList({"row 3"}));
}

void TestPlaylist::menuItemsFollowTheSelection()
{
    QAction add(nullptr), remove(nullptr), clear(nullptr);
    m_playlist->AddMenuItems(&add, &remove, &clear);
    m_playlist->PopupMenu2Popup();
    QVERIFY(!remove.isEnabled());
    QVERIFY(!clear.isEnabled());
    openFourRows();
    select(-1);
    m_playlist->PopupMenu2Popup();
    QVERIFY(!remove.isEnabled());
    QVERIFY(clear.isEnabled());
    select(1);
    m_playlist->PopupMenu2Popup();
    QVERIFY(remove.isEnabled());
}

QTEST_MAIN(TestPlaylist)
#include "tst_playlist.moc"
