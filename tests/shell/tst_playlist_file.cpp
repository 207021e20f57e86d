#include "shell/playlist_file.h"
#include "shell/settings_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace duvara;

namespace {

const char kSaveInALoop[] = "--save-in-a-loop";

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

PlaylistRow row(const QString &directory, const QString &name, const QString &duration)
{
    return {{name, directory}, duration};
}

// A playlist long enough that saving it takes a while; the two versions differ in every row.
QList<PlaylistRow> longPlaylist(char version)
{
    QList<PlaylistRow> rows;
    for (int i = 0; i < 20000; ++i)
        rows.append(row(QStringLiteral("/films/collection %1/").arg(i / 100),
                        QStringLiteral("film %1 %2.mkv").arg(i).arg(QLatin1Char(version)),
                        QStringLiteral("1:%1:00").arg(i % 60, 2, 10, QLatin1Char('0'))));
    return rows;
}

// The other half of killedSaveLeavesAWholeFile: saves the two versions in turn until killed,
// telling each finished save with a line.
int saveInALoop(const QString &path)
{
    const QList<PlaylistRow> versions[] = {longPlaylist('b'), longPlaylist('a')};
    try {
        for (unsigned save = 0;; ++save) {
            WritePlaylistFile(path, versions[save % 2]);
            std::fputs("saved\n", stdout);
            std::fflush(stdout);
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}

} // namespace

class TestPlaylistFile : public QObject
{
    Q_OBJECT
private slots:
    void fileNameBytesComeBack_data();
    void fileNameBytesComeBack();
    void rowsComeBackAsTheyWere();
    void reading_data();
    void reading();
    void killedSaveLeavesAWholeFile();
};

void TestPlaylistFile::fileNameBytesComeBack_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("UTF-8") << QByteArray("\xc3\xa9t\xc3\xa9 \xf0\x9f\x8e\xac.mkv") << true;
    QTest::newRow("Latin-1") << QByteArray("\xe9t\xe9.avi") << false;
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << false;
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << false;
    QTest::newRow("cut short") << QByteArray("ab\xe2\x82") << false;
    // A leading byte order mark is a character of the name (the system's decoding drops it).
    QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbfx") << false;
}

void TestPlaylistFile::fileNameBytesComeBack()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, utf8);
    const QString text = FileNameText(bytes);
    QCOMPARE(FileNameBytes(text), bytes);
    // A name the system's decoding can hold reads as it reads it.
    if (utf8)
        QCOMPARE(text, QFile::decodeName(bytes));
}

void TestPlaylistFile::rowsComeBackAsTheyWere()
{
    const QByteArray bytes("3\r\n"
                           "/films/\xe9t\xe9/\r\nclip \xff.mp4\r\n1:35:07\r\n"
                           "\r\nbare.mp4\r\n0:00:59\r\n"
                           "/m\xc3\xbcsic/\r\nmeasuring.mp3\r\n\r\n");
    const PlaylistFileContents contents = ParsePlaylistFile(bytes);
    QCOMPARE(contents.rows.size(), 3);
    QCOMPARE(contents.rows[2], row(QString::fromUtf8("/m\xc3\xbcsic/"), "measuring.mp3", ""));
    QTemporaryDir dir;
    const QString path = dir.filePath("Duvara.plf");
    WritePlaylistFile(path, contents.rows);
    QCOMPARE(fileBytes(path), bytes);
    QCOMPARE(PlaylistFileBytes({}), QByteArray("0\r\n"));

    // A name with a line break would shift every row after it: it is left out, and said so.
    QVERIFY_THROWS_EXCEPTION(
        SettingsFileError,
        WritePlaylistFile(path,
                          {row("/a/", "x\ny.mp4", "0:00:01"), row("/a/", "z.mp4", "0:00:02")}));
    QCOMPARE(fileBytes(path), QByteArray("1\r\n/a/\r\nz.mp4\r\n0:00:02\r\n"));
}

