// The transport and the playlist on the real window, with generated films: the enabled state of
// every command, fast motion both ways, frame steps, volume and mute, moving through the
// playlist and changing its rows.
#include "controls/form_goto.h"
#include "controls/rlistview.h"
#include "controls/time_edit.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "media/video_window.h"
#include "presentation/gradient_panel.h"
#include "presentation/osd_display.h"
#include "presentation/osd_label.h"
#include "shell/main_window.h"
#include "shell/popup_menus.h"
#include "window_test_support.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QTreeWidgetItem>

#include <clocale>

using namespace duvara;
using namespace duvara::test;

namespace {

QString generatedMedia(const char *name)
{
    return QStringLiteral(DUVARA_TEST_MEDIA_DIR "/") + QLatin1String(name);
}

// Three-second films with a picture and a tone, as ffmpeg made them for the tests.
const QStringList kClips
    = {generatedMedia("clip.mp4"), generatedMedia("clip.avi"), generatedMedia("clip.mkv")};

} // namespace

class TestTransport : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void stateTable();
    void fastForwardLadder();
    void fastBackwardLadderReversesByJumps();
    void backwardPastTheStartResumesForward();
    void forwardPastTheEndMovesOn();
    void endOfEachRowStartsTheNextAndTheLastStops();
    void nextAndPreviousEndFastMotion();
    void removeRows_data();
    void removeRows();
    void removeWhileStoppedSelectsTheNextRow();
    void removeAboveTheCurrentRowKeepsItsHighlight();
    void clearThenAddThenPlay();
    void dragReordersAndTheCurrentRowFollows();
    void doubleClickStartsOnlyAnotherRow();
    void muteThenAnotherFileIsSilentWithSoundShownOn();
    void stepWhileMutedStaysMuted();
    void stepRestoresTheVolume();
    void sliderPressesJumpAndReleaseSeeks_data();
    void sliderPressesJumpAndReleaseSeeks();
    void unplayableFileLeavesTheControls();
    void pausedWindowRunsNoTimer();
    void openThatFailsKeepsWhatPlays();
    void cancelledOpenOffersNext();
    void filmThatBreaksWhilePlayingIsReported();
    void goToJumpsLikeASliderClick();

private:
    void open(const QStringList &files);
    void waitPlaying(int row);
    QString state() const;
    qint64 positionMs() const;
    QAction *item(const char *name) const;

    TFormVDMain *m_window = nullptr;
};

