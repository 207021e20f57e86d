// The menus in the real main window: which shortcuts act when, the volume keys in every
// window, and what opening and closing the window menu does.
#include "controls/form_goto.h"
#include "controls/time_edit.h"
#include "controls/track_panel.h"
#include "shell/menu_icons.h"
#include "window_test_support.h"

#include <QAction>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <clocale>

using namespace duvara;
using namespace duvara::test;

namespace {

QImage pixelsOf(const QIcon &icon)
{
    return icon.pixmap(QSize(16, 16), 1.0).toImage();
}

} // namespace

class TestMenus : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void goToKeyWaitsForPlayback();
    void menuKeysBeforeTheFieldsOwn();
    void playlistKeys();
    void volumeKeysInTheGoToDialog();
    void volumeKeysStayInRange_data();
    void volumeKeysStayInRange();
    void windowMenuWithdrawsPreparedCaptions();
    void fullScreenMarkIsTakenAsTheMenuOpens();
    void muteImageFollowsTheSound();

private:
    void playDemoFilm(int copies = 1);
    // Presses the keys and tells whether the dialog of that name came up (it is closed again).
    bool opens(const char *dialog, const std::function<void()> &press);
    QAction *item(const char *name) const;
    QSlider *volume() const { return child<VideoPage>(m_window, "TabVideo")->SldVol; }

    TFormVDMain *m_window = nullptr;
};

void TestMenus::init()
{
    std::setlocale(LC_NUMERIC, "C");
    m_window = new TFormVDMain;
    m_window->filterGraph().SetAudioEnabled(false);
    m_window->CreateOtherWindows();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestMenus::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

QAction *TestMenus::item(const char *name) const
{
    return child<TRPopupMenu>(m_window, "PopupMenu1")->item(QString::fromLatin1(name));
}

void TestMenus::playDemoFilm(int copies)
{
    QStringList files;
    for (int i = 0; i < copies; ++i)
        files << QStringLiteral(DUVARA_DEMO_FILM);
    m_window->playlist().OpenFiles(files);
    QTRY_VERIFY_WITH_TIMEOUT(child<QSlider>(m_window, "SldPos")->isEnabled(), kPlaybackTimeoutMs);
}

bool TestMenus::opens(const char *name, const std::function<void()> &press)
{
    bool opened = false;
    // Runs inside the dialog's own loop if the keys opened it, or after them if they did not.
    QTimer check;
    check.setSingleShot(true);
    connect(&check, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->objectName() == QLatin1String(name)) {
            opened = true;
            dialog->reject();
        }
    });
    check.start(0);
    press();
    if (!QTest::qWaitFor([&] { return !check.isActive(); }))
        qWarning("the check after the keys never ran");
    // Without a window manager nothing gives the main window its activation back.
    m_window->activateWindow();
    if (!QTest::qWaitFor([this] { return QApplication::activeWindow() == m_window; }))
        qWarning("the main window did not become active again");
    return opened;
}

void TestMenus::goToKeyWaitsForPlayback()
{
    const auto ctrlG = [this] {
        QTest::keyClick(m_window, Qt::Key_G, Qt::ControlModifier);
    };
    QVERIFY(item("MnuGoTo")->isEnabled());
    QVERIFY(!item("MnuNavigate")->isEnabled());
    QVERIFY(!opens("FormGoTo", ctrlG));
    // The menu still shows the key it will answer to.
    QCOMPARE(item("MnuGoTo")->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));

    playDemoFilm();
    QVERIFY(opens("FormGoTo", ctrlG));
    m_window->transport().BtnPauseClick();
    QVERIFY(opens("FormGoTo", ctrlG));
    m_window->transport().BtnStopClick();
    QVERIFY(!opens("FormGoTo", ctrlG));
}

void TestMenus::menuKeysBeforeTheFieldsOwn()
{
    // Ctrl+A would select a field's text; in the main window it is About's, whatever has the
    // focus.
    QVERIFY(
        loadTrack(m_window->primaryTrack(), "1\n00:00:01,000 --> 00:00:02,000\nA\n\n", "a.srt"));
    auto *panel = child<TrackPanel>(m_window, "TabSP");
    child<QTabWidget>(m_window, "PageCntrl")->setCurrentWidget(panel);
    panel->EditDur->setFocus();
    QVERIFY(panel->EditDur->hasFocus());
    QVERIFY(opens("FormAbout",
                  [&] { QTest::keyClick(panel->EditDur, Qt::Key_A, Qt::ControlModifier); }));
    QCOMPARE(panel->EditDur->selectedText(), QString());
}

