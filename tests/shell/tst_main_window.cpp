#include "controls/playlist_item.h"
#include "controls/rlistview.h"
#include "controls/time_edit.h"
#include "controls/track_panel.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "media/video_window.h"
#include "presentation/gradient_panel.h"
#include "presentation/subtitle_label.h"
#include "shell/idle_picture.h"
#include "shell/main_window.h"
#include "shell/popup_menus.h"
#include "shell/version.h"
#include "window_test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <clocale>
#include <stdexcept>

using namespace duvara;
using namespace duvara::test;

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startStateOfTheWindow();
    void videoPageControls_data();
    void videoPageControls();
    void nothingOfferedDoesNothing();
    void trackPanelsStartDisabled();
    void timersAndMenus();
    void otherWindowsInOrder();
    void idlePictureDecodedWithLibjpeg();
    void corruptJpegGivesAnError();

    void trimmedFileName_data();
    void trimmedFileName();
    void playlistItemSplitsDirectory();
    void openFileByNameReplacesThePlaylist();
    void openFileByNameIgnoresBlankNames();
    void openFileByNameStopsAtAnUnplayableFile();
    void commandLineFileOpensOnFirstShow();
    void blankCommandLineArgumentChangesNothing();
    // Before any test whose exit ends the application's event loop.
    void exitThatFailsLeavesClosingWhole();
    void exitReleasesTheGraph();
    void aspectAndZoomItems();
    void doubleClickTogglesFullScreen();
    void fullScreenMarkFollowsThePicture();
    void emptyingThePlaylistLeavesFullScreen_data();
    void emptyingThePlaylistLeavesFullScreen();
    void fullScreenWindowAnswersItsKeys_data();
    void fullScreenWindowAnswersItsKeys();
    void subtitleAreasFollowThePicture();
    void focusReturnsToPositionSlider();

    void monitorList();

private:
    // A copy of the demo film under a name with a blank in it.
    QString filmCopy(const QString &name);

    TFormVDMain *m_window = nullptr;
    QTemporaryDir m_films;
};

QString TestMainWindow::filmCopy(const QString &name)
{
    const QString path = m_films.filePath(name);
    if (!QFile::exists(path))
        QFile::copy(QStringLiteral(DUVARA_DEMO_FILM), path);
    return path;
}

void TestMainWindow::init()
{
    std::setlocale(LC_NUMERIC, "C");
    forgetSettings();
    m_window = new TFormVDMain;
    m_window->filterGraph().SetAudioEnabled(false);
}

