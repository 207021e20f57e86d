// Subtitle files beside a film, found when it starts on the real window: both tracks filled in
// the languages wanted, a track the user opened left alone, the found tracks leaving with their
// film, the menu's switch, a file that cannot be read, and what the on-screen display says.
#include "controls/transport.h"
#include "presentation/osd_label.h"
#include "shell/film_memory.h"
#include "support/srt_time.h"
#include "window_test_support.h"

#include <QAction>
#include <QDir>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdio>
#include <fstream>

using namespace duvara;
using namespace duvara::test;

namespace {

QByteArray srtText(int entries)
{
    QByteArray text;
    for (int i = 0; i < entries; ++i) {
        const int start = 500 + i * 2000;
        text += QByteArray::number(i + 1) + "\n" + SrtTimeText(start) + " --> "
            + SrtTimeText(start + 1500) + "\nLine " + QByteArray::number(i + 1) + "\n\n";
    }
    return text;
}

// Written by its bytes: the name need not be UTF-8.
bool writeFile(const QByteArray &path, const QByteArray &bytes)
{
    std::ofstream file(path.toStdString(), std::ios::binary);
    file.write(bytes.constData(), bytes.size());
    return bool(file);
}

} // namespace

class TestSubtitleAutoload : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void filmStartFillsBothTracks_data();
    void filmStartFillsBothTracks();
    void handOpenedTrackStays();
    void foundTracksFollowTheFilm();
    void switchedOffNothingIsFound();
    void unreadableFileIsSkippedWithANote();
    void nameInNoEncodingIsRead();

private:
    void openWindow(const QByteArray &settings = {});
    void play(const QString &film);
    QString osdText() const { return child<OsdLabel>(m_window, "LblOSDMInf")->text(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    // A name in Latin-1, which is no UTF-8.
    QByteArray noEncodingName() const
    {
        return QFile::encodeName(m_dir.path()) + "/noms.\xe9t\xe9.srt";
    }
    QAction *autoLoad() const
    {
        return child<TRPopupMenu>(m_window, "PopupMenu1")->item(QStringLiteral("MnuAutoLoad"));
    }

    QTemporaryDir m_dir;
    TFormVDMain *m_window = nullptr;
};

void TestSubtitleAutoload::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME"))
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    // Each film's subtitles have a number of lines of their own, to tell them apart.
    const std::pair<const char *, int> files[] = {
        {"film.en.srt", 5}, {"film.de.srt", 4}, {"film.srt", 3},   {"other.fr.srt", 6},
        {"other.srt", 7},   {"broken.srt", 2},  {"noms.mp4", 0},   {"film.mp4", 0},
        {"other.mp4", 0},   {"bare.mp4", 0},    {"broken.mp4", 0},
    };
    for (const auto &[name, entries] : files) {
        const QString file = path(QString::fromLatin1(name));
        if (entries == 0)
            QVERIFY(QFile::copy(QStringLiteral(DUVARA_DEMO_FILM), file));
        else
            QVERIFY(writeFile(QFile::encodeName(file), srtText(entries)));
    }
    // Named like a track, but no subtitles at all.
    QVERIFY(writeFile(QFile::encodeName(path(QStringLiteral("broken.en.srt"))),
                      "A shopping list.\nMilk\nBread\n"));
    QVERIFY(writeFile(noEncodingName(), srtText(8)));
}

// The folder's own removal reads names as text and cannot remove that one.
void TestSubtitleAutoload::cleanupTestCase()
{
    QCOMPARE(std::remove(noEncodingName().constData()), 0);
}

void TestSubtitleAutoload::init()
{
    std::setlocale(LC_NUMERIC, "C");
    forgetSettings();
    QFile::remove(FilmMemoryFilePath());
}

void TestSubtitleAutoload::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestSubtitleAutoload::openWindow(const QByteArray &settings)
{
    if (!settings.isEmpty()) {
        QVERIFY(QDir().mkpath(SettingsFolder()));
        QVERIFY(writeFile(QFile::encodeName(SettingsFilePath()), settings));
    }
    m_window = new TFormVDMain;
    m_window->filterGraph().SetAudioEnabled(false);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    // Wide enough for the on-screen display to show the found files' names whole.
    m_window->resize(1800, m_window->height());
}

void TestSubtitleAutoload::play(const QString &film)
{
    QSignalSpy started(&m_window->transport(), &Transport::MediaStarted);
    m_window->OpenFileByName(film);
    QTRY_VERIFY_WITH_TIMEOUT(started.count() > 0, kPlaybackTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(child<QSlider>(m_window, "SldPos")->isEnabled(), kPlaybackTimeoutMs);
}

// The folder: film.mp4 with film.en.srt, film.de.srt and film.srt, on an English desktop
// (the test runs with LANGUAGE=en).
void TestSubtitleAutoload::filmStartFillsBothTracks_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("primary");
    QTest::addColumn<QString>("secondary");

    QTest::newRow("desktop's language") << QByteArray() << "film.en.srt"
                                        << "film.de.srt";
    QTest::newRow("Primary=de") << QByteArray("[AutoLoad]\r\nPrimary=de\r\n") << "film.de.srt"
                                << "film.en.srt";
    QTest::newRow("Primary=fr, Secondary=ger")
        << QByteArray("[AutoLoad]\r\nPrimary=fr\r\nSecondary=ger\r\n") << "film.srt"
        << "film.de.srt";
}

