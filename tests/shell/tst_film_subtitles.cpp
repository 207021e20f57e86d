// Each film's subtitles on the real window: they come back when the film plays again, unless
// the user switched that off, and a file that is gone is left out with a note.
#include "controls/transport.h"
#include "presentation/osd_label.h"
#include "shell/film_memory.h"
#include "support/srt_time.h"
#include "window_test_support.h"

#include <QAction>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using namespace duvara;
using namespace duvara::test;

namespace {

QByteArray srtText(int entries, int firstMs)
{
    QByteArray text;
    for (int i = 0; i < entries; ++i) {
        const int start = firstMs + i * 2000;
        text += QByteArray::number(i + 1) + "\n" + SrtTimeText(start) + " --> "
            + SrtTimeText(start + 1500) + "\nLine " + QByteArray::number(i + 1) + "\n\n";
    }
    return text;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestFilmSubtitles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void tracksComeBackWithTheFilm();
    void switchedOffNothingComesBack();
    void missingFileIsLeftOutWithANote();
    void unreadableStoreIsPutAsideAndReported();

private:
    // Plays the film and waits for it to start.
    void play(const QString &film);
    // Both tracks loaded from files and corrected, then the film stopped and the tracks cleared.
    void loadCorrectStopAndClear();
    QAction *remember() const
    {
        return child<TRPopupMenu>(m_window, "PopupMenu1")->item(QStringLiteral("MnuRemember"));
    }

    QTemporaryDir m_dir;
    QString m_filmA, m_filmB, m_primary, m_secondary;
    int m_primaryOffset = 0, m_primarySpan = 0, m_secondaryOffset = 0, m_secondarySpan = 0;
    TFormVDMain *m_window = nullptr;
};

void TestFilmSubtitles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Outside ctest too, the store stays out of the developer's own data folder.
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME"))
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
    m_filmA = m_dir.filePath(QStringLiteral("a.mp4"));
    m_filmB = m_dir.filePath(QStringLiteral("b.mp4"));
    QVERIFY(QFile::copy(QStringLiteral(DUVARA_DEMO_FILM), m_filmA));
    QVERIFY(QFile::copy(QStringLiteral(DUVARA_DEMO_FILM), m_filmB));
    m_primary = m_dir.filePath(QStringLiteral("primary.srt"));
    m_secondary = m_dir.filePath(QStringLiteral("secondary.srt"));
}