void TestMainWindow::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestMainWindow::startStateOfTheWindow()
{
    TFormVDMain &w = *m_window;
    QCOMPARE(w.objectName(), QStringLiteral("FormVDMain"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Duvara 1.0"));
    // The caption, About and the update check take the one version the build sets.
    QCOMPARE(ProgramVersion(), QStringLiteral(DUVARA_PROJECT_VERSION));
    QCOMPARE(ProgramVersion(), QStringLiteral("1.0.3"));
    QCOMPARE(ProgramVersionNumber(), 10003);
    QCOMPARE(w.minimumSize(), QSize(800, 600));
    QCOMPARE(w.playlist().PlayIndex(), 0);
    QCOMPARE(w.transport().Speed(), 1.0);
    QCOMPARE(w.synchronisation().MediaDuration(), 0);
    QVERIFY(w.synchronisation().DurationText().isEmpty());
    QVERIFY(!w.synchronisation().VideoCovered());
    QVERIFY(!w.playlist().PlaylistTransient());

    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(child<GradientPanel>(&w, "PnlCntrl")->height(), 109);
    QCOMPARE(child<QWidget>(&w, "PnlPos")->height(), 29);
    QCOMPARE(child<QTabWidget>(&w, "PageCntrl")->height(), 81);
    QCOMPARE(child<QLabel>(&w, "LblPos")->width(), 144);
    QCOMPARE(child<QSlider>(&w, "SldPos")->width(), child<QWidget>(&w, "PnlPos")->width() - 159);
    QCOMPARE(child<QLabel>(&w, "LblPos")->text(), QStringLiteral("00:00:00  /  00:00:00"));
    QVERIFY(!child<QSlider>(&w, "SldPos")->isEnabled());
    QCOMPARE(child<QTabWidget>(&w, "PageCntrl")->count(), 3);
    QCOMPARE(child<QTabWidget>(&w, "PageCntrl")->tabText(0), QStringLiteral("&Video"));
    QCOMPARE(child<QTabWidget>(&w, "PageCntrl")->tabText(1), QStringLiteral("&Primary subtitles"));
    QCOMPARE(child<QTabWidget>(&w, "PageCntrl")->tabText(2),
             QStringLiteral("&Secondary subtitles"));
    QCOMPARE(child<QTabWidget>(&w, "PageCntrl")->currentIndex(), 0);
    QCOMPARE(child<QWidget>(&w, "PnlPList")->width(), 176);
    QCOMPARE(child<QSplitter>(&w, "Splitter")->handleWidth(), 4);
    QVERIFY(!child<RListView>(&w, "LstPL")->AllowHScroll());
    QVERIFY(child<RListView>(&w, "LstPL")->AllowVScroll());

    // The idle picture shows while the video window is hidden.
    QVERIFY(child<IdlePicture>(&w, "ImgIdle")->isVisible());
    QVERIFY(!child<TDSVideoWindowEx2>(&w, "VideoWnd")->isVisible());
    QCOMPARE(child<TDSVideoWindowEx2>(&w, "VideoWnd")->AspectRatio(), TRatioModes::rmLetterBox);
    for (QWidget *part : {static_cast<QWidget *>(child<QWidget>(&w, "PnlSub1")),
                          static_cast<QWidget *>(child<QWidget>(&w, "PnlSub2")),
                          static_cast<QWidget *>(child<RSubtitleLabel>(&w, "LblSub1")),
                          static_cast<QWidget *>(child<RSubtitleLabel>(&w, "LblSub2")),
                          static_cast<QWidget *>(child<GradientPanel>(&w, "PnlOSD")),
                          static_cast<QWidget *>(child<GradientPanel>(&w, "PnlVol")),
                          static_cast<QWidget *>(child<SubtitleListView>(&w, "LstSubt1")),
                          static_cast<QWidget *>(child<SubtitleListView>(&w, "LstSubt2"))})
        QVERIFY2(child<TDSVideoWindowEx2>(&w, "VideoWnd")->isAncestorOf(part),
                 qPrintable(part->objectName()));
    QVERIFY(child<QWidget>(&w, "PnlSub2")->isAncestorOf(child<GradientPanel>(&w, "PnlOSD")));
    QVERIFY(child<GradientPanel>(&w, "PnlOSD")->isHidden());
    QVERIFY(child<GradientPanel>(&w, "PnlVol")->isHidden());
    QVERIFY(child<SubtitleListView>(&w, "LstSubt1")->isHidden());
    QCOMPARE(child<GradientPanel>(&w, "PnlOSD")->size(), QSize(211, 98));
    QCOMPARE(child<GradientPanel>(&w, "PnlVol")->size(), QSize(174, 53));
}

void TestMainWindow::videoPageControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("stop") << "BtnStop" << QSize(35, 35) << "Stop\n<F2>" << false;
    QTest::newRow("play") << "BtnPlay" << QSize(50, 50) << "Play\n<F3>" << true;
    QTest::newRow("pause") << "BtnPause" << QSize(35, 35) << "Pause\n<F4>" << false;
    QTest::newRow("step") << "BtnStep" << QSize(35, 35) << "Step\n<F5>" << false;
    QTest::newRow("rew") << "BtnRew" << QSize(35, 35) << "Fast backward\n<Ctrl+B>" << false;
    QTest::newRow("ff") << "BtnFF" << QSize(35, 35) << "Fast forward\n<Ctrl+F>" << false;
    QTest::newRow("prev") << "BtnPrv" << QSize(35, 35) << "Previous" << false;
    QTest::newRow("next") << "BtnNxt" << QSize(35, 35) << "Next" << false;
    QTest::newRow("mute") << "BtnMuteOn" << QSize(30, 30) << "Mute\n<Ctrl+M>" << true;
    QTest::newRow("volume") << "SldVol" << QSize(125, 25) << "Volume\nIncrease <+>\nDecrease <->"
                            << true;
    QTest::newRow("help") << "BtnHlp" << QSize(16, 16) << "Help\n<F1>" << true;
    // The update check waits for its dialog, made with the other windows.
    QTest::newRow("new") << "BtnNew" << QSize(16, 16) << "New version\n<Ctrl+N>" << false;
}

void TestMainWindow::videoPageControls()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(QString, hint);
    QFETCH(bool, enabled);
    auto *control = child<VideoPage>(m_window, "TabVideo")->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->size(), size);
    QCOMPARE(control->toolTip(), hint);
    QCOMPARE(control->isEnabled(), enabled);
}

