// The remote window: what a click on the picture does with it, its meter, displays and shape,
// its buttons and sliders as faces of the main window's; and, on a real desktop (Xvfb with
// openbox, see tst_form_remote_desktop), the clicks on the picture that bring it up and send it
// away, the keyboard focus and what the screen shows of it.
#include "controls/form_remote.h"
#include "controls/remote_artwork.h"
#include "controls/segment_display.h"
#include "media/ds_track_bar.h"
#include "shell/window_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <clocale>

using namespace duvara;
using namespace duvara::test;

Q_DECLARE_METATYPE(duvara::RemoteClick)
Q_DECLARE_METATYPE(std::optional<int>)

namespace {

// The real desktop's journeys skip elsewhere: the offscreen platform has no window manager.
#define REQUIRE_DESKTOP() \
    do { \
        if (QGuiApplication::platformName() != QLatin1String("xcb")) \
            QSKIP("runs on a real desktop (tst_form_remote_desktop)"); \
    } while (false)

// Drives the X server's own pointer, so that the window manager sees the clicks too; answers
// what xdotool prints.
QByteArray xdotool(const QString &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments.split(QLatin1Char(' ')));
    process.waitForFinished();
    return process.readAllStandardOutput().trimmed();
}

// Each call clicks a little way from the last, so that two calls in quick succession (also from
// one test to the next) are never taken for a double click.
void clickAt(QPoint at, int clicks = 1)
{
    static int calls = 0;
    at += QPoint(0, 12 * (calls++ % 3));
    xdotool(QStringLiteral("mousemove %1 %2 click --repeat %3 --delay 60 1")
                .arg(at.x())
                .arg(at.y())
                .arg(clicks));
}

// The window the X server sends the keys to, and the one the window manager calls active (it
// says so a moment after the server has moved the focus).
WId keyboardWindow()
{
    return xdotool(QStringLiteral("getwindowfocus")).toULongLong();
}
WId activeWindow()
{
    return xdotool(QStringLiteral("getactivewindow")).toULongLong();
}

// Remembers where the pointer was last seen moving: once a movement sent after some clicks has
// arrived, the clicks before it have been handled.
class PointerWatch : public QObject
{
public:
    PointerWatch() { qApp->installEventFilter(this); }
    QPoint last;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseMove)
            last = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        return false;
    }
};

} // namespace

class TestFormRemote : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void whatAClickDoes_data();
    void whatAClickDoes();
    void meterPress_data();
    void meterPress();
    void placeOverThePicture_data();
    void placeOverThePicture();
    void displayShowsWhatFitsAndScrollsTheRest();
    void shapeIsThePictureWithoutItsLime();

    void buttonsFollowTheMainWindow();
    void mutingFromEitherWindowSwapsBothPairs_data();
    void mutingFromEitherWindowSwapsBothPairs();
    void meterPressSeeks_data();
    void meterPressSeeks();
    void displaysAndVolumeFollowPlayback();
    void windowMenuShortcutsActInIt();
    void hidingUncoversAndForgetsWhereItWasDragged();

    void windowedClicksNeverShowIt();
    void singleClickShowsItAndASecondHidesIt();
    void doubleClickTogglesFullScreenAndNeverShowsIt();
    void subtitlePageRule_data();
    void subtitlePageRule();
    void screenShowsOnlyItsShape();

private:
    TFormVDMain &window();
    TFormRemote &remote() { return *child<TFormRemote>(&window(), "FormRemote"); }
    VideoPage &page() { return *child<VideoPage>(&window(), "TabVideo"); }
    // Found while it is in the main window: in fullscreen it lives in a window of its own.
    TDSVideoWindowEx2 &video() { return (window(), *m_video); }
    QTimer &timerRem() { return *child<QTimer>(&window(), "TimerRem"); }
    void play(int films);
    void enterFullScreen();
    QPoint onPicture()
    {
        return video().mapToGlobal(QPoint(video().width() / 2, video().height() / 10));
    }
    void waitForPointerOnPicture();
    QRect pictureOnScreen() { return {video().mapToGlobal(QPoint(0, 0)), video().size()}; }

    TFormVDMain *m_window = nullptr;
    TDSVideoWindowEx2 *m_video = nullptr;
    QTemporaryDir m_films;
};

void TestFormRemote::init()
{
    std::setlocale(LC_NUMERIC, "C");
}

void TestFormRemote::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_video = nullptr;
}