void TestFilmSubtitles::init()
{
    std::setlocale(LC_NUMERIC, "C");
    forgetSettings();
    QFile::remove(FilmMemoryFilePath());
    QFile::remove(FilmMemoryFilePath() + QStringLiteral(".unreadable"));
    QVERIFY(writeFile(m_primary, srtText(6, 1000)));
    QVERIFY(writeFile(m_secondary, srtText(4, 1500)));
    m_window = new TFormVDMain;
    m_window->filterGraph().SetAudioEnabled(false);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestFilmSubtitles::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestFilmSubtitles::play(const QString &film)
{
    QSignalSpy started(&m_window->transport(), &Transport::MediaStarted);
    m_window->OpenFileByName(film);
    QTRY_VERIFY_WITH_TIMEOUT(started.count() > 0, kPlaybackTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(child<QSlider>(m_window, "SldPos")->isEnabled(), kPlaybackTimeoutMs);
}

void TestFilmSubtitles::loadCorrectStopAndClear()
{
    SubtitleTrackController &primary = m_window->primaryTrack();
    SubtitleTrackController &secondary = m_window->secondaryTrack();
    play(m_filmA);
    primary.OpenSubtitleFile(m_primary);
    secondary.OpenSubtitleFile(m_secondary);
    QCOMPARE(primary.Track().SubCount(), 6);
    primary.ApplyCorrection(2350, primary.TargetSpan() + 400);
    SubtitleTrackController::TrackFont font = secondary.Font();
    font.charset = 238;
    secondary.SetFont(font);
    secondary.ApplyCorrection(-1200, secondary.TargetSpan());
    m_primaryOffset = primary.Offset();
    m_primarySpan = primary.TargetSpan();
    m_secondaryOffset = secondary.Offset();
    m_secondarySpan = secondary.TargetSpan();
    QCOMPARE(m_primaryOffset, 2350);

    m_window->transport().BtnStopClick();
    primary.BtnClrClick();
    secondary.BtnClrClick();
    font.charset = 0;
    secondary.SetFont(font);
    // Another film keeps nothing of the first one's tracks.
    play(m_filmB);
    QCOMPARE(primary.Track().SubCount(), 0);
    QCOMPARE(secondary.Track().SubCount(), 0);
}

void TestFilmSubtitles::tracksComeBackWithTheFilm()
{
    loadCorrectStopAndClear();
    play(m_filmA);
    const SubtitleTrackController &primary = m_window->primaryTrack();
    const SubtitleTrackController &secondary = m_window->secondaryTrack();
    QCOMPARE(primary.FilePath(), m_primary);
    QCOMPARE(secondary.FilePath(), m_secondary);
    QCOMPARE(primary.Track().SubCount(), 6);
    QCOMPARE(secondary.Track().SubCount(), 4);
    QCOMPARE(primary.Offset(), m_primaryOffset);
    QCOMPARE(primary.TargetSpan(), m_primarySpan);
    QCOMPARE(secondary.Offset(), m_secondaryOffset);
    QCOMPARE(secondary.TargetSpan(), m_secondarySpan);
    QCOMPARE(secondary.Font().charset, 238);

    // Pausing and playing on is no new start: a track cleared meanwhile stays cleared.
    m_window->primaryTrack().BtnClrClick();
    m_window->transport().BtnPauseClick();
    m_window->transport().BtnPlayClick();
    QCOMPARE(primary.Track().SubCount(), 0);
}

void TestFilmSubtitles::switchedOffNothingComesBack()
{
    loadCorrectStopAndClear();
    remember()->trigger();
    QVERIFY(!remember()->isChecked());
    play(m_filmA);
    QCOMPARE(m_window->primaryTrack().Track().SubCount(), 0);
    QCOMPARE(m_window->secondaryTrack().Track().SubCount(), 0);
}

// The user's own track stays; the other one's file is gone and is left out with a note.
void TestFilmSubtitles::missingFileIsLeftOutWithANote()
{
    loadCorrectStopAndClear();
    QVERIFY(QFile::remove(m_secondary));
    const QString own = m_dir.filePath(QStringLiteral("own.srt"));
    QVERIFY(writeFile(own, srtText(3, 500)));
    m_window->primaryTrack().OpenSubtitleFile(own);
    play(m_filmA);
    QCOMPARE(m_window->primaryTrack().FilePath(), own);
    QCOMPARE(m_window->primaryTrack().Offset(), 0);
    QCOMPARE(m_window->secondaryTrack().Track().SubCount(), 0);
    QTRY_COMPARE(child<OsdLabel>(m_window, "LblOSDMInf")->text(),
                 QStringLiteral("Secondary subtitles not found: secondary.srt"));
}

void TestFilmSubtitles::unreadableStoreIsPutAsideAndReported()
{
    const QByteArray garbage("{\"format\": 1, \"films\": [ cut off by a full disk");
    QVERIFY(QDir().mkpath(QFileInfo(FilmMemoryFilePath()).absolutePath()));
    QVERIFY(writeFile(FilmMemoryFilePath(), garbage));
    play(m_filmA);
    QTRY_VERIFY2(child<OsdLabel>(m_window, "LblOSDMInf")
                     ->text()
                     .startsWith(QStringLiteral("Film memory unreadable")),
                 qPrintable(child<OsdLabel>(m_window, "LblOSDMInf")->text()));
    QFile aside(FilmMemoryFilePath() + QStringLiteral(".unreadable"));
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), garbage);
    // The films played from now on are kept in a store of their own.
    m_window->primaryTrack().OpenSubtitleFile(m_primary);
    m_window->transport().BtnStopClick();
    QFile store(FilmMemoryFilePath());
    QVERIFY(store.open(QIODevice::ReadOnly));
    const auto films = ParseFilmMemory(store.readAll(), nullptr);
    QVERIFY(films);
    QVERIFY(RecallFilm(*films, m_filmA, QFileInfo(m_filmA).size()));
}

QTEST_MAIN(TestFilmSubtitles)
#include "tst_film_subtitles.moc"