void TestMainWindow::nothingOfferedDoesNothing()
{
    auto *menu = child<TRPopupMenu>(m_window, "PopupMenu1");
    // A loaded track offers everything; the font once its dialog exists.
    m_window->show();
    QVERIFY(
        loadTrack(m_window->primaryTrack(), "1\n00:00:01,000 --> 00:00:02,000\nA\n\n", "a.srt"));
    auto *panel = child<TrackPanel>(m_window, "TabSP");
    QVERIFY(panel->BtnSaveAs->isEnabled());
    QVERIFY(!panel->BtnFont->isEnabled());
    QVERIFY(!menu->item("MnuFont1")->isEnabled());

    // About shows the program's version over a covered picture.
    bool covered = false;
    onNextModal<QDialog>([&](QDialog *about) {
        covered = m_window->synchronisation().VideoCovered() && about->objectName() == "FormAbout";
        about->accept();
    });
    m_window->CreateOtherWindows();
    QVERIFY(panel->BtnFont->isEnabled());
    QVERIFY(menu->item("MnuFont1")->isEnabled());
    QVERIFY(!menu->item("MnuFont2")->isEnabled()); // the secondary track has no entries
    menu->item("MnuAbout")->trigger();
    QVERIFY(covered);
    QVERIFY(!m_window->synchronisation().VideoCovered());
}

void TestMainWindow::trackPanelsStartDisabled()
{
    const VideoPage &page = *child<VideoPage>(m_window, "TabVideo");
    QVERIFY(page.BtnMuteOff->isHidden());
    QVERIFY(!page.BtnMuteOn->isHidden());
    QCOMPARE(page.BtnMuteOff->pos(), page.BtnMuteOn->pos());
    QCOMPARE(page.SldVol->maximum(), 10000);
    QCOMPARE(page.SldVol->pageStep(), 200);
    QCOMPARE(page.SldVol->tickInterval(), 500);
    QVERIFY(page.SldDS->isHidden());
    QCOMPARE(page.SldDS->objectName(), QStringLiteral("SldDS"));

    for (int track : {1, 2}) {
        const QString n = QString::number(track);
        auto *panel = m_window->findChild<TrackPanel *>(track == 1 ? "TabSP" : "TabSS");
        QVERIFY(panel);
        QVERIFY(m_window->findChild<QPushButton *>("BtnOpen" + n)->isEnabled());
        for (const char *name :
             {"BtnClr", "BtnSaveAs", "BtnFont", "BtnDef", "GrpOffset", "EditOffset", "GrpDur",
              "ArwDur", "EditDur", "ChkOutline", "ChkShadow"}) {
            auto *control = m_window->findChild<QWidget *>(QString::fromLatin1(name) + n);
            QVERIFY2(control, name);
            QVERIFY2(!control->isEnabled(), name);
        }
        QCOMPARE(panel->EditOffset->value(), 0);
        QCOMPARE(panel->ScrOffset->minimum(), -60000);
        QCOMPARE(panel->ScrOffset->maximum(), 60000);
        QCOMPARE(panel->ScrDur->minimum(), -1800000);
        QCOMPARE(panel->EditDur->text(), QStringLiteral("00:00:00,000"));
        QVERIFY(panel->ChkOutline->isChecked());
        QVERIFY(!panel->ChkShadow->isChecked());
    }
}

