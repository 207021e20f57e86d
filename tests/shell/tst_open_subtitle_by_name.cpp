// A subtitle file opened by name, as the command line, a second start, the desktop's "Open with"
// or the media player interface open films: it goes to the first empty track and never into
// the playlist, and the film on screen plays on.
#include "window_test_support.h"

#include <QMessageBox>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using namespace duvara;
using namespace duvara::test;

class TestOpenSubtitleByName : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void filesFillTheEmptyTracksThenReplaceThePrimary();
    void theFilmPlaysOnAndThePlaylistStays();
    void anUnreadableFileGetsTheTracksMessage();

private:
    QString write(const QString &name, const QByteArray &text);

    QTemporaryDir m_dir;
    QString m_en, m_de, m_fr;
    TFormVDMain *m_window = nullptr;
};

QString TestOpenSubtitleByName::write(const QString &name, const QByteArray &text)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestOpenSubtitleByName::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME"))
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("data")));
    const QByteArray entry = "1\n00:00:01,000 --> 00:00:02,000\nHi\n";
    m_en = write("film.en.srt", entry);
    m_de = write("film.de.SRT", entry);
    m_fr = write("film.fr.sub", "{25}{50}Salut\n");
}

void TestOpenSubtitleByName::init()
{
    m_window = newSilentWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestOpenSubtitleByName::cleanup()
{
    delete m_window;
}

void TestOpenSubtitleByName::filesFillTheEmptyTracksThenReplaceThePrimary()
{
    m_window->OpenFileByName(m_en);
    QCOMPARE(m_window->primaryTrack().FilePath(), m_en);
    QVERIFY(m_window->secondaryTrack().FilePath().isEmpty());

    m_window->OpenFileByName(m_de);
    QCOMPARE(m_window->primaryTrack().FilePath(), m_en);
    QCOMPARE(m_window->secondaryTrack().FilePath(), m_de);

    m_window->OpenFileByName(m_fr);
    QCOMPARE(m_window->primaryTrack().FilePath(), m_fr);
    QCOMPARE(m_window->secondaryTrack().FilePath(), m_de);
    QCOMPARE(m_window->primaryTrack().Track().SubCount(), 1);
    QCOMPARE(m_window->playlist().Count(), 0);
}

void TestOpenSubtitleByName::theFilmPlaysOnAndThePlaylistStays()
{
    m_window->OpenFileByName(DUVARA_DEMO_FILM);
    QTRY_VERIFY_WITH_TIMEOUT(child<QSlider>(m_window, "SldPos")->isEnabled(), kPlaybackTimeoutMs);
    const int rows = m_window->playlist().Count();

    // Whatever the film's start brought to the tracks, the file opened goes to one of them.
    m_window->OpenFileByName(m_en);
    QVERIFY(m_window->primaryTrack().FilePath() == m_en
            || m_window->secondaryTrack().FilePath() == m_en);
    QCOMPARE(m_window->playlist().Count(), rows);
    QVERIFY(m_window->filterGraph().Active());
    QCOMPARE(QFileInfo(m_window->playlist().PlaylistPath(m_window->playlist().PlayIndex())),
             QFileInfo(DUVARA_DEMO_FILM));
}

void TestOpenSubtitleByName::anUnreadableFileGetsTheTracksMessage()
{
    m_window->OpenFileByName(m_en);
    const QString broken = write("broken.srt", "no subtitles here\n");
    QString shown;
    onNextModal<QMessageBox>([&shown](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    // The primary track is taken, so the file is the secondary's to refuse.
    m_window->OpenFileByName(broken);
    QTRY_VERIFY(!shown.isEmpty());
    QCOMPARE(shown, QStringLiteral("File load error or unsupported file format"));
    QCOMPARE(m_window->primaryTrack().FilePath(), m_en);
    QVERIFY(m_window->secondaryTrack().FilePath().isEmpty());
    QCOMPARE(m_window->playlist().Count(), 0);
}

QTEST_MAIN(TestOpenSubtitleByName)
#include "tst_open_subtitle_by_name.moc"
