// What a drop from another program means, without a window: which addresses are films,
// subtitle files or refused; the half and the tracks; where dropped rows go in; what is said.
#include "controls/playlist_moves.h"
#include "media/error_box.h"
#include "shell/dropped_files.h"

#include <QFile>
#include <QTest>

using namespace duvara;

class TestDropRules : public QObject
{
    Q_OBJECT
private slots:
    void sortingAddresses_data();
    void sortingAddresses();
    void halvesAndTracks();
    void playlistRows_data();
    void playlistRows();
    void refusalText();
};

void TestDropRules::sortingAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("film");
    QTest::addColumn<QString>("subtitles");
    QTest::newRow("film") << "file:///f/My%20Film%2520.mkv"
                          << "/f/My Film%20.mkv"
                          << "";
    QTest::newRow("SubRip in capitals") << "file://localhost/s/A.SRT"
                                        << ""
                                        << "/s/A.SRT";
    QTest::newRow("MicroDVD") << "file:///s/a.txt"
                              << ""
                              << "/s/a.txt";
    // A name in another code page reaches its file: its bytes decode as the system's names do.
    QTest::newRow("not UTF-8") << "file:///f/%E9t%E9.avi" << QFile::decodeName("/f/\xe9t\xe9.avi")
                               << "";
    QTest::newRow("web") << "https://example.com/a.mp4"
                         << ""
                         << "";
    QTest::newRow("another computer") << "file://server/share/a.mp4"
                                      << ""
                                      << "";
}

void TestDropRules::sortingAddresses()
{
    QFETCH(QString, address);
    QFETCH(QString, film);
    QFETCH(QString, subtitles);
    const DroppedFiles files = SortDroppedUrls({QUrl(address)});
    QCOMPARE(files.films.value(0), film);
    QCOMPARE(files.subtitles.value(0), subtitles);
    QCOMPARE(files.refused.size(), film.isEmpty() && subtitles.isEmpty() ? 1 : 0);
}

void TestDropRules::halvesAndTracks()
{
    QCOMPARE(HalfAt(239, 480), PictureHalf::Upper);
    QCOMPARE(HalfAt(240, 480), PictureHalf::Lower);
    QCOMPARE(HalfAt(240, 481), PictureHalf::Upper);
    QCOMPARE(HalfAt(-5, 480), PictureHalf::Upper); // the remote may reach beyond the picture
    // The first file to the half's track (the secondary one is at the top), a second to the
    // other, the rest to none.
    const SubtitlesForTracks upper = AssignDroppedSubtitles({"a", "b", "c"}, PictureHalf::Upper);
    QCOMPARE(upper.secondary, "a");
    QCOMPARE(upper.primary, "b");
    QCOMPARE(upper.leftOver, QStringList {"c"});
    const SubtitlesForTracks lower = AssignDroppedSubtitles({"a"}, PictureHalf::Lower);
    QCOMPARE(lower.primary, "a");
    QVERIFY(lower.secondary.isEmpty());
    // Never a move: the file manager would delete what it moved.
    QCOMPARE(DropActionFor(Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
    QCOMPARE(DropActionFor(Qt::MoveAction | Qt::LinkAction), Qt::LinkAction);
    QCOMPARE(DropActionFor(Qt::MoveAction), Qt::IgnoreAction);
}

void TestDropRules::playlistRows_data()
{
    QTest::addColumn<int>("rowUnderPointer");
    QTest::addColumn<int>("playIndex");
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("playIndexAfter");
    // Two files dropped on a list of three rows.
    QTest::newRow("before the current row") << 0 << 1 << 0 << 3;
    QTest::newRow("on the current row") << 1 << 1 << 1 << 3;
    QTest::newRow("after the current row") << 2 << 1 << 2 << 1;
    QTest::newRow("below the last row") << -1 << 2 << 3 << 2;
    QTest::newRow("no current row") << 0 << -1 << 0 << -1;
}

void TestDropRules::playlistRows()
{
    QFETCH(int, rowUnderPointer);
    QFETCH(int, playIndex);
    QFETCH(int, at);
    QFETCH(int, playIndexAfter);
    QCOMPARE(InsertRowForDrop(rowUnderPointer, 3), at);
    QCOMPARE(PlayIndexAfterInsert(playIndex, at, 2, 3), playIndexAfter);
    // At start an empty list's current row is 0, naming no row: the first row added keeps it.
    QCOMPARE(PlayIndexAfterInsert(0, 0, 2, 0), 0);
}

void TestDropRules::refusalText()
{
    QCOMPARE(DropRefusalText({}), QString());
    const QString text
        = DropRefusalText({{"https://e.com/a.mp4"}, {"/home/u/film.srt"}, {"/s/third.srt"}});
    QCOMPARE(text.split('\n'),
             QStringList({"Only files on this computer can be opened. Not opened: "
                          "\"https://e.com/a.mp4\"",
                          "Subtitle files are opened by dropping them on the picture: the upper "
                          "half for the secondary track, the lower half for the primary one. Not "
                          "added to the playlist: \"film.srt\"",
                          "Each track takes one subtitle file: two can be dropped at once. Not "
                          "opened: \"third.srt\""}));
    // No full stop from the error box after a quoted name, where it would read as part of it.
    QCOMPARE(ErrorBoxText(text), text);
}

QTEST_GUILESS_MAIN(TestDropRules)
#include "tst_drop_rules.moc"