void TestMainWindow::timersAndMenus()
{
    const QList<QPair<QTimer *, int>> timers {{child<QTimer>(m_window, "TimerMove"), 250},
                                              {child<QTimer>(m_window, "TimerOSD"), 6000},
                                              {child<QTimer>(m_window, "TimerVol"), 4000},
                                              {child<QTimer>(m_window, "TimerRem"), 300},
                                              {child<QTimer>(m_window, "TimerLstFocus"), 10000}};
    for (const auto &[timer, interval] : timers) {
        QCOMPARE(timer->interval(), interval);
        QVERIFY(!timer->isActive());
    }
    QCOMPARE(child<VideoPage>(m_window, "TabVideo")->SldDS->TimerInterval(), 100);

    TRPopupMenu *menu = child<TRPopupMenu>(m_window, "PopupMenu1");
    QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu1"));
    QVERIFY(menu->item("MnuLetterBox")->isChecked());
    QVERIFY(!menu->item("MnuStretched")->isChecked());
    QVERIFY(!menu->item("MnuStop")->isEnabled());
    QCOMPARE(menu->item("MnuOpen")->text(), QStringLiteral("&Open                "));
    QCOMPARE(menu->item("MnuOpen2")->shortcut(), QKeySequence(QStringLiteral("Ctrl+2")));
    QVERIFY(menu->item("MnuExit"));
    QVERIFY(child<TRPopupMenu>(m_window, "PopupMenu2")->item("MnuRemove"));
}

void TestMainWindow::otherWindowsInOrder()
{
    m_window->CreateOtherWindows();
    QStringList titles;
    for (QObject *child : m_window->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && widget->isWindow() && widget->objectName().startsWith("Form"))
            titles << widget->objectName() + ":" + widget->windowTitle();
    }
    QCOMPARE(titles,
             QStringList({"FormRemote:Remote", "FormAbout:About", "FormColor:Video settings",
                          "FormFont:Subtitles font", "FormGoTo:Go to position",
                          "FormFile:File types", "FormNewV:New version"}));
    auto *about = child<QDialog>(m_window, "FormAbout");
    QCOMPARE(child<QLabel>(about, "LblVersion")->text(), QStringLiteral("version 1.0.3"));
}

void TestMainWindow::idlePictureDecodedWithLibjpeg()
{
    const QImage &picture = child<IdlePicture>(m_window, "ImgIdle")->picture();
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), QSize(640, 360));
}

void TestMainWindow::corruptJpegGivesAnError()
{
    QFile jpeg(QStringLiteral(":/duvara/idle.jpg"));
    QVERIFY(jpeg.open(QIODevice::ReadOnly));
    QByteArray data = jpeg.readAll();
    QString error;
    QVERIFY(DecodeJpeg(QByteArray("not a picture"), &error).isNull());
    QVERIFY(!error.isEmpty());
    // Cut short in the middle of the scan: the decoder must neither crash nor read past it.
    data.truncate(data.size() / 3);
    error.clear();
    const QImage partial = DecodeJpeg(data, &error);
    QVERIFY(partial.isNull() || partial.size() == QSize(640, 360));
}

void TestMainWindow::trimmedFileName_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("plain") << "/films/a.mp4"
                           << "/films/a.mp4";
    QTest::newRow("blanks and controls") << " \t/films/a b.mp4\r\n "
                                         << "/films/a b.mp4";
    QTest::newRow("only blanks") << "   \t "
                                 << "";
    QTest::newRow("inner blanks kept") << "a  b"
                                       << "a  b";
}

void TestMainWindow::trimmedFileName()
{
    QFETCH(QString, given);
    QFETCH(QString, trimmed);
    QCOMPARE(TrimmedFileName(given), trimmed);
}