TFormVDMain &TestFormRemote::window()
{
    if (!m_window) {
        m_window = new TFormVDMain;
        m_window->filterGraph().SetAudioEnabled(false);
        m_window->CreateOtherWindows();
        m_video = child<TDSVideoWindowEx2>(m_window, "VideoWnd");
        m_window->resize(800, 600);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window))
            qFatal("the main window did not show");
    }
    return *m_window;
}

// Copies of the demo film as the playlist's rows; the first plays.
void TestFormRemote::play(int films)
{
    QStringList files;
    for (int i = 1; i <= films; ++i) {
        const QString path = m_films.filePath(QStringLiteral("film %1.mp4").arg(i));
        if (!QFile::exists(path))
            QVERIFY(QFile::copy(QStringLiteral(DUVARA_DEMO_FILM), path));
        files << path;
    }
    window().playlist().OpenFiles(files);
    QTRY_VERIFY_WITH_TIMEOUT(child<QSlider>(&window(), "SldPos")->isEnabled(), kPlaybackTimeoutMs);
}

void TestFormRemote::enterFullScreen()
{
    window().videoCommands().VideoWndDblClick();
    QVERIFY(video().FullScreen());
    QWidget *host = video().window();
    QVERIFY(QTest::qWaitForWindowExposed(host));
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        QTRY_VERIFY(host->isActiveWindow());
        QTRY_COMPARE(activeWindow(), host->winId());
    }
}

// The pointer is moved over the picture where it is now, again while the window manager may still
// be placing the window, until the application has seen a move to where it was sent last.
void TestFormRemote::waitForPointerOnPicture()
{
    static PointerWatch watch;
    int moves = 0;
    QPoint sent;
    QTRY_VERIFY([&] {
        if (moves > 0 && watch.last == sent)
            return true;
        // Never the same place twice in a row: a move to where the pointer is sends nothing.
        sent = onPicture() + QPoint(3, 2 + moves++ % 2);
        xdotool(QStringLiteral("mousemove %1 %2").arg(sent.x()).arg(sent.y()));
        return false;
    }());
}

// ---- without a window -------------------------------------------------------------------------

void TestFormRemote::whatAClickDoes_data()
{
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<std::optional<int>>("trackEntries");
    QTest::addColumn<RemoteClick>("expected");
    const std::optional<int> videoPage;
    QTest::newRow("windowed, video page") << false << false << videoPage << RemoteClick::Nothing;
    QTest::newRow("video page brings it up")
        << true << false << videoPage << RemoteClick::ShowRemoteSoon;
    QTest::newRow("video page sends it away")
        << true << true << videoPage << RemoteClick::HideRemote;
    QTest::newRow("loaded track's page")
        << true << false << std::optional(12) << RemoteClick::Nothing;
    QTest::newRow("empty track's page")
        << true << false << std::optional(0) << RemoteClick::ShowRemoteSoon;
}

void TestFormRemote::whatAClickDoes()
{
    QFETCH(bool, fullScreen);
    QFETCH(bool, shown);
    QFETCH(std::optional<int>, trackEntries);
    QFETCH(RemoteClick, expected);
    QCOMPARE(RemoteClickFor({fullScreen, shown, trackEntries}), expected);
}

void TestFormRemote::meterPress_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<std::optional<int>>("expected");
    // The remote's meter is 256 wide: its bar runs from 1 to 255 over 252 pixels.
    QTest::newRow("first pixel of the bar") << 1 << 252000 << std::optional(0);
    QTest::newRow("last pixel of the bar") << 255 << 252000 << std::optional(252000);
    QTest::newRow("middle") << 127 << 252000 << std::optional(126000);
    QTest::newRow("half down to even") << 2 << 126 << std::optional(0);
    QTest::newRow("half up to even") << 6 << 126 << std::optional(2);
    QTest::newRow("left frame") << 0 << 252000 << std::optional<int>();
    QTest::newRow("right edge") << 256 << 252000 << std::optional<int>();
    QTest::newRow("nothing loaded") << 100 << 0 << std::optional(0);
}

void TestFormRemote::meterPress()
{
    QFETCH(int, x);
    QFETCH(int, maximum);
    QFETCH(std::optional<int>, expected);
    QCOMPARE(MeterPressPosition(x, 256, maximum), expected);
}

