// What a folder given as a film stands for: which of its files, in which order, and where the
// walk stops.
#include "controls/folder_films.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace duvara;

class TestFolderFilms : public QObject
{
    Q_OBJECT
private slots:
    void filmsBelowTheFolderInNaturalOrder();
    void hiddenPlacesAndLinkedFoldersAreLeftOut();
    void theLimitsCutTheWalk();

private:
    // Empty files at these paths below the folder: only their names matter here.
    void make(const QStringList &paths) const;
    QStringList below(const QStringList &names) const;

    QTemporaryDir m_dir;
};

void TestFolderFilms::make(const QStringList &paths) const
{
    for (const QString &path : paths) {
        const QString full = m_dir.filePath(path);
        QVERIFY(QDir().mkpath(QFileInfo(full).path()));
        QFile file(full);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

QStringList TestFolderFilms::below(const QStringList &names) const
{
    QStringList full;
    for (const QString &name : names)
        full << m_dir.filePath(name);
    return full;
}

void TestFolderFilms::filmsBelowTheFolderInNaturalOrder()
{
    QVERIFY(m_dir.isValid());
    make({"Season 10/Episode 1.mkv", "Season 2/Episode 10.mp4", "Season 2/Episode 9.MP4",
          "Season 2/cover.jpg", "Season 2/Episode 9.srt", "Season 2/episode 011.mkv", "album.m3u",
          "song.flac", "Notes.txt", "clip.webm"});
    const FolderFilms found = FilmsInFolder(m_dir.path());
    QCOMPARE(found.films,
             below({"clip.webm", "Season 2/Episode 9.MP4", "Season 2/Episode 10.mp4",
                    "Season 2/episode 011.mkv", "Season 10/Episode 1.mkv", "song.flac"}));
    QVERIFY(!found.cut);
    QVERIFY(FilmsInFolder(m_dir.filePath("Season 2/cover.jpg")).films.isEmpty());
    QVERIFY(FilmsInFolder(m_dir.filePath("no such folder")).films.isEmpty());
}

void TestFolderFilms::hiddenPlacesAndLinkedFoldersAreLeftOut()
{
    QVERIFY(m_dir.isValid());
    make({"shown/a.mp4", "shown/.hidden.mp4", "shown/.trash/b.mp4"});
    // A link back up the tree would make the walk endless; a link to a film is a film.
    QVERIFY(QFile::link(m_dir.path(), m_dir.filePath("shown/up")));
    QVERIFY(QFile::link(m_dir.filePath("shown/a.mp4"), m_dir.filePath("shown/same.mp4")));
    QCOMPARE(FilmsInFolder(m_dir.filePath("shown")).films,
             below({"shown/a.mp4", "shown/same.mp4"}));
}

void TestFolderFilms::theLimitsCutTheWalk()
{
    QVERIFY(m_dir.isValid());
    make({"many/3.avi", "many/1.avi", "many/2.avi", "many/readme"});
    // Too many films: the first ones in order, and the cut is told.
    FolderFilms found = FilmsInFolder(m_dir.filePath("many"), 2);
    QCOMPARE(found.films, below({"many/1.avi", "many/2.avi"}));
    QVERIFY(found.cut);
    found = FilmsInFolder(m_dir.filePath("many"), 3);
    QCOMPARE(found.films.size(), 3);
    QVERIFY(!found.cut);
    // Too many entries to look at: whatever was found, and the cut is told.
    found = FilmsInFolder(m_dir.filePath("many"), 10, 2);
    QVERIFY(found.films.size() <= 2);
    QVERIFY(found.cut);
    QVERIFY(!FilmsInFolder(m_dir.filePath("many"), 10, 4).cut);
}

QTEST_GUILESS_MAIN(TestFolderFilms)
#include "tst_folder_films.moc"
