// The settings and playlist files as the player reads them at its first show and writes them
// when its window closes. Runs on three screens side by side, the first (1920 x 1080) primary.
#include "shell/form_file.h"
#include "shell/settings_store.h"
#include "support/file_size_limit.h"
#include "window_test_support.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <clocale>
#include <optional>

using namespace duvara;
using namespace duvara::test;

namespace {

QString generatedMedia(const char *name)
{
    return QStringLiteral(DUVARA_TEST_MEDIA_DIR "/") + QLatin1String(name);
}

const QByteArray kMediaFolder = QFile::encodeName(QStringLiteral(DUVARA_TEST_MEDIA_DIR "/"));

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

int saved(const char *section, const char *key)
{
    return SettingsStore(SettingsFilePath()).ReadInteger(section, key, -1);
}

QRect savedBounds()
{
    return QRect(saved("Position", "Left"), saved("Position", "Top"), saved("Position", "Width"),
                 saved("Position", "Height"));
}

// The playlist's rows as shown: name and duration.
QStringList shownRows(TFormVDMain &window)
{
    QStringList rows;
    auto *list = child<RListView>(&window, "LstPL");
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        rows << list->topLevelItem(row)->text(0) + " " + list->topLevelItem(row)->text(1);
    return rows;
}

void answerNextErrorBox(QString &text)
{
    onNextModal<QMessageBox>([&text](QMessageBox *box) {
        text = box->text();
        box->accept();
    });
}

} // namespace

class TestSettingsWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firstStartGivesTheDefaults();
    void everySettingComesBack();
    void subtitleLayoutComesBack();
    void keptPlaceIsUsedOnlyOnAScreen();
    void maximisedWindowKeepsItsRestoredBounds();
    void maximisedStartKeepsItsRestoredBounds();
    void commandLineFileLeavesThePlaylistFile_data();
    void commandLineFileLeavesThePlaylistFile();
    void savedRowsComeBackAsTheyWere();
    void unreadablePlaylistIsReportedAndTheFilmPlays();
    void failedSaveIsReportedAndKeepsTheOldFiles_data();
    void failedSaveIsReportedAndKeepsTheOldFiles();

private:
    void open();
    bool showAndWait();
    void closeWindow();

    TFormVDMain *m_window = nullptr;
    QByteArray m_settingsFolder;
};

void TestSettingsWindow::init()
{
    std::setlocale(LC_NUMERIC, "C");
    forgetSettings();
    QFile::remove(PlaylistFilePath() + ".unreadable");
    m_settingsFolder = qgetenv("DUVARA_CONFIG_DIR");
    open();
}

void TestSettingsWindow::cleanup()
{
    delete m_window;
    m_window = nullptr;
    qputenv("DUVARA_CONFIG_DIR", m_settingsFolder);
}

void TestSettingsWindow::open()
{
    delete m_window;
    m_window = new TFormVDMain;
    m_window->filterGraph().SetAudioEnabled(false);
    m_window->CreateOtherWindows();
}

bool TestSettingsWindow::showAndWait()
{
    QSignalSpy shown(m_window, &TFormVDMain::shown);
    m_window->show();
    return shown.wait(kPlaybackTimeoutMs);
}