void TestFormRemote::placeOverThePicture_data()
{
    QTest::addColumn<QRect>("picture");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("1280 x 720") << QRect(0, 0, 1280, 720) << QPoint(460, 540);
    QTest::newRow("second monitor, odd height")
        << QRect(1920, 0, 1920, 1081) << QPoint(1920 + 780, 810);
    // Narrower than the remote: the division cuts toward zero.
    QTest::newRow("narrow") << QRect(100, 0, 300, 200) << QPoint(100 - 29, 150);
}

void TestFormRemote::placeOverThePicture()
{
    QFETCH(QRect, picture);
    QFETCH(QPoint, expected);
    QCOMPARE(RemotePlace(picture), expected);
}

void TestFormRemote::displayShowsWhatFitsAndScrollsTheRest()
{
    QWidget parent;
    SegmentDisplay display(&parent);
    display.resize(159, 16);
    QCOMPARE(display.cellCount(), 17);
    display.setCentred(true);
    display.setText(QStringLiteral("#0   0:00:00"));
    QCOMPARE(display.shownText(), QStringLiteral("  #0   0:00:00   "));

    // Letters show as capitals, accented ones as their base letter; the digits differ.
    QCOMPARE(SegmentsFor(QChar(0x00E9)), SegmentsFor(QLatin1Char('E')));
    QVERIFY(SegmentsFor(QChar(0x0416)) != 0); // a letter the segments cannot form shows a box
    QSet<std::uint16_t> digits;
    for (char c = '0'; c <= '9'; ++c)
        digits.insert(SegmentsFor(QLatin1Char(c)));
    QCOMPARE(digits.size(), 10);

    display.setCentred(false);
    display.setScrolling(true);
    const QString name = QStringLiteral("a rather long film name.mkv");
    display.setText(name);
    QCOMPARE(display.shownText(), name.left(17));
    display.scrollStep();
    QCOMPARE(display.shownText(), name.mid(1, 17));
    // It comes round again after a gap.
    for (int i = 1; i < int(name.size()); ++i)
        display.scrollStep();
    QCOMPARE(display.shownText(), QStringLiteral("   ") + name.left(14));

    // It scrolls only where it can be seen: a hidden window runs no timer for it.
    auto *timer = display.findChild<QTimer *>();
    QVERIFY(timer);
    QVERIFY(!timer->isActive());
    parent.show();
    QVERIFY(timer->isActive());
    parent.hide();
    QVERIFY(!timer->isActive());
}

void TestFormRemote::shapeIsThePictureWithoutItsLime()
{
    const QImage picture = RemotePicture();
    QCOMPARE(picture.size(), kRemoteSize);
    const QRegion shape = ShapeOfPicture(picture);
    int limePixels = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const bool lime = picture.pixel(x, y) == kRemoteCutAway;
            limePixels += lime;
            if (shape.contains(QPoint(x, y)) == lime)
                QFAIL(qPrintable(QStringLiteral("pixel %1, %2").arg(x).arg(y)));
        }
    }
    // The corners are cut away; every control lies on the body.
    QVERIFY(limePixels > 0 && !shape.contains(QPoint(0, 0)));
    TFormRemote &form = remote();
    QCOMPARE(form.mask(), shape);
    for (QWidget *control : form.findChildren<QWidget *>())
        QVERIFY2(shape.contains(control->geometry().center()), qPrintable(control->objectName()));
    QCOMPARE(form.windowOpacity(), 230.0 / 255.0);
}

// ---- on the main window -----------------------------------------------------------------------