void TestMainWindow::playlistItemSplitsDirectory()
{
    const TPlayListItem item = MakePlayListItem("/home/me/films/a.mkv");
    QCOMPARE(item.FileName, QStringLiteral("a.mkv"));
    QCOMPARE(item.Directory, QStringLiteral("/home/me/films/"));
    QCOMPARE(item.path(), QStringLiteral("/home/me/films/a.mkv"));
    const TPlayListItem bare = MakePlayListItem("a.mkv");
    QCOMPARE(bare.FileName, QStringLiteral("a.mkv"));
    QVERIFY(bare.Directory.isEmpty());
}

void TestMainWindow::openFileByNameReplacesThePlaylist()
{
    TFormVDMain &w = *m_window;
    w.show();
    new QTreeWidgetItem(child<RListView>(&w, "LstPL"), {"old.avi", "0:01:00"});
    new QTreeWidgetItem(child<RListView>(&w, "LstPL"), {"older.avi", "0:02:00"});
    w.playlist().MakeCurrent(1);
    w.synchronisation().SetMediaDuration(5);

    const QString film = filmCopy("new film.mp4");
    w.OpenFileByName("  " + film + " \n");

    QVERIFY(w.playlist().PlaylistTransient());
    QCOMPARE(child<RListView>(&w, "LstPL")->topLevelItemCount(), 1);
    QTreeWidgetItem *row = child<RListView>(&w, "LstPL")->topLevelItem(0);
    QCOMPARE(row->text(0), QStringLiteral("new film.mp4"));
    const auto item = row->data(0, Qt::UserRole).value<TPlayListItem>();
    QCOMPARE(item.Directory, m_films.path() + "/");
    QCOMPARE(child<RListView>(&w, "LstPL")->currentItem(), row);
    QCOMPARE(w.playlist().PlayIndex(), 0);
    QCOMPARE(w.synchronisation().MediaDuration(), 0);
    QVERIFY(w.synchronisation().DurationText().isEmpty());
    QVERIFY(child<TDSVideoWindowEx2>(&w, "VideoWnd")->isVisible());
    QVERIFY(!child<IdlePicture>(&w, "ImgIdle")->isVisible());
    QVERIFY(w.filterGraph().Active());
    QCOMPARE(w.filterGraph().PlayState(), PlayState::psRunning);
    QTRY_COMPARE(row->text(1), QStringLiteral("0:00:24"));
    // Playing enables the transport and the video settings.
    QVERIFY(!child<VideoPage>(&w, "TabVideo")->BtnPlay->isEnabled());
    QVERIFY(child<VideoPage>(&w, "TabVideo")->BtnPause->isEnabled());
    QVERIFY(child<VideoPage>(&w, "TabVideo")->BtnStop->isEnabled());
    QVERIFY(child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuColor")->isEnabled());
    QVERIFY(child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuAspect")->isEnabled());
}

void TestMainWindow::openFileByNameStopsAtAnUnplayableFile()
{
    TFormVDMain &w = *m_window;
    new QTreeWidgetItem(child<RListView>(&w, "LstPL"), {"old.avi", "0:01:00"});
    try {
        w.OpenFileByName(m_films.filePath("missing.mp4"));
        QFAIL("a missing file was accepted");
    } catch (const std::exception &error) {
        QVERIFY2(QString::fromUtf8(error.what()).endsWith(")."), error.what());
    }
    // The file could not be measured: the playlist stays as it was and nothing plays.
    QVERIFY(w.playlist().PlaylistTransient());
    QCOMPARE(child<RListView>(&w, "LstPL")->topLevelItemCount(), 1);
    QCOMPARE(child<RListView>(&w, "LstPL")->topLevelItem(0)->text(0), QStringLiteral("old.avi"));
    QVERIFY(!w.filterGraph().Active());
}

void TestMainWindow::openFileByNameIgnoresBlankNames()
{
    TFormVDMain &w = *m_window;
    new QTreeWidgetItem(child<RListView>(&w, "LstPL"), {"kept.avi", "0:01:00"});
    w.OpenFileByName(" \t ");
    QVERIFY(!w.playlist().PlaylistTransient());
    QCOMPARE(child<RListView>(&w, "LstPL")->topLevelItemCount(), 1);
    QCOMPARE(child<RListView>(&w, "LstPL")->topLevelItem(0)->text(0), QStringLiteral("kept.avi"));
}

void TestMainWindow::commandLineFileOpensOnFirstShow()
{
    TFormVDMain &w = *m_window;
    w.setCommandLineFile(filmCopy("argument.mp4"));
    QSignalSpy shown(&w, &TFormVDMain::shown);
    w.show();
    QVERIFY(shown.wait());
    QVERIFY(w.playlist().PlaylistTransient());
    QCOMPARE(child<RListView>(&w, "LstPL")->topLevelItemCount(), 1);
    QCOMPARE(child<RListView>(&w, "LstPL")->topLevelItem(0)->text(0),
             QStringLiteral("argument.mp4"));
    // A second show (after hiding) does not open it again.
    child<RListView>(&w, "LstPL")->clear();
    w.hide();
    w.show();
    // What the first show queued ran then; nothing is queued by this one.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(child<RListView>(&w, "LstPL")->topLevelItemCount(), 0);
}

void TestMainWindow::blankCommandLineArgumentChangesNothing()
{
    TFormVDMain &w = *m_window;
    w.setCommandLineFile("   ");
    QSignalSpy shown(&w, &TFormVDMain::shown);
    w.show();
    QVERIFY(shown.wait());
    QVERIFY(!w.playlist().PlaylistTransient());
    QCOMPARE(child<RListView>(&w, "LstPL")->topLevelItemCount(), 0);
    QVERIFY(!child<TDSVideoWindowEx2>(&w, "VideoWnd")->isVisible());
}

void TestMainWindow::exitReleasesTheGraph()
{
    TFormVDMain &w = *m_window;
    w.filterGraph().SetActive(true);
    w.MnuExitClick();
    QVERIFY(!w.filterGraph().Active());
}

namespace {
// A part of the player that fails while the graph is being released.
class FailingListener : public GraphListener
{
public:
    bool failing = true;
    void HandleGraphEvent(int, std::intptr_t, std::intptr_t) override { }
    void HandleGraphAction(GraphAction action, std::intptr_t) override
    {
        if (failing && action == GraphAction::gaDeactivating)
            throw std::runtime_error("Release failed");
    }
};
} // namespace

void TestMainWindow::exitThatFailsLeavesClosingWhole()
{
    TFormVDMain &w = *m_window;
    w.show();
    FailingListener listener;
    w.filterGraph().AttachListener(&listener);
    w.filterGraph().SetActive(true);
    QString shown;
    onNextModal<QMessageBox>([&](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuExit")->trigger();
    QCOMPARE(shown, QStringLiteral("Release failed."));

    // Closing still asks: the settings are written although the exit fails again.
    QLoggingCategory::setFilterRules(QStringLiteral("duvara.shell.debug=true"));
    QTest::ignoreMessage(QtDebugMsg, "SaveSettings");
    onNextModal<QMessageBox>([](QMessageBox *box) { box->accept(); });
    w.close();
    QLoggingCategory::setFilterRules(QString());

    // And once the exit can release the graph, closing does.
    listener.failing = false;
    w.show();
    w.close();
    QVERIFY(!w.filterGraph().Active());
    w.filterGraph().DetachListener(&listener);
}

void TestMainWindow::aspectAndZoomItems()
{
    TFormVDMain &w = *m_window;
    w.show();
    w.OpenFileByName(filmCopy("aspect.mp4"));
    child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuStretched")->trigger();
    QCOMPARE(child<TDSVideoWindowEx2>(&w, "VideoWnd")->AspectRatio(), TRatioModes::rmStretched);
    QVERIFY(child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuStretched")->isChecked());
    QVERIFY(!child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuLetterBox")->isChecked());
    child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuCrop")->trigger();
    QCOMPARE(child<TDSVideoWindowEx2>(&w, "VideoWnd")->AspectRatio(), TRatioModes::rmCrop);
    QCOMPARE(child<TDSVideoWindowEx2>(&w, "VideoWnd")->VideoRect(),
             child<TDSVideoWindowEx2>(&w, "VideoWnd")->rect());

    child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuZ200")->trigger();
    QCOMPARE(child<TDSVideoWindowEx2>(&w, "VideoWnd")->DigitalZoom(), 47);
    child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuZ300")->trigger();
    QCOMPARE(child<TDSVideoWindowEx2>(&w, "VideoWnd")->DigitalZoom(), 95);
    child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuZ100")->trigger();
    QCOMPARE(child<TDSVideoWindowEx2>(&w, "VideoWnd")->DigitalZoom(), 0);
}

void TestMainWindow::doubleClickTogglesFullScreen()
{
    TFormVDMain &w = *m_window;
    w.show();
    w.OpenFileByName(filmCopy("fullscreen.mp4"));
    // The video window leaves the main window while it is fullscreen.
    auto *video = child<TDSVideoWindowEx2>(&w, "VideoWnd");
    child<QTimer>(&w, "TimerRem")->start();
    QTest::mouseDClick(video, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(video->FullScreen());
    QVERIFY(!child<QTimer>(&w, "TimerRem")->isActive());
    QVERIFY(video->window() != &w);
    QTRY_COMPARE(video->window()->geometry(), w.screen()->geometry());

    child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuFullscreen")->trigger();
    QVERIFY(!video->FullScreen());
    QCOMPARE(video->window(), &w);
    QVERIFY(video->isVisible());
    QVERIFY(!child<IdlePicture>(&w, "ImgIdle")->isVisible());
}

void TestMainWindow::fullScreenMarkFollowsThePicture()
{
    TFormVDMain &w = *m_window;
    w.show();
    w.OpenFileByName(filmCopy("mark.mp4"));
    auto *video = child<TDSVideoWindowEx2>(&w, "VideoWnd");
    QAction *item = child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuFullscreen");
    QTest::mouseDClick(video, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(video->FullScreen());
    QVERIFY(item->isChecked());
    item->trigger();
    QVERIFY(!video->FullScreen());
    QVERIFY(!item->isChecked());
    item->trigger();
    QVERIFY(video->FullScreen());
    QVERIFY(item->isChecked());
    QTest::mouseDClick(video, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(!video->FullScreen());
    QVERIFY(!item->isChecked());

    // While fullscreen the way back stays offered, whatever the graph holds.
    item->trigger();
    w.videoCommands().MediaLoadedChanged(false);
    QVERIFY(item->isEnabled());
    w.videoCommands().LeaveFullScreen();
    QVERIFY(!item->isEnabled());
    QVERIFY(!item->isChecked());
}

void TestMainWindow::emptyingThePlaylistLeavesFullScreen_data()
{
    QTest::addColumn<QString>("menuItem");
    QTest::newRow("clear") << "MnuPLClear";
    QTest::newRow("remove the last row") << "MnuPLRemove";
}

void TestMainWindow::emptyingThePlaylistLeavesFullScreen()
{
    QFETCH(QString, menuItem);
    TFormVDMain &w = *m_window;
    w.show();
    w.OpenFileByName(filmCopy("trap.mp4"));
    auto *video = child<TDSVideoWindowEx2>(&w, "VideoWnd");
    QTest::mouseDClick(video, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(video->FullScreen());
    QWidget *host = video->window();
    auto *list = child<RListView>(&w, "LstPL");
    list->setCurrentItem(list->topLevelItem(0));
    // The menu enables its playlist items as it opens.
    auto *menu = child<TRPopupMenu>(&w, "PopupMenu1");
    emit menu->aboutToShow();
    menu->item(menuItem)->trigger();
    QCOMPARE(list->topLevelItemCount(), 0);
    QVERIFY(!video->FullScreen());
    QCOMPARE(video->window(), &w);
    QVERIFY(!host->isVisible());
    QVERIFY(child<IdlePicture>(&w, "ImgIdle")->isVisible());
}

void TestMainWindow::fullScreenWindowAnswersItsKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("F6") << int(Qt::Key_F6);
}

void TestMainWindow::fullScreenWindowAnswersItsKeys()
{
    QFETCH(int, key);
    TFormVDMain &w = *m_window;
    w.show();
    w.OpenFileByName(filmCopy("keys.mp4"));
    auto *video = child<TDSVideoWindowEx2>(&w, "VideoWnd");
    QTest::mouseDClick(video, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(video->FullScreen());
    QWidget *host = video->window();
    host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(host));
    QTest::keyClick(host, Qt::Key(key));
    QVERIFY(!video->FullScreen());
    QCOMPARE(video->window(), &w);
    QVERIFY(!child<TRPopupMenu>(&w, "PopupMenu1")->item("MnuFullscreen")->isChecked());
}

void TestMainWindow::subtitleAreasFollowThePicture()
{
    TFormVDMain &w = *m_window;
    w.show();
    w.OpenFileByName(filmCopy("colours.mp4"));
    // Playing: the areas are in the key colour and let the picture through.
    for (QWidget *area : {static_cast<QWidget *>(child<QWidget>(&w, "PnlSub1")),
                          static_cast<QWidget *>(child<QWidget>(&w, "PnlSub2")),
                          static_cast<QWidget *>(child<SubtitleListView>(&w, "LstSubt1")),
                          static_cast<QWidget *>(child<SubtitleListView>(&w, "LstSubt2"))}) {
        QVERIFY(!area->autoFillBackground());
        QCOMPARE(area->palette().color(QPalette::Window),
                 child<TDSVideoWindowEx2>(&w, "VideoWnd")->ColorKey());
    }
    // Stopped: they take the window's black.
    QVERIFY(w.filterGraph().Stop());
    QVERIFY(child<QWidget>(&w, "PnlSub1")->autoFillBackground());
    QCOMPARE(child<QWidget>(&w, "PnlSub1")->palette().color(QPalette::Window), QColor(Qt::black));
}

void TestMainWindow::focusReturnsToPositionSlider()
{
    TFormVDMain &w = *m_window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    child<RListView>(&w, "LstPL")->setFocus();

    // A disabled slider does not take the focus, but the timer stops all the same.
    child<QTimer>(&w, "TimerLstFocus")->start();
    w.synchronisation().TimerLstFocusTimer();
    QVERIFY(!child<QTimer>(&w, "TimerLstFocus")->isActive());
    QVERIFY(!child<QSlider>(&w, "SldPos")->hasFocus());

    child<QSlider>(&w, "SldPos")->setEnabled(true);
    child<QTimer>(&w, "TimerLstFocus")->setInterval(10);
    child<QTimer>(&w, "TimerLstFocus")->start();
    QTRY_VERIFY(child<QSlider>(&w, "SldPos")->hasFocus());
    QVERIFY(!child<QTimer>(&w, "TimerLstFocus")->isActive());
}

void TestMainWindow::monitorList()
{
    const int expected = qEnvironmentVariableIntValue("DUVARA_EXPECT_SCREENS");
    const int screens = int(QGuiApplication::screens().size());
    if (expected > 0)
        QCOMPARE(screens, expected);

    QCOMPARE(MonitorListEntries(1), QStringList {"Current Monitor"});
    QCOMPARE(MonitorListEntries(3),
             QStringList({"Current Monitor", "Monitor 0", "Monitor 1", "Monitor 2"}));

    QComboBox *list = child<VideoPage>(m_window, "TabVideo")->CmbMonit;
    QCOMPARE(list->count(), screens > 1 ? screens + 1 : 1);
    QCOMPARE(list->itemText(0), QStringLiteral("Current Monitor"));
    QCOMPARE(child<VideoPage>(m_window, "TabVideo")->GrpMonit->isHidden(), screens == 1);
    QCOMPARE(child<VideoPage>(m_window, "TabVideo")->GrpMonit->title(),
             QStringLiteral("Fullscreen monitor"));
    QCOMPARE(list->currentIndex(), screens > 1 ? 0 : -1);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