// Closing ends the application's event loop, and no loop (a dialog's, a wait's) runs again
// before the application's own has: it is run once, to its immediate end.
void TestSettingsWindow::closeWindow()
{
    m_window->close();
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

void TestSettingsWindow::firstStartGivesTheDefaults()
{
    TFormVDMain &w = *m_window;
    QVERIFY(showAndWait());
    QCOMPARE(w.geometry(), QRect(560, 240, 800, 600));
    QCOMPARE(child<QWidget>(&w, "PnlPList")->width(), 176);
    QVERIFY(!w.isMaximized());
    QCOMPARE(child<VideoPage>(&w, "TabVideo")->SldVol->value(), 10000);
    QCOMPARE(child<TDSVideoWindowEx2>(&w, "VideoWnd")->AspectRatio(), TRatioModes::rmLetterBox);
    QVERIFY(child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuLetterBox")->isChecked());
    for (const QString number : {"1", "2"}) {
        QVERIFY(child<QCheckBox>(&w, qPrintable("ChkOutline" + number))->isChecked());
        QVERIFY(!child<QCheckBox>(&w, qPrintable("ChkShadow" + number))->isChecked());
        QVERIFY(child<RSubtitleLabel>(&w, qPrintable("LblSub" + number))->TextOutline());
    }
    for (SubtitleTrackController *track : {&w.primaryTrack(), &w.secondaryTrack()}) {
        QCOMPARE(track->Font().font.family(), QStringLiteral("Arial"));
        QCOMPARE(track->Font().font.pointSize(), 22);
        QCOMPARE(track->Font().charset, 0);
    }
    for (int row = 0; row < int(kFileTypeGroups.size()); ++row)
        QVERIFY(!child<TFormFile>(&w, "FormFile")->rowChecked(row));
    QCOMPARE(w.playlist().Count(), 0);

    closeWindow();
    QCOMPARE(savedBounds(), QRect(560, 240, 800, 600));
    const std::tuple<const char *, const char *, int> values[] = {
        {"Position", "State", 0},       {"Position", "Splitter", 176}, {"Volume", "Level", 10000},
        {"Aspect", "LetterBox", 1},     {"Aspect", "Crop", 0},         {"Subtitles2", "Outline", 1},
        {"Subtitles2", "FontSize", 22}, {"FileTypes", "MID", 0}};
    for (const auto &[section, key, value] : values)
        QCOMPARE(saved(section, key), value);
    QCOMPARE(SettingsStore(SettingsFilePath()).ReadString("Subtitles1", "FontName", ""), "Arial");
    QCOMPARE(fileBytes(PlaylistFilePath()), QByteArray("0\r\n"));
}

void TestSettingsWindow::everySettingComesBack()
{
    QVERIFY(writeBytes(SettingsFilePath(),
                       "[Position]\nLeft=100\nTop=50\nWidth=1000\n"
                       "Height=700\nSplitter=250\n"
                       "[Volume]\nLevel=0x1388\n"
                       "[Aspect]\nLetterBox=0\nCrop=1\n"
                       "[Subtitles1]\nOutline=0\nShadow=7\n"
                       "FontName=Liberation Serif\nFontSize=30\n"
                       "FontCharset=204\n"
                       "[FileTypes]\nMPG=1\nMID=1\n"));
    TFormVDMain &w = *m_window;
    QVERIFY(showAndWait());
    QCOMPARE(w.geometry(), QRect(100, 50, 1000, 700));
    QCOMPARE(child<QWidget>(&w, "PnlPList")->width(), 250);
    QCOMPARE(child<VideoPage>(&w, "TabVideo")->SldVol->value(), 5000);
    // The mark moves and the picture takes the mode, as a click on the item does.
    QCOMPARE(child<TDSVideoWindowEx2>(&w, "VideoWnd")->AspectRatio(), TRatioModes::rmCrop);
    QVERIFY(child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuCrop")->isChecked());
    // The caption follows its boxes, and takes the panel's font.
    QVERIFY(!child<RSubtitleLabel>(&w, "LblSub1")->TextOutline());
    QVERIFY(child<RSubtitleLabel>(&w, "LblSub1")->TextShadow());
    QCOMPARE(child<RSubtitleLabel>(&w, "LblSub1")->font().family(), "Liberation Serif");
    QCOMPARE(w.primaryTrack().Font().font.pointSize(), 30);
    QCOMPARE(w.primaryTrack().Font().charset, 204);
    QCOMPARE(w.secondaryTrack().Font().font.family(), "Arial");
    QList<bool> checked;
    for (int row = 0; row < int(kFileTypeGroups.size()); ++row)
        checked << child<TFormFile>(&w, "FormFile")->rowChecked(row);
    QCOMPARE(checked, QList<bool>({false, true, false, false, false, true}));

    closeWindow();
    QCOMPARE(savedBounds(), QRect(100, 50, 1000, 700));
    const std::tuple<const char *, const char *, int> values[]
        = {{"Position", "Splitter", 250},
           {"Volume", "Level", 5000},
           {"Aspect", "Crop", 1},
           {"Aspect", "LetterBox", 0},
           {"Subtitles1", "Outline", 0},
           {"Subtitles1", "Shadow", 1},
           {"Subtitles1", "FontCharset", 204},
           {"FileTypes", "MPG", 1}};
    for (const auto &[section, key, value] : values)
        QCOMPARE(saved(section, key), value);
}

void TestSettingsWindow::subtitleLayoutComesBack()
{
    QVERIFY(showAndWait());
    auto *menu = child<TRPopupMenu>(m_window, "PopupMenu1");
    QVERIFY(menu->item("MnuLayoutTop")->isChecked());
    QVERIFY(menu->item("MnuRemember")->isChecked());
    menu->item("MnuLayoutBottom")->trigger();
    menu->item("MnuRemember")->trigger();
    closeWindow();
    QCOMPARE(saved("Subtitles", "Layout"), 1);
    QCOMPARE(saved("Subtitles", "RememberPerFilm"), 0);

    open();
    QVERIFY(showAndWait());
    menu = child<TRPopupMenu>(m_window, "PopupMenu1");
    QVERIFY(menu->item("MnuLayoutBottom")->isChecked());
    QVERIFY(!menu->item("MnuLayoutTop")->isChecked());
    QVERIFY(!menu->item("MnuRemember")->isChecked());
    // The secondary line stands just above the primary one, both in the picture's lower half.
    auto *video = child<QWidget>(m_window, "VideoWnd");
    video->resize(640, 360);
    const auto onVideo = [video](const char *name) {
        auto *label = child<QWidget>(video, name);
        return QRect(label->mapTo(video, QPoint(0, 0)), label->size());
    };
    QCOMPARE(onVideo("LblSub2").bottom() + 1, onVideo("LblSub1").top());
    QVERIFY(onVideo("LblSub2").top() >= 180);
    // And back at the top, at once.
    menu->item("MnuLayoutTop")->trigger();
    QVERIFY(onVideo("LblSub2").bottom() < 180);
}

void TestSettingsWindow::keptPlaceIsUsedOnlyOnAScreen()
{
    QVERIFY(writeBytes(SettingsFilePath(), "[Position]\nLeft=2000\nTop=100\n"));
    QVERIFY(showAndWait());
    QCOMPARE(m_window->geometry(), QRect(2000, 100, 800, 600)); // on the second monitor

    // A place on a monitor that is gone would open the window out of sight.
    QVERIFY(writeBytes(SettingsFilePath(), "[Position]\nLeft=9000\nTop=100\n"));
    open();
    QVERIFY(showAndWait());
    QCOMPARE(m_window->geometry(), QRect(560, 240, 800, 600));
}

void TestSettingsWindow::maximisedWindowKeepsItsRestoredBounds()
{
    QVERIFY(showAndWait());
    const QRect restored(100, 80, 900, 650);
    m_window->setGeometry(restored);
    m_window->showMaximized();
    QTRY_VERIFY(m_window->width() > 1500);
    closeWindow();
    QCOMPARE(saved("Position", "State"), 2);
    QCOMPARE(savedBounds(), restored);
}

// Also run on a desktop: a window maximised while its window manager still answers its mapping
// can be told the maximised bounds as its restored ones.
void TestSettingsWindow::maximisedStartKeepsItsRestoredBounds()
{
    const QRect restored(300, 200, 900, 650);
    QVERIFY(writeBytes(SettingsFilePath(),
                       "[Position]\nLeft=300\nTop=200\nWidth=900\n"
                       "Height=650\nState=2\n"));
    for (int round = 0; round < 3; ++round) {
        open();
        QVERIFY(showAndWait());
        QTRY_VERIFY(m_window->isMaximized() && m_window->width() > 1500);
        // The playlist keeps its width; the picture takes the room.
        QCOMPARE(child<QWidget>(m_window, "PnlPList")->width(), 176);
        QCOMPARE(m_window->normalGeometry(), restored);
        closeWindow();
        QCOMPARE(saved("Position", "State"), 2);
        QCOMPARE(savedBounds(), restored);
    }
}

void TestSettingsWindow::commandLineFileLeavesThePlaylistFile_data()
{
    QTest::addColumn<bool>("addFile");
    QTest::newRow("closed as it was") << false;
    QTest::newRow("a file added") << true;
}

void TestSettingsWindow::commandLineFileLeavesThePlaylistFile()
{
    QFETCH(bool, addFile);
    const QByteArray before("2\r\n/gone/\r\nfirst.mkv\r\n0:01:00\r\n/gone/\r\nsecond.mkv\r\n"
                            "0:02:00\r\n");
    QVERIFY(writeBytes(PlaylistFilePath(), before));
    TFormVDMain &w = *m_window;
    w.setCommandLineFile(generatedMedia("clip.mp4"));
    QVERIFY(showAndWait());
    QCOMPARE(w.filterGraph().PlayState(), PlayState::psRunning);
    QTRY_COMPARE(shownRows(w), QStringList {"clip.mp4 0:00:03"});
    if (addFile) {
        answerNextFileDialog({generatedMedia("clip.mkv")});
        child<TRPopupMenu>(&w, "PopupMenu2")->item("MnuAdd")->trigger();
        QTRY_COMPARE(shownRows(w), QStringList({"clip.mp4 0:00:03", "clip.mkv 0:00:03"}));
    }
    closeWindow();
    QCOMPARE(fileBytes(PlaylistFilePath()),
             addFile ? "2\r\n" + kMediaFolder + "\r\nclip.mp4\r\n0:00:03\r\n" + kMediaFolder
                     + "\r\nclip.mkv\r\n0:00:03\r\n"
                     : before);
}

void TestSettingsWindow::savedRowsComeBackAsTheyWere()
{
    // A name from another code page, a row whose duration was still being measured, and a count
    // that promises a row the file does not hold.
    QVERIFY(writeBytes(PlaylistFilePath(),
                       "3\r\n/films/\xe9t\xe9/\r\nclip \xff.mp4\r\n1:35:07\r\n" + kMediaFolder
                           + "\r\nclip.avi\r\n\r\n"));
    TFormVDMain &w = *m_window;
    QString reported;
    answerNextErrorBox(reported);
    QVERIFY(showAndWait());
    QCOMPARE(reported,
             QStringLiteral("The playlist file %1 lists 3 rows but holds 2; the rows "
                            "it holds were loaded.")
                 .arg(PlaylistFilePath()));
    QVERIFY(child<TDSVideoWindowEx2>(&w, "VideoWnd")->isVisible());
    QVERIFY(child<RListView>(&w, "LstPL")->topLevelItem(0)->font(0).bold()); // row PlayIndex 0
    // Only the row without a duration is measured; nothing plays.
    QTRY_COMPARE(shownRows(w).value(1), QStringLiteral("clip.avi 0:00:03"));
    QCOMPARE(child<RListView>(&w, "LstPL")->topLevelItem(0)->text(1), QStringLiteral("1:35:07"));
    QVERIFY(!w.filterGraph().Active());

    closeWindow();
    QCOMPARE(fileBytes(PlaylistFilePath()),
             "2\r\n/films/\xe9t\xe9/\r\nclip \xff.mp4\r\n1:35:07\r\n" + kMediaFolder
                 + "\r\nclip.avi\r\n0:00:03\r\n");
}

void TestSettingsWindow::unreadablePlaylistIsReportedAndTheFilmPlays()
{
    const QByteArray unreadable("Films of 2009\r\n/a/\r\nb.mkv\r\n");
    QVERIFY(writeBytes(PlaylistFilePath(), unreadable));
    QVERIFY(writeBytes(SettingsFilePath(), "[Volume]\nLevel=3000\n"));
    TFormVDMain &w = *m_window;
    w.setCommandLineFile(generatedMedia("clip.mp4"));
    QString reported;
    answerNextErrorBox(reported);
    QVERIFY(showAndWait());
    const QString aside = PlaylistFilePath() + ".unreadable";
    QCOMPARE(reported,
             QStringLiteral("The playlist file %1 cannot be read: its first line is not a number "
                            "of rows. It was kept as %2; the playlist starts empty.")
                 .arg(PlaylistFilePath(), aside));
    QCOMPARE(fileBytes(aside), unreadable);
    // The settings read before it stay, and the start goes on to the film.
    QCOMPARE(child<VideoPage>(&w, "TabVideo")->SldVol->value(), 3000);
    QCOMPARE(w.filterGraph().PlayState(), PlayState::psRunning);
}

void TestSettingsWindow::failedSaveIsReportedAndKeepsTheOldFiles_data()
{
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("disk full") << true;
    QTest::newRow("folder under a file") << false;
}

void TestSettingsWindow::failedSaveIsReportedAndKeepsTheOldFiles()
{
    QFETCH(bool, diskFull);
    // Folder permissions do not stop root, whom tests may run as: a full disk is a file size
    // limit, and a folder that cannot be made is one whose parent is a file.
    QTemporaryDir dir;
    const QByteArray oldSettings("[Volume]\nLevel=2000\n");
    const QByteArray oldPlaylist("1\r\n/a/\r\nkept.mkv\r\n0:01:00\r\n");
    if (diskFull) {
        QVERIFY(writeBytes(SettingsFilePath(), oldSettings));
        QVERIFY(writeBytes(PlaylistFilePath(), oldPlaylist));
    } else {
        QVERIFY(writeBytes(dir.filePath("file"), "a file"));
        qputenv("DUVARA_CONFIG_DIR", QFile::encodeName(dir.filePath("file/Duvara")));
    }
    QVERIFY(showAndWait());
    QString reported;
    answerNextErrorBox(reported);
    {
        std::optional<FileSizeLimit> limit;
        if (diskFull)
            limit.emplace(16);
        closeWindow();
    }
    // Shown before the program ends, however many files failed.
    QCOMPARE(reported,
             QStringLiteral("Unable to write to %1\nUnable to write to %2.")
                 .arg(SettingsFilePath(), PlaylistFilePath()));
    if (diskFull) {
        QCOMPARE(fileBytes(SettingsFilePath()), oldSettings);
        QCOMPARE(fileBytes(PlaylistFilePath()), oldPlaylist);
        QCOMPARE(QDir(SettingsFolder()).entryList(QDir::Files),
                 QStringList({"Duvara.ini", "Duvara.plf"}));
    }
}

QTEST_MAIN(TestSettingsWindow)
#include "tst_settings_window.moc"