void TestFormRemote::buttonsFollowTheMainWindow()
{
    TFormRemote &form = remote();
    const auto states = [this](bool ofRemote) {
        const QList<QAbstractButton *> main
            = {page().BtnPlay, page().BtnPause, page().BtnStop, page().BtnStep,
               page().BtnRew,  page().BtnFF,    page().BtnPrv,  page().BtnNxt};
        QStringList words;
        for (QAbstractButton *button : main) {
            if (ofRemote)
                button = child<QAbstractButton>(&remote(), qPrintable(button->objectName()));
            const QString name = button->objectName().mid(3);
            words << (button->isEnabled() ? name.toUpper() : name.toLower());
        }
        return words.join(QLatin1Char(' '));
    };
    QCOMPARE(states(true), QStringLiteral("PLAY pause stop step rew ff prv nxt"));

    play(2);
    QCOMPARE(states(true), QStringLiteral("play PAUSE STOP step REW FF prv NXT"));
    // Every step the main window takes (pause, fast forward to the top speed, next, stop), the
    // remote takes along.
    Transport &transport = window().transport();
    void (Transport::*const steps[])()
        = {&Transport::BtnPauseClick, &Transport::BtnFFClick, &Transport::BtnFFClick,
           &Transport::BtnFFClick,    &Transport::BtnFFClick, &Transport::BtnNxtClick,
           &Transport::BtnStopClick};
    for (const auto step : steps) {
        (transport.*step)();
        QCOMPARE(states(true), states(false));
    }
    QCOMPARE(states(true), QStringLiteral("PLAY pause stop step rew ff prv nxt"));
    // Its buttons are the commands' faces: they act.
    QTest::mouseClick(form.BtnPlay, Qt::LeftButton);
    QCOMPARE(window().filterGraph().PlayState(), PlayState::psRunning);
    QVERIFY(!page().BtnPlay->isEnabled());
    QTest::mouseClick(form.BtnPause, Qt::LeftButton);
    QCOMPARE(window().filterGraph().PlayState(), PlayState::psPaused);
    QVERIFY(page().BtnStep->isEnabled());
}

void TestFormRemote::mutingFromEitherWindowSwapsBothPairs_data()
{
    QTest::addColumn<QString>("muteIn");
    QTest::addColumn<QString>("unmuteIn");
    QTest::newRow("remote, then main") << "remote"
                                       << "main";
    QTest::newRow("menu, then remote") << "menu"
                                       << "remote";
}

void TestFormRemote::mutingFromEitherWindowSwapsBothPairs()
{
    QFETCH(QString, muteIn);
    QFETCH(QString, unmuteIn);
    TFormRemote &form = remote();
    play(1);
    // Which button of each pair shows, main then remote: "on" (sound on) or "off" (muted).
    const auto shown = [](QAbstractButton *on, QAbstractButton *off) {
        return on->isHidden() == off->isHidden() ? "both or neither"
            : on->isHidden()                     ? "off"
                                                 : "on";
    };
    const auto pairs = [&] {
        return QStringLiteral("%1 %2").arg(shown(page().BtnMuteOn, page().BtnMuteOff),
                                           shown(form.BtnMuteOn, form.BtnMuteOff));
    };
    const auto press = [&](const QString &where, bool mute) {
        if (where == QLatin1String("menu"))
            child<TRPopupMenu>(&window(), "PopupMenu1")->item(QStringLiteral("MnuMute"))->trigger();
        else if (where == QLatin1String("main"))
            (mute ? page().BtnMuteOn : page().BtnMuteOff)->click();
        else
            QTest::mouseClick(mute ? form.BtnMuteOn : form.BtnMuteOff, Qt::LeftButton);
    };
    QCOMPARE(pairs(), QStringLiteral("on on"));
    press(muteIn, true);
    QCOMPARE(pairs(), QStringLiteral("off off"));
    press(unmuteIn, false);
    QCOMPARE(pairs(), QStringLiteral("on on"));
}

void TestFormRemote::meterPressSeeks_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<QString>("lands");
    QTest::newRow("one pixel in: the start") << 1 << "start";
    QTest::newRow("w - 1: the end") << 255 << "end";
    QTest::newRow("in between: in proportion") << 64 << "proportional";
}

void TestFormRemote::meterPressSeeks()
{
    QFETCH(int, x);
    QFETCH(QString, lands);
    TFormRemote &form = remote();
    play(1);
    auto *position = child<QSlider>(&window(), "SldPos");
    QTRY_VERIFY(position->value() > 2000);
    window().transport().BtnPauseClick();
    const int maximum = position->maximum();
    QCOMPARE(form.SldPos->maximum(), maximum);

    QTest::mousePress(form.SldPos, Qt::LeftButton, {}, QPoint(x, 4));
    const int expected = lands == QLatin1String("start") ? 0
        : lands == QLatin1String("end")                  ? maximum
                                                         : qRound(63.0 * maximum / 252);
    QVERIFY(std::abs(position->value() - expected) <= 1);
    // The meter jumps along at once; the picture follows on release.
    QCOMPARE(form.SldPos->value(), position->value());
    QVERIFY(page().SldDS->MouseHeld());
    QTest::mouseRelease(form.SldPos, Qt::LeftButton, {}, QPoint(x, 4));
    QVERIFY(!page().SldDS->MouseHeld());
    if (lands == QLatin1String("end")) {
        QCOMPARE(page().SldDS->value(), page().SldDS->maximum());
        return;
    }
    // The seek lands on the track bar's step of 100 ms.
    QTRY_VERIFY_WITH_TIMEOUT(
        std::abs(window().filterGraph().CurrentPosition().value_or(-1) / 10000 - expected) <= 100,
        kPlaybackTimeoutMs);
}