void TestTransport::init()
{
    std::setlocale(LC_NUMERIC, "C");
    forgetSettings();
    m_window = new TFormVDMain;
    m_window->filterGraph().SetAudioEnabled(false);
    m_window->resize(800, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestTransport::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestTransport::open(const QStringList &files)
{
    m_window->playlist().OpenFiles(files);
    waitPlaying(0);
}

// The row is current and its file has shown its first positions.
void TestTransport::waitPlaying(int row)
{
    QTRY_COMPARE_WITH_TIMEOUT(m_window->playlist().PlayIndex(), row, kPlaybackTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(child<QSlider>(m_window, "SldPos")->isEnabled(), kPlaybackTimeoutMs);
    QCOMPARE(m_window->filterGraph().PlayState(), PlayState::psRunning);
}

qint64 TestTransport::positionMs() const
{
    return m_window->filterGraph().CurrentPosition().value_or(-10000) / 10000;
}

QAction *TestTransport::item(const char *name) const
{
    return child<TRPopupMenu>(m_window, "PopupMenu1")->item(QString::fromLatin1(name));
}

// Upper case: enabled. Each command's button and menu item must agree.
QString TestTransport::state() const
{
    const VideoPage *page = child<VideoPage>(m_window, "TabVideo");
    const struct
    {
        const char *name;
        QToolButton *button;
        const char *menuItem;
    } faces[] = {{"play", page->BtnPlay, "MnuPlay"}, {"pause", page->BtnPause, "MnuPause"},
                 {"stop", page->BtnStop, "MnuStop"}, {"step", page->BtnStep, "MnuStep"},
                 {"rew", page->BtnRew, "MnuRew"},    {"ff", page->BtnFF, "MnuFF"},
                 {"prev", page->BtnPrv, "MnuPrev"},  {"next", page->BtnNxt, "MnuNext"},
                 {"nav", nullptr, "MnuNavigate"},    {"zoom", nullptr, "MnuZoom"},
                 {"full", nullptr, "MnuFullscreen"}, {"aspect", nullptr, "MnuAspect"}};
    QStringList words;
    for (const auto &face : faces) {
        const bool on = item(face.menuItem)->isEnabled();
        if (face.button && face.button->isEnabled() != on)
            return QStringLiteral("faces of %1 disagree").arg(QLatin1String(face.name));
        const QString word = QLatin1String(face.name);
        words << (on ? word.toUpper() : word);
    }
    return words.join(QLatin1Char(' '));
}

void TestTransport::stateTable()
{
    QCOMPARE(state(), QStringLiteral("PLAY pause stop step rew ff prev next nav zoom full aspect"));
    open(kClips.mid(0, 2));
    QCOMPARE(state(), QStringLiteral("play PAUSE STOP step REW FF prev NEXT NAV ZOOM FULL ASPECT"));
    m_window->transport().BtnPauseClick();
    QCOMPARE(state(), QStringLiteral("PLAY pause STOP STEP REW FF prev NEXT NAV ZOOM FULL ASPECT"));
    QCOMPARE(m_window->filterGraph().PlayState(), PlayState::psPaused);
    m_window->transport().BtnFFClick();
    QCOMPARE(state(), QStringLiteral("PLAY pause STOP step REW FF prev NEXT NAV ZOOM FULL ASPECT"));
    m_window->transport().BtnPlayClick();
    QCOMPARE(state(), QStringLiteral("play PAUSE STOP step REW FF prev NEXT NAV ZOOM FULL ASPECT"));
    QCOMPARE(m_window->transport().Speed(), 1.0);
    m_window->transport().BtnStopClick();
    QCOMPARE(state(), QStringLiteral("PLAY pause stop step rew ff prev next nav zoom FULL ASPECT"));
    QCOMPARE(m_window->filterGraph().PlayState(), PlayState::psStopped);
    QVERIFY(!child<QSlider>(m_window, "SldPos")->isEnabled());
    QCOMPARE(child<QSlider>(m_window, "SldPos")->value(), 0);
    QVERIFY(m_window->synchronisation().DurationText().isEmpty());
    QCOMPARE(m_window->osd().LblOSDMInf()->text(), QStringLiteral("Stop"));
    // After Stop, Play resumes the loaded file from its start.
    m_window->transport().BtnPlayClick();
    QTRY_VERIFY(child<QSlider>(m_window, "SldPos")->isEnabled());
    QCOMPARE(m_window->playlist().PlayIndex(), 0);
    QVERIFY(positionMs() < 2000);
    QCOMPARE(state(), QStringLiteral("play PAUSE STOP step REW FF prev NEXT NAV ZOOM FULL ASPECT"));
}

void TestTransport::fastForwardLadder()
{
    open({QStringLiteral(DUVARA_DEMO_FILM)});
    m_window->transport().BtnFFClick();
    QCOMPARE(m_window->transport().Speed(), 2.0);
    QCOMPARE(m_window->filterGraph().StoredRate(), 2.0);
    QVERIFY(!child<QTimer>(m_window, "TimerMove")->isActive());
    QCOMPARE(m_window->osd().LblOSDMInf()->text(), QStringLiteral("Speed: x2"));
    m_window->transport().BtnFFClick();
    QCOMPARE(m_window->transport().Speed(), 4.0);
    QVERIFY(child<QTimer>(m_window, "TimerMove")->isActive());
    QCOMPARE(m_window->osd().LblOSDMInf()->text(), QStringLiteral("Speed: x4"));
    m_window->transport().BtnFFClick();
    m_window->transport().BtnFFClick();
    QCOMPARE(m_window->transport().Speed(), 16.0);
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnFF->isEnabled());
    QVERIFY(!item("MnuFF")->isEnabled());
    // The graph is paused between jumps and the jumps go forward.
    const qint64 before = positionMs();
    QTRY_VERIFY(m_window->filterGraph().PlayState() == PlayState::psPaused);
    QTRY_VERIFY(positionMs() >= before + 10000);
    m_window->transport().BtnRewClick();
    QCOMPARE(m_window->transport().Speed(), 8.0);
    QVERIFY(child<VideoPage>(m_window, "TabVideo")->BtnFF->isEnabled());
}

void TestTransport::fastBackwardLadderReversesByJumps()
{
    open({QStringLiteral(DUVARA_DEMO_FILM)});
    // From the middle of the film, so that the jumps below stay clear of its start.
    m_window->filterGraph().SeekToMs(12000);
    QTRY_VERIFY_WITH_TIMEOUT(positionMs() >= 11900, kPlaybackTimeoutMs);
    m_window->transport().BtnRewClick();
    QCOMPARE(m_window->filterGraph().StoredRate(), 0.5);
    m_window->transport().BtnRewClick();
    QCOMPARE(m_window->filterGraph().StoredRate(), 0.25);
    QVERIFY(!child<QTimer>(m_window, "TimerMove")->isActive());
    m_window->transport().BtnRewClick();
    QCOMPARE(m_window->transport().Speed(), -0.25);
    QCOMPARE(m_window->osd().LblOSDMInf()->text(), QStringLiteral("Rew speed: x0.25"));
    QVERIFY(child<QTimer>(m_window, "TimerMove")->isActive());
    // Each tick pauses the graph and moves back 62.5 ms: 250 ms of film in four ticks. The
    // ticks are given by hand, each once the picture of the last jump is up, so that a loaded
    // machine cannot change what is measured.
    child<QTimer>(m_window, "TimerMove")->stop();
    // A jump has landed once the picture stands at least 62.5 ms less a frame (25 fps: 40 ms)
    // before where it stood.
    bool landed = true;
    const auto jumpBack = [&] {
        const qint64 before = positionMs();
        m_window->transport().TimerMoveTimer();
        landed = landed
            && QTest::qWaitFor([&] { return positionMs() <= before - 20; }, kPlaybackTimeoutMs);
    };
    jumpBack();
    QCOMPARE(m_window->filterGraph().PlayState(), PlayState::psPaused);
    const qint64 first = positionMs();
    for (int tick = 0; tick < 4; ++tick)
        jumpBack();
    QVERIFY(landed);
    const qint64 fourTicksBack = first - positionMs();
    QVERIFY2(fourTicksBack >= 250 - 40 && fourTicksBack <= 250 + 40,
             qPrintable(QString::number(fourTicksBack)));
    QVERIFY(qAbs(child<QSlider>(m_window, "SldPos")->value() - positionMs()) <= 100);
    // Forward from the slowest backward speed goes back to the graph's rate.
    m_window->transport().BtnFFClick();
    QCOMPARE(m_window->transport().Speed(), 0.25);
    QVERIFY(!child<QTimer>(m_window, "TimerMove")->isActive());
    QCOMPARE(m_window->filterGraph().PlayState(), PlayState::psRunning);
    for (int i = 0; i < 10; ++i)
        m_window->transport().BtnRewClick();
    QCOMPARE(m_window->transport().Speed(), -16.0);
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnRew->isEnabled());
    m_window->transport().BtnFFClick();
    QCOMPARE(m_window->transport().Speed(), -8.0);
    QVERIFY(child<VideoPage>(m_window, "TabVideo")->BtnRew->isEnabled());
}

void TestTransport::backwardPastTheStartResumesForward()
{
    open({QStringLiteral(DUVARA_DEMO_FILM)});
    m_window->transport().BtnPauseClick();
    child<QSlider>(m_window, "SldPos")->setValue(3000);
    QTest::mouseRelease(child<QSlider>(m_window, "SldPos"),
                        Qt::LeftButton); // the slider's release seeks
    QTRY_COMPARE(positionMs(), 3000);
    while (m_window->transport().Speed() != -16.0)
        m_window->transport().BtnRewClick();
    // The first jump would pass the start: normal play resumes from where it was, not from 0.
    QTRY_COMPARE(m_window->transport().Speed(), 1.0);
    QVERIFY(!child<QTimer>(m_window, "TimerMove")->isActive());
    QCOMPARE(m_window->filterGraph().PlayState(), PlayState::psRunning);
    QVERIFY2(positionMs() >= 2900, qPrintable(QString::number(positionMs())));
    QCOMPARE(m_window->filterGraph().StoredRate(), 1.0);
}

void TestTransport::forwardPastTheEndMovesOn()
{
    open(kClips.mid(0, 2));
    while (m_window->transport().Speed() != 16.0)
        m_window->transport().BtnFFClick();
    // A 16-second jump passes the end of a 3-second film: it ends and the next row starts.
    waitPlaying(1);
    QCOMPARE(m_window->transport().Speed(), 1.0);
    QVERIFY(!child<QTimer>(m_window, "TimerMove")->isActive());
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItem(1)->font(0).bold(), true);
}