void TestPlaylistFile::reading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows"); // full name and duration of each row read
    QTest::addColumn<int>("heldRows");
    QTest::addColumn<bool>("unreadable");
    const QStringList one {"/a/x.mp4 0:00:10"};
    QTest::newRow("empty file") << QByteArray() << QStringList() << 0 << false;
    QTest::newRow("line feeds alone")
        << QByteArray("1\n/a/\nx.mp4\n0:00:10\n") << one << 1 << false;
    QTest::newRow("count larger than the rows")
        << QByteArray("3\r\n/a/\r\nx.mp4\r\n0:00:10\r\n") << one << 1 << false;
    QTest::newRow("last row without its duration")
        << QByteArray("2\r\n/a/\r\nx.mp4\r\n0:00:10\r\n/b/\r\ny.mp4")
        << QStringList {"/a/x.mp4 0:00:10", "/b/y.mp4 "} << 2 << false;
    QTest::newRow("last row without its name")
        << QByteArray("2\r\n/a/\r\nx.mp4\r\n0:00:10\r\n/b/\r\n") << one << 1 << false;
    QTest::newRow("rows without names")
        << QByteArray("3\r\n\r\n\r\n\r\n/a/\r\nx.mp4\r\n0:00:10\r\n\r\n\r\n\r\n") << one << 3
        << false;
    QTest::newRow("lines past the count")
        << QByteArray("1\r\n/a/\r\nx.mp4\r\n0:00:10\r\n/b/\r\ny.mp4\r\n0:00:20\r\n") << one << 1
        << false;
    QTest::newRow("first line not a number")
        << QByteArray("Playlist\r\n/a/\r\nx.mp4\r\n0:00:10\r\n") << QStringList() << 0 << true;
    QTest::newRow("negative count")
        << QByteArray("-1\r\n/a/\r\nx.mp4\r\n0:00:10\r\n") << QStringList() << 0 << true;
}

void TestPlaylistFile::reading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QFETCH(int, heldRows);
    QFETCH(bool, unreadable);
    const PlaylistFileContents contents = ParsePlaylistFile(bytes);
    QStringList read;
    for (const PlaylistRow &each : contents.rows)
        read << each.item.path() + " " + each.duration;
    QCOMPARE(read, rows);
    QCOMPARE(contents.heldRows, heldRows);
    QCOMPARE(!contents.unreadable.isEmpty(), unreadable);
}

// A saving process killed at random moments leaves the old file or the new one, whole.
void TestPlaylistFile::killedSaveLeavesAWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Duvara.plf");
    const QByteArray versions[]
        = {PlaylistFileBytes(longPlaylist('a')), PlaylistFileBytes(longPlaylist('b'))};
    WritePlaylistFile(path, longPlaylist('a'));
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("kill moments from seed %u", seed);
    QRandomGenerator random(seed);
    int sawNewer = 0;
    for (int round = 0; round < 25; ++round) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(), {kSaveInALoop, path});
        QVERIFY(saver.waitForStarted());
        // After its first save it is saving again almost all the time; the kill comes at some
        // moment of a later save.
        while (!saver.canReadLine())
            QVERIFY2(saver.waitForReadyRead(60000), qPrintable(saver.readAllStandardError()));
        QSignalSpy finished(&saver, &QProcess::finished);
        QTimer::singleShot(int(random.bounded(30)), &saver, [&saver] { saver.kill(); });
        QVERIFY(finished.wait(60000));
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

        const QByteArray found = fileBytes(path);
        QVERIFY2(found == versions[0] || found == versions[1],
                 qPrintable(QStringLiteral("round %1: %2 bytes, neither version")
                                .arg(round)
                                .arg(found.size())));
        sawNewer += found == versions[1];
    }
    qInfo("the newer version was found after %d of 25 kills", sawNewer);
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], kSaveInALoop) == 0)
        return saveInALoop(QFile::decodeName(argv[2]));
    QCoreApplication app(argc, argv);
    TestPlaylistFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_playlist_file.moc"