void TestFormRemote::displaysAndVolumeFollowPlayback()
{
    TFormRemote &form = remote();
    QCOMPARE(form.LblDispl->text(), QStringLiteral("#0   0:00:00"));
    play(2);
    QCOMPARE(form.LblCurr->text(), QStringLiteral("film 1.mp4"));
    QTRY_VERIFY(form.LblDispl->text().startsWith(QLatin1String("#1 - 0:00:0")));
    window().transport().BtnNxtClick();
    QCOMPARE(form.LblCurr->text(), QStringLiteral("film 2.mp4"));
    QTRY_VERIFY(form.LblDispl->text().startsWith(QLatin1String("#2 - 0:00:0")));

    // Either slider moves the other; the remote's ends a mute like the main one.
    page().SldVol->setValue(7000);
    QCOMPARE(form.SldVol->value(), 7000);
    form.BtnMuteOn->click();
    QVERIFY(page().BtnMuteOn->isHidden());
    QTest::keyClick(form.SldVol, Qt::Key_Left);
    QCOMPARE(page().SldVol->value(), 6900);
    QVERIFY(!page().BtnMuteOn->isHidden());
    QVERIFY(!form.BtnMuteOn->isHidden());
}

void TestFormRemote::windowMenuShortcutsActInIt()
{
    TFormRemote &form = remote();
    play(1);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_F4);
    QCOMPARE(window().filterGraph().PlayState(), PlayState::psPaused);
    QTest::keyClick(&form, Qt::Key_F3);
    QCOMPARE(window().filterGraph().PlayState(), PlayState::psRunning);
}

void TestFormRemote::hidingUncoversAndForgetsWhereItWasDragged()
{
    TFormRemote &form = remote();
    play(1);
    enterFullScreen();
    window().videoCommands().VideoWndClick();
    QTRY_VERIFY(form.isVisible());
    QVERIFY(window().synchronisation().VideoCovered());
    const QPoint place = RemotePlace(pictureOnScreen());
    QCOMPARE(form.pos(), place);
    // Without a window manager to move it (offscreen), it follows the mouse itself.
    QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(200, 4));
    QTest::mouseMove(&form, QPoint(240, -16));
    QTest::mouseRelease(&form, Qt::LeftButton, {}, QPoint(240, -16));
    QCOMPARE(form.pos(), place + QPoint(40, -20));
    // A double click on its picture closes it; the picture is no longer covered.
    QTest::mouseDClick(&form, Qt::LeftButton, {}, QPoint(200, 4));
    QVERIFY(!form.isVisible());
    QVERIFY(!window().synchronisation().VideoCovered());
    // Where the user put it lasted only while it was shown.
    window().videoCommands().VideoWndClick();
    QTRY_VERIFY(form.isVisible());
    QCOMPARE(form.pos(), place);

    // Leaving fullscreen takes it away, and a click about to bring it up comes to nothing.
    window().videoCommands().LeaveFullScreen();
    QVERIFY(!form.isVisible());
    QVERIFY(!window().synchronisation().VideoCovered());
    enterFullScreen();
    window().videoCommands().VideoWndClick();
    window().videoCommands().LeaveFullScreen();
    QVERIFY(!timerRem().isActive());
}

// ---- on a real desktop ------------------------------------------------------------------------

void TestFormRemote::windowedClicksNeverShowIt()
{
    REQUIRE_DESKTOP();
    play(1);
    QSignalSpy clicks(&video(), &TDSVideoWindowEx2::OnClick);
    clickAt(onPicture());
    QTRY_COMPARE(clicks.count(), 1);
    QVERIFY(!timerRem().isActive());
    QVERIFY(!remote().isVisible());
}