void TestTransport::endOfEachRowStartsTheNextAndTheLastStops()
{
    open(kClips);
    QVERIFY(child<VideoPage>(m_window, "TabVideo")->BtnNxt->isEnabled());
    QTreeWidgetItem *first = child<RListView>(m_window, "LstPL")->topLevelItem(0);
    QVERIFY(first->font(0).bold());
    QCOMPARE(first->foreground(0).color(), QColor(0xFF, 0xCF, 0x6A));
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItem(1)->foreground(0).color(),
             QColor(Qt::white));
    waitPlaying(1);
    QVERIFY(child<VideoPage>(m_window, "TabVideo")->BtnPrv->isEnabled());
    waitPlaying(2);
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnNxt->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(m_window->filterGraph().PlayState(), PlayState::psStopped,
                              kPlaybackTimeoutMs);
    QCOMPARE(state(), QStringLiteral("PLAY pause stop step rew ff prev next nav zoom FULL ASPECT"));
    QCOMPARE(child<QSlider>(m_window, "SldPos")->value(), 0);
    QVERIFY(!child<QSlider>(m_window, "SldPos")->isEnabled());
    QCOMPARE(m_window->playlist().PlayIndex(), 2);
}

void TestTransport::nextAndPreviousEndFastMotion()
{
    open(kClips);
    m_window->transport().BtnRewClick();
    m_window->transport().BtnRewClick();
    m_window->transport().BtnRewClick();
    QVERIFY(child<QTimer>(m_window, "TimerMove")->isActive());
    m_window->transport().BtnNxtClick();
    QCOMPARE(m_window->transport().Speed(), 1.0);
    QVERIFY(!child<QTimer>(m_window, "TimerMove")->isActive());
    QCOMPARE(m_window->filterGraph().StoredRate(), 1.0);
    waitPlaying(1);
    QCOMPARE(m_window->osd().LblOSDMInf()->text(), QStringLiteral("Play"));
    QCOMPARE(m_window->osd().LblOSDMNo()->text(), QStringLiteral("Clip 2"));
    m_window->transport().BtnPrvClick();
    waitPlaying(0);
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnPrv->isEnabled());
    // At the first row Previous changes nothing but still ends fast motion.
    m_window->transport().BtnFFClick();
    m_window->transport().BtnPrvClick();
    QCOMPARE(m_window->transport().Speed(), 1.0);
    QCOMPARE(m_window->playlist().PlayIndex(), 0);
}