void TestMenus::playlistKeys()
{
    playDemoFilm(3);
    auto *list = child<RListView>(m_window, "LstPL");
    QCOMPARE(list->topLevelItemCount(), 3);
    const auto ctrlAltR = [list] {
        QTest::keyClick(list, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    };

    // Not while another control has the focus.
    list->topLevelItem(2)->setSelected(true);
    child<QWidget>(m_window, "PageCntrl")->setFocus();
    QTest::keyClick(m_window, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(list->topLevelItemCount(), 3);

    list->setFocus();
    QVERIFY(list->hasFocus());
    ctrlAltR();
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(m_window->playlist().PlayIndex(), 0);

    // With no row selected nothing goes.
    list->clearSelection();
    ctrlAltR();
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(m_window->filterGraph().PlayState(), PlayState::psRunning);
}

void TestMenus::volumeKeysInTheGoToDialog()
{
    playDemoFilm();
    m_window->transport().BtnPauseClick();
    volume()->setValue(5000);
    int afterPlus = -1;
    int afterMinus = -1;
    int keysAtField = -1;
    onNextModal<TFormGoTo>([&](TFormGoTo *dialog) {
        KeyCounter plusAtField(dialog->EditGoTo, Qt::Key_Plus);
        dialog->EditGoTo->setFocus();
        // As the window system delivers it: to the dialog's window, then its focused field.
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Plus, Qt::KeypadModifier);
        afterPlus = volume()->value();
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Minus, Qt::KeypadModifier);
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Minus, Qt::KeypadModifier);
        afterMinus = volume()->value();
        keysAtField = plusAtField.presses;
        dialog->reject();
    });
    QTest::keyClick(m_window, Qt::Key_G, Qt::ControlModifier);
    QTRY_VERIFY(afterPlus >= 0);
    QCOMPARE(afterPlus, 5100);
    QCOMPARE(afterMinus, 4900);
    QCOMPARE(keysAtField, 1);
}

void TestMenus::volumeKeysStayInRange_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("expected");
    QTest::newRow("up to the top") << 9950 << int(Qt::Key_Plus) << 1 << 10000;
    QTest::newRow("not beyond it") << 10000 << int(Qt::Key_Plus) << 2 << 10000;
    QTest::newRow("down to silence") << 50 << int(Qt::Key_Minus) << 1 << 0;
    QTest::newRow("not below it") << 0 << int(Qt::Key_Minus) << 2 << 0;
    QTest::newRow("held down") << 3000 << int(Qt::Key_Plus) << 4 << 3400;
}

void TestMenus::volumeKeysStayInRange()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, presses);
    QFETCH(int, expected);
    volume()->setValue(start);
    QWidget *window = m_window;
    for (int i = 0; i < presses; ++i)
        QTest::keyPress(window->windowHandle(), Qt::Key(key), Qt::KeypadModifier);
    QTest::keyRelease(window->windowHandle(), Qt::Key(key), Qt::KeypadModifier);
    QCOMPARE(volume()->value(), expected);
}

void TestMenus::windowMenuWithdrawsPreparedCaptions()
{
    auto *menu = child<TRPopupMenu>(m_window, "PopupMenu1");
    auto *first = child<RSubtitleLabel>(m_window, "LblSub1");
    auto *second = child<RSubtitleLabel>(m_window, "LblSub2");
    const auto prepare = [&] {
        first->SetTextNextCaption(QStringLiteral("next one"));
        second->SetTextNextCaption(QStringLiteral("next two"));
    };
    prepare();
    menu->popup(m_window->mapToGlobal(QPoint(100, 100)));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QCOMPARE(first->TextNextCaption(), QString());
    QCOMPARE(second->TextNextCaption(), QString());

    // Prepared while the menu was open: gone again once it has closed.
    prepare();
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(first->TextNextCaption(), QString());
    QCOMPARE(second->TextNextCaption(), QString());
}

void TestMenus::fullScreenMarkIsTakenAsTheMenuOpens()
{
    playDemoFilm();
    auto *menu = child<TRPopupMenu>(m_window, "PopupMenu1");
    auto *video = child<TDSVideoWindowEx2>(m_window, "VideoWnd");
    QAction *fullscreen = item("MnuFullscreen");
    const auto openAndClose = [&] {
        menu->popup(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        menu->hide();
    };

    // The picture went fullscreen without the menu's knowing.
    video->EnterFullScreenHere();
    QVERIFY(video->FullScreen());
    fullscreen->setChecked(false);
    openAndClose();
    QVERIFY(fullscreen->isChecked());

    video->LeaveFullScreen();
    QVERIFY(!video->FullScreen());
    fullscreen->setChecked(true);
    openAndClose();
    QVERIFY(!fullscreen->isChecked());
}

void TestMenus::muteImageFollowsTheSound()
{
    QAction *mute = item("MnuMute");
    volume()->setValue(5000);
    const QImage soundOn = pixelsOf(MenuIcon(MenuImage::SoundOn));
    const QImage muted = pixelsOf(MenuIcon(MenuImage::Muted));
    QCOMPARE(pixelsOf(mute->icon()), soundOn);

    QTest::keyClick(m_window, Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(pixelsOf(mute->icon()), muted);
    QTest::keyClick(m_window, Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(pixelsOf(mute->icon()), soundOn);

    // Muted by the button, then unmuted by moving the volume: the image follows both.
    child<VideoPage>(m_window, "TabVideo")->BtnMuteOn->click();
    QCOMPARE(pixelsOf(mute->icon()), muted);
    QTest::keyClick(m_window, Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(pixelsOf(mute->icon()), soundOn);
}

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