void TestFormRemote::singleClickShowsItAndASecondHidesIt()
{
    REQUIRE_DESKTOP();
    TFormRemote &form = remote();
    play(1);
    enterFullScreen();
    QWidget *host = video().window();
    QWidget *focus = QApplication::focusWidget();

    clickAt(onPicture());
    QTRY_VERIFY(form.isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_COMPARE(form.pos(), RemotePlace(pictureOnScreen()));
    QVERIFY(window().synchronisation().VideoCovered());
    // It came up above the picture without taking the keyboard from it.
    QCOMPARE(keyboardWindow(), host->winId());
    QCOMPARE(activeWindow(), host->winId());
    QCOMPARE(QApplication::activeWindow(), host);
    QCOMPARE(QApplication::focusWidget(), focus);

    // Somewhere else on the picture, so that the two clicks do not make a double click.
    clickAt(onPicture() + QPoint(100, 40));
    QTRY_VERIFY(!form.isVisible());
    QVERIFY(!window().synchronisation().VideoCovered());
    QVERIFY(video().FullScreen());
    QCOMPARE(keyboardWindow(), host->winId());
}

void TestFormRemote::doubleClickTogglesFullScreenAndNeverShowsIt()
{
    REQUIRE_DESKTOP();
    play(1);
    QSignalSpy doubleClicks(&video(), &TDSVideoWindowEx2::OnDblClick);
    for (const bool fullScreenAfter : {true, false}) {
        clickAt(onPicture(), 2);
        QTRY_COMPARE(video().FullScreen(), fullScreenAfter);
        // Everything the double click sent has been handled once the pointer's next move has.
        waitForPointerOnPicture();
        QVERIFY(!timerRem().isActive());
        QVERIFY(!remote().isVisible());
    }
    QCOMPARE(doubleClicks.count(), 2);
}

void TestFormRemote::subtitlePageRule_data()
{
    QTest::addColumn<int>("track");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("comesUp");
    QTest::newRow("primary page, track loaded") << 1 << true << false;
    QTest::newRow("primary page, no track") << 1 << false << true;
    QTest::newRow("secondary page, track loaded") << 2 << true << false;
    QTest::newRow("secondary page, no track") << 2 << false << true;
}

void TestFormRemote::subtitlePageRule()
{
    REQUIRE_DESKTOP();
    QFETCH(int, track);
    QFETCH(bool, loaded);
    QFETCH(bool, comesUp);
    play(1);
    if (loaded) {
        SubtitleTrackController &controller
            = track == 1 ? window().primaryTrack() : window().secondaryTrack();
        QVERIFY(loadTrack(controller, "1\r\n00:00:01,000 --> 00:00:20,000\r\nHello\r\n\r\n",
                          "hello.srt"));
    }
    child<QTabWidget>(&window(), "PageCntrl")->setCurrentIndex(track);
    enterFullScreen();
    QSignalSpy clicks(&video(), &TDSVideoWindowEx2::OnClick);
    clickAt(onPicture());
    QTRY_COMPARE(clicks.count(), 1);
    if (comesUp) {
        QTRY_VERIFY(remote().isVisible());
    } else {
        QVERIFY(!timerRem().isActive());
        QVERIFY(!remote().isVisible());
    }
}

void TestFormRemote::screenShowsOnlyItsShape()
{
    REQUIRE_DESKTOP();
    TFormRemote &form = remote();
    play(1);
    enterFullScreen();
    // A stopped picture is black and keeps still.
    window().transport().BtnStopClick();
    const QRect place(RemotePlace(pictureOnScreen()), kRemoteSize);
    QScreen *screen = video().screen();
    const auto grabScreen = [&] {
        return screen->grabWindow(0, place.x(), place.y(), place.width(), place.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    // What lies under it, once it has settled.
    QImage under;
    QTRY_VERIFY([&] {
        const QImage now = grabScreen();
        const bool settled = now == under;
        under = now;
        return settled;
    }());

    window().videoCommands().VideoWndClick();
    QTRY_VERIFY(form.isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QImage drawn = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRegion shape = ShapeOfPicture(RemotePicture());
    // Without a compositor the X server itself cuts the window to its shape.
    const auto mismatch = [&] {
        const QImage onScreen = grabScreen();
        for (int y = 0; y < place.height(); ++y) {
            for (int x = 0; x < place.width(); ++x) {
                const QRgb expected
                    = shape.contains(QPoint(x, y)) ? drawn.pixel(x, y) : under.pixel(x, y);
                if (onScreen.pixel(x, y) != expected)
                    return QStringLiteral("%1, %2").arg(x).arg(y);
            }
        }
        return QString();
    };
    QTRY_COMPARE(mismatch(), QString());
}

QTEST_MAIN(TestFormRemote)
#include "tst_form_remote.moc"