void TestTransport::removeRows_data()
{
    QTest::addColumn<int>("playing");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("nextIndex"); // -1: nothing left
    QTest::addColumn<QString>("nextFile");
    QTest::newRow("playing middle") << 1 << 3 << 1 << "clip.mkv";
    QTest::newRow("playing last") << 2 << 3 << 0 << "clip.mp4";
    QTest::newRow("playing first") << 0 << 3 << 0 << "clip.avi";
    QTest::newRow("only row") << 0 << 1 << -1 << "";
}

void TestTransport::removeRows()
{
    QFETCH(int, playing);
    QFETCH(int, rows);
    QFETCH(int, nextIndex);
    QFETCH(QString, nextFile);
    open(kClips.mid(0, rows));
    if (playing > 0) {
        child<RListView>(m_window, "LstPL")
            ->setCurrentItem(child<RListView>(m_window, "LstPL")->topLevelItem(playing));
        m_window->playlist().LstPLDblClick();
        waitPlaying(playing);
    }
    child<RListView>(m_window, "LstPL")
        ->setCurrentItem(child<RListView>(m_window, "LstPL")->topLevelItem(playing));
    m_window->playlist().MnuRemoveClick();
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItemCount(), rows - 1);
    if (nextIndex < 0) {
        QVERIFY(!m_window->filterGraph().Active());
        QVERIFY(child<TDSVideoWindowEx2>(m_window, "VideoWnd")->isHidden());
        QCOMPARE(state(),
                 QStringLiteral("PLAY pause stop step rew ff prev next nav zoom full aspect"));
        return;
    }
    waitPlaying(nextIndex);
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItem(nextIndex)->text(0), nextFile);
    QVERIFY(child<RListView>(m_window, "LstPL")->topLevelItem(nextIndex)->font(0).bold());
}