void TestSubtitleAutoload::filmStartFillsBothTracks()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, primary);
    QFETCH(QString, secondary);
    openWindow(settings);
    play(path(QStringLiteral("film.mp4")));
    QCOMPARE(m_window->primaryTrack().FilePath(), path(primary));
    QCOMPARE(m_window->secondaryTrack().FilePath(), path(secondary));
    QVERIFY(m_window->secondaryTrack().Track().SubCount() > 0);
    QTRY_COMPARE(
        osdText(),
        QStringLiteral("Subtitles found: %1 (primary), %2 (secondary)").arg(primary, secondary));
}

void TestSubtitleAutoload::handOpenedTrackStays()
{
    openWindow();
    SubtitleTrackController &primary = m_window->primaryTrack();
    SubtitleTrackController &secondary = m_window->secondaryTrack();
    play(path(QStringLiteral("film.mp4")));
    QCOMPARE(secondary.FilePath(), path(QStringLiteral("film.de.srt")));
    const QString own = path(QStringLiteral("own.srt"));
    QVERIFY(writeFile(QFile::encodeName(own), srtText(9)));
    primary.OpenSubtitleFile(own);

    // The next film: the user's track stays, the found one gives way to the new film's.
    play(path(QStringLiteral("other.mp4")));
    QCOMPARE(primary.FilePath(), own);
    QCOMPARE(secondary.FilePath(), path(QStringLiteral("other.fr.srt")));
    QTRY_COMPARE(osdText(), QStringLiteral("Subtitles found: other.fr.srt (secondary)"));

    // A film without files of its own keeps none of the last one's.
    play(path(QStringLiteral("bare.mp4")));
    QCOMPARE(primary.FilePath(), own);
    QCOMPARE(secondary.Track().SubCount(), 0);
}

// Tracks that came with a film, found or remembered, leave with it: each film shows its own.
void TestSubtitleAutoload::foundTracksFollowTheFilm()
{
    openWindow();
    SubtitleTrackController &primary = m_window->primaryTrack();
    SubtitleTrackController &secondary = m_window->secondaryTrack();
    play(path(QStringLiteral("film.mp4")));
    secondary.ApplyCorrection(1500, secondary.TargetSpan());
    play(path(QStringLiteral("other.mp4")));
    QCOMPARE(primary.FilePath(), path(QStringLiteral("other.srt")));
    QCOMPARE(secondary.FilePath(), path(QStringLiteral("other.fr.srt")));
    QCOMPARE(secondary.Offset(), 0);

    // Remembered with its correction before it was cleared.
    play(path(QStringLiteral("film.mp4")));
    QCOMPARE(primary.FilePath(), path(QStringLiteral("film.en.srt")));
    QCOMPARE(secondary.FilePath(), path(QStringLiteral("film.de.srt")));
    QCOMPARE(secondary.Offset(), 1500);
    play(path(QStringLiteral("other.mp4")));
    QCOMPARE(primary.FilePath(), path(QStringLiteral("other.srt")));
    QCOMPARE(secondary.FilePath(), path(QStringLiteral("other.fr.srt")));

    // Stopped and played again, the film keeps its tracks as the user left them.
    secondary.BtnClrClick();
    m_window->transport().BtnStopClick();
    m_window->transport().BtnPlayClick();
    QTRY_VERIFY_WITH_TIMEOUT(child<QSlider>(m_window, "SldPos")->isEnabled(), kPlaybackTimeoutMs);
    QCOMPARE(secondary.Track().SubCount(), 0);
    QCOMPARE(primary.FilePath(), path(QStringLiteral("other.srt")));
}

void TestSubtitleAutoload::switchedOffNothingIsFound()
{
    openWindow();
    QVERIFY(autoLoad()->isChecked());
    autoLoad()->trigger();
    play(path(QStringLiteral("film.mp4")));
    QCOMPARE(m_window->primaryTrack().Track().SubCount(), 0);
    QCOMPARE(m_window->secondaryTrack().Track().SubCount(), 0);

    // Switched on again while the film plays, it finds them at once.
    autoLoad()->trigger();
    QCOMPARE(m_window->primaryTrack().FilePath(), path(QStringLiteral("film.en.srt")));
    QCOMPARE(m_window->secondaryTrack().FilePath(), path(QStringLiteral("film.de.srt")));

    // The switch is kept in the settings file.
    autoLoad()->trigger();
    m_window->SaveSettings();
    delete m_window;
    m_window = nullptr;
    QFile settings(SettingsFilePath());
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY2(settings.readAll().contains("[AutoLoad]\nEnabled=0\n"),
             qPrintable(SettingsFilePath()));
    openWindow();
    QVERIFY(!autoLoad()->isChecked());
}

// No message box at a film's start: the file is left out, the next one taken, and the display
// names it.
void TestSubtitleAutoload::unreadableFileIsSkippedWithANote()
{
    openWindow();
    play(path(QStringLiteral("broken.mp4")));
    QCOMPARE(m_window->primaryTrack().FilePath(), path(QStringLiteral("broken.srt")));
    QCOMPARE(m_window->secondaryTrack().Track().SubCount(), 0);
    QTRY_COMPARE(
        osdText(),
        QStringLiteral("Subtitles found: broken.srt (primary); unreadable: broken.en.srt"));
    QVERIFY(!QApplication::activeModalWidget());
}

void TestSubtitleAutoload::nameInNoEncodingIsRead()
{
    openWindow();
    play(path(QStringLiteral("noms.mp4")));
    QCOMPARE(m_window->primaryTrack().Track().SubCount(), 8);
    QCOMPARE(m_window->primaryTrack().Track().SubFileName, std::string("noms.\xe9t\xe9.srt"));
}

QTEST_MAIN(TestSubtitleAutoload)
#include "tst_subtitle_autoload.moc"