void TestTransport::removeWhileStoppedSelectsTheNextRow()
{
    open(kClips);
    m_window->transport().BtnStopClick();
    child<RListView>(m_window, "LstPL")
        ->setCurrentItem(child<RListView>(m_window, "LstPL")->topLevelItem(0));
    m_window->playlist().MnuRemoveClick();
    QCOMPARE(m_window->playlist().PlayIndex(), 0);
    QCOMPARE(child<RListView>(m_window, "LstPL")->selectedItems().value(0),
             child<RListView>(m_window, "LstPL")->topLevelItem(0));
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItem(0)->text(0),
             QStringLiteral("clip.avi"));
    QVERIFY(!m_window->filterGraph().Active());
    // Nothing is loaded any more, so Play starts the selected row.
    m_window->transport().BtnPlayClick();
    waitPlaying(0);
    QCOMPARE(m_window->filterGraph().PlayState(), PlayState::psRunning);

    // The stopped last row leaves no current row and nothing selected.
    child<RListView>(m_window, "LstPL")
        ->setCurrentItem(child<RListView>(m_window, "LstPL")->topLevelItem(1));
    m_window->playlist().LstPLDblClick();
    waitPlaying(1);
    m_window->transport().BtnStopClick();
    child<RListView>(m_window, "LstPL")
        ->setCurrentItem(child<RListView>(m_window, "LstPL")->topLevelItem(1));
    m_window->playlist().MnuRemoveClick();
    QCOMPARE(m_window->playlist().PlayIndex(), -1);
    QVERIFY(child<RListView>(m_window, "LstPL")->selectedItems().isEmpty());
}

void TestTransport::removeAboveTheCurrentRowKeepsItsHighlight()
{
    open(kClips);
    child<RListView>(m_window, "LstPL")
        ->setCurrentItem(child<RListView>(m_window, "LstPL")->topLevelItem(2));
    m_window->playlist().LstPLDblClick();
    waitPlaying(2);
    child<RListView>(m_window, "LstPL")
        ->setCurrentItem(child<RListView>(m_window, "LstPL")->topLevelItem(0));
    m_window->playlist().MnuRemoveClick();
    QCOMPARE(m_window->playlist().PlayIndex(), 1);
    QVERIFY(child<RListView>(m_window, "LstPL")->topLevelItem(1)->font(0).bold());
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItem(1)->text(0),
             QStringLiteral("clip.mkv"));
    QCOMPARE(m_window->filterGraph().PlayState(), PlayState::psRunning);
    // Remove with nothing selected does nothing.
    child<RListView>(m_window, "LstPL")->clearSelection();
    m_window->playlist().MnuRemoveClick();
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItemCount(), 2);
}

void TestTransport::clearThenAddThenPlay()
{
    open(kClips.mid(0, 2));
    m_window->playlist().MnuClearClick();
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItemCount(), 0);
    QCOMPARE(m_window->playlist().PlayIndex(), -1);
    QVERIFY(child<TDSVideoWindowEx2>(m_window, "VideoWnd")->isHidden());
    QVERIFY(!m_window->filterGraph().Active());
    m_window->playlist().PopupMenu2Popup();
    QVERIFY(
        !child<TRPopupMenu>(m_window, "PopupMenu2")->item(QStringLiteral("MnuClear"))->isEnabled());
    QVERIFY(!item("MnuPLRemove")->isEnabled());

    answerNextFileDialog(kClips.mid(1, 2));
    m_window->playlist().MnuAddClick();
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItemCount(), 2);
    QTRY_COMPARE(child<RListView>(m_window, "LstPL")->topLevelItem(1)->text(1),
                 QStringLiteral("0:00:03"));
    QCOMPARE(m_window->filterGraph().PlayState(), PlayState::psNoGraph); // Add starts nothing
    QVERIFY(!m_window->synchronisation().VideoCovered());
    m_window->playlist().PopupMenu2Popup();
    QVERIFY(item("MnuPLClear")->isEnabled());

    m_window->transport().BtnPlayClick();
    waitPlaying(0);
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItem(0)->text(0),
             QStringLiteral("clip.avi"));
    QVERIFY(child<TDSVideoWindowEx2>(m_window, "VideoWnd")->isVisible());
    QVERIFY(child<VideoPage>(m_window, "TabVideo")->BtnNxt->isEnabled());
}

void TestTransport::dragReordersAndTheCurrentRowFollows()
{
    open({kClips[0], kClips[1], kClips[2], generatedMedia("tone.mp3")});
    RListView *list = child<RListView>(m_window, "LstPL");
    const auto order = [list] {
        QString names;
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            names += list->topLevelItem(row)->text(0).right(1); // 4 of mp4, i of avi, ...
        return names;
    };
    const auto rowPoint = [list](int row) {
        return list->visualItemRect(list->topLevelItem(row)).center();
    };
    QCOMPARE(order(), QStringLiteral("4iv3"));
    list->setCurrentItem(list->topLevelItem(0));
    QVERIFY(!m_window->playlist().LstPLDragOver(list, rowPoint(0))); // over itself
    QVERIFY(!m_window->playlist().LstPLDragOver(m_window, rowPoint(2))); // from elsewhere
    QVERIFY(m_window->playlist().LstPLDragOver(list, rowPoint(2)));
    m_window->playlist().LstPLDragDrop(list, rowPoint(2));
    QCOMPARE(order(), QStringLiteral("i4v3"));
    QCOMPARE(m_window->playlist().PlayIndex(), 1); // the playing row moved
    QVERIFY(list->topLevelItem(1)->font(0).bold());

    list->setCurrentItem(list->topLevelItem(3));
    m_window->playlist().LstPLDragDrop(list, rowPoint(1));
    QCOMPARE(order(), QStringLiteral("i34v"));
    QCOMPARE(m_window->playlist().PlayIndex(), 2); // pushed down by the row dropped above it
    QCOMPARE(list->topLevelItem(2)->text(0), QStringLiteral("clip.mp4"));
}

void TestTransport::doubleClickStartsOnlyAnotherRow()
{
    open(kClips.mid(0, 2));
    QSignalSpy activations(&m_window->filterGraph(), &TFilterGraph::OnActivate);
    child<RListView>(m_window, "LstPL")
        ->setCurrentItem(child<RListView>(m_window, "LstPL")->topLevelItem(0));
    m_window->playlist().LstPLDblClick();
    QCOMPARE(activations.count(), 0);
    // Enter on another row starts it and keeps a fast-motion speed in force.
    m_window->transport().BtnFFClick();
    child<RListView>(m_window, "LstPL")
        ->setCurrentItem(child<RListView>(m_window, "LstPL")->topLevelItem(1));
    child<RListView>(m_window, "LstPL")->setFocus();
    QTest::keyClick(child<RListView>(m_window, "LstPL"), Qt::Key_Return);
    waitPlaying(1);
    QCOMPARE(activations.count(), 1);
    QCOMPARE(m_window->transport().Speed(), 2.0);
    QCOMPARE(m_window->filterGraph().StoredRate(), 2.0);
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnNxt->isEnabled());
    QVERIFY(child<VideoPage>(m_window, "TabVideo")->BtnPrv->isEnabled());
}

void TestTransport::muteThenAnotherFileIsSilentWithSoundShownOn()
{
    open(kClips.mid(0, 2));
    QCOMPARE(child<VideoPage>(m_window, "TabVideo")->SldVol->value(), 10000);
    m_window->transport().MnuMuteClick();
    QVERIFY(child<VideoPage>(m_window, "TabVideo")->BtnMuteOn->isHidden());
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnMuteOff->isHidden());
    QCOMPARE(m_window->filterGraph().StoredVolume(), 0);
    QCOMPARE(m_window->osd().LblOSDMute()->text(), QStringLiteral("Mute on"));
    m_window->transport().BtnNxtClick();
    waitPlaying(1);
    QCOMPARE(child<VideoPage>(m_window, "TabVideo")->SldVol->value(), 0);
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnMuteOn->isHidden());
    QCOMPARE(m_window->filterGraph().StoredVolume(), 0);
    // Moving the slider is the way back to sound.
    child<VideoPage>(m_window, "TabVideo")->SldVol->setValue(5000);
    QCOMPARE(m_window->filterGraph().StoredVolume(), 5000);
    QVERIFY(m_window->osd().volumeShown());
    m_window->transport().MnuMuteClick();
    m_window->transport().MnuMuteClick();
    QCOMPARE(m_window->filterGraph().StoredVolume(), 5000);
    QCOMPARE(m_window->osd().LblOSDMute()->text(), QStringLiteral("Mute off"));
}

void TestTransport::stepWhileMutedStaysMuted()
{
    open({QStringLiteral(DUVARA_DEMO_FILM)});
    m_window->transport().BtnPauseClick();
    m_window->transport().BtnMuteOnClick();
    QSignalSpy completions(&m_window->filterGraph(), &TFilterGraph::OnGraphStepComplete);
    m_window->transport().BtnStepClick();
    QVERIFY(completions.wait(kPlaybackTimeoutMs));
    QCOMPARE(m_window->filterGraph().StoredVolume(), 0);
    QVERIFY(child<VideoPage>(m_window, "TabVideo")->BtnMuteOn->isHidden());
}

void TestTransport::stepRestoresTheVolume()
{
    open({QStringLiteral(DUVARA_DEMO_FILM)});
    child<VideoPage>(m_window, "TabVideo")->SldVol->setValue(7000);
    m_window->transport().BtnPauseClick();
    const qint64 before = positionMs();
    QSignalSpy completions(&m_window->filterGraph(), &TFilterGraph::OnGraphStepComplete);
    m_window->transport().BtnStepClick();
    QCOMPARE(m_window->filterGraph().StoredVolume(), 0); // silent while it steps
    QVERIFY(completions.wait(kPlaybackTimeoutMs));
    QCOMPARE(m_window->filterGraph().StoredVolume(), 7000);
    QTRY_VERIFY(positionMs() > before);
    QVERIFY(qAbs(child<QSlider>(m_window, "SldPos")->value() - positionMs()) < 100);
}

void TestTransport::sliderPressesJumpAndReleaseSeeks_data()
{
    QTest::addColumn<int>("x"); // from the left (>= 0) or from the right (< 0) edge
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("expected");
    QTest::newRow("left end") << 7 << 15 << "start";
    QTest::newRow("right end") << -8 << 15 << "end";
    QTest::newRow("middle") << 1000 << 15 << "middle";
    QTest::newRow("above the track") << 1000 << 5 << "unchanged";
    QTest::newRow("below the track") << 1000 << 22 << "unchanged";
}

void TestTransport::sliderPressesJumpAndReleaseSeeks()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, expected);
    open({QStringLiteral(DUVARA_DEMO_FILM)});
    m_window->transport().BtnPauseClick();
    QSlider *slider = child<QSlider>(m_window, "SldPos");
    slider->setValue(6000);
    const int width = slider->width();
    const int pressX = x >= 1000 ? 7 + (width - 15) / 2 : x >= 0 ? x : width + x;
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(pressX, y));
    QVERIFY(child<VideoPage>(m_window, "TabVideo")->SldDS->MouseHeld());
    const int max = slider->maximum();
    const int pressed = slider->value();
    if (expected == QLatin1String("start"))
        QCOMPARE(pressed, 0);
    else if (expected == QLatin1String("end"))
        QCOMPARE(pressed, max);
    else if (expected == QLatin1String("middle"))
        QVERIFY2(qAbs(pressed - max / 2) <= max / 100, qPrintable(QString::number(pressed)));
    else
        QVERIFY2(qAbs(pressed - max / 2) > max / 10, qPrintable(QString::number(pressed)));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(pressX, y));
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->SldDS->MouseHeld());
    // The release seeks to what the slider shows, on the 100 ms step.
    const int target = slider->value() / 100 * 100;
    QTRY_VERIFY2(qAbs(positionMs() - target) <= 100, qPrintable(QString::number(positionMs())));
}

void TestTransport::unplayableFileLeavesTheControls()
{
    open(kClips.mid(0, 1));
    const QString before = state();
    QVERIFY_THROWS_EXCEPTION(std::exception,
                             m_window->transport().PlayFile(generatedMedia("unplayable.mp4")));
    QVERIFY(m_window->filterGraph().Active());
    QCOMPARE(state(), before);
    // An unreadable file in the Open dialog's choice stops the filling; the rows before stay.
    QVERIFY_THROWS_EXCEPTION(
        std::exception,
        m_window->playlist().OpenFiles({kClips[1], generatedMedia("missing.mp4"), kClips[2]}));
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItemCount(), 1);
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItem(0)->text(0),
             QStringLiteral("clip.avi"));
}

void TestTransport::openThatFailsKeepsWhatPlays()
{
    open(kClips.mid(0, 2));
    const QString before = state();
    auto *list = child<RListView>(m_window, "LstPL");
    QVERIFY_THROWS_EXCEPTION(std::exception,
                             m_window->playlist().OpenFiles({generatedMedia("missing.mp4")}));
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("clip.mp4"));
    QCOMPARE(m_window->playlist().PlayIndex(), 0);
    QCOMPARE(m_window->playlist().PlaylistPath(0), kClips[0]);
    QCOMPARE(m_window->filterGraph().PlayState(), PlayState::psRunning);
    QCOMPARE(state(), before);
}

void TestTransport::cancelledOpenOffersNext()
{
    open(kClips);
    m_window->transport().BtnStopClick();
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnNxt->isEnabled());
    answerNextFileDialog({});
    m_window->transport().MnuOpenClick();
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItemCount(), 3);
    QVERIFY(child<VideoPage>(m_window, "TabVideo")->BtnNxt->isEnabled());
    QVERIFY(item("MnuNext")->isEnabled());
}

void TestTransport::filmThatBreaksWhilePlayingIsReported()
{
    open(kClips.mid(0, 2));
    m_window->transport().BtnFFClick();
    m_window->transport().BtnFFClick();
    QString shown;
    onNextModal<QMessageBox>([&](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    // What the graph raises when the file it plays fails to be read (a read error, a medium
    // that went away): the same path as the graph's own events.
    emit m_window->filterGraph().OnDSEvent(GraphEvent::EC_ERRORABORT, -13, 0);
    QVERIFY2(shown.endsWith(QStringLiteral("($FFFFFFF3).")), qPrintable(shown));
    QCOMPARE(m_window->transport().Speed(), 1.0);
    QVERIFY(!child<QTimer>(m_window, "TimerMove")->isActive());
    QVERIFY(child<VideoPage>(m_window, "TabVideo")->BtnPlay->isEnabled());
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnPause->isEnabled());
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnStop->isEnabled());
    QVERIFY(!child<QSlider>(m_window, "SldPos")->isEnabled());
    QCOMPARE(child<RListView>(m_window, "LstPL")->topLevelItemCount(), 2);
    QCOMPARE(m_window->playlist().PlayIndex(), 0);
}

void TestTransport::goToJumpsLikeASliderClick()
{
    m_window->CreateOtherWindows();
    open({QStringLiteral(DUVARA_DEMO_FILM)});
    m_window->transport().BtnPauseClick();
    bool covered = false;
    onNextModal<TFormGoTo>([&](TFormGoTo *dialog) {
        covered = m_window->synchronisation().VideoCovered();
        dialog->EditGoTo->SetMilliseconds(17000); // the edit holds whole seconds
        dialog->BtnGoTo->click();
    });
    item("MnuGoTo")->trigger();
    QVERIFY(covered);
    QVERIFY(!m_window->synchronisation().VideoCovered());
    // To the engine's step of 100 ms, then the first frame at or after it (25 fps).
    QTRY_VERIFY_WITH_TIMEOUT(positionMs() >= 17000 && positionMs() <= 17040, kPlaybackTimeoutMs);

    // Nothing playing: Go To is not offered (its key is the menus' test's).
    m_window->transport().BtnStopClick();
    QVERIFY(!item("MnuNavigate")->isEnabled());
}

void TestTransport::pausedWindowRunsNoTimer()
{
    child<QTimer>(m_window, "TimerOSD")->setInterval(50);
    child<QTimer>(m_window, "TimerVol")->setInterval(50);
    open({QStringLiteral(DUVARA_DEMO_FILM)});
    child<VideoPage>(m_window, "TabVideo")
        ->SldVol->setValue(9000); // the volume display and its timer too
    m_window->transport().BtnPauseClick();
    const auto running = [this] {
        QStringList names;
        QList<QTimer *> timers = m_window->findChildren<QTimer *>();
        timers << child<QTimer>(m_window, "TimerMove") << child<QTimer>(m_window, "TimerOSD")
               << child<QTimer>(m_window, "TimerVol") << child<QTimer>(m_window, "TimerRem")
               << child<QTimer>(m_window, "TimerLstFocus");
        for (QTimer *timer : timers)
            if (timer->isActive())
                names << (timer->objectName().isEmpty() ? QStringLiteral("unnamed")
                                                        : timer->objectName());
        return names.join(QLatin1Char(' '));
    };
    // The state display stays up while paused, with nothing ticking for it.
    QTRY_COMPARE(running(), QString());
    QVERIFY(m_window->osd().stateShown());
    QVERIFY(!m_window->osd().volumeShown());
    // A new file plays: the display goes away in its usual time.
    m_window->playlist().OpenFiles({kClips[0]});
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnStep->isEnabled());
    QTRY_VERIFY(!m_window->osd().stateShown());
}

QTEST_MAIN(TestTransport)
#include "tst_transport.moc"
