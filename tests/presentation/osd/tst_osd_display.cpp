#include "presentation/color_ref.h"
#include "presentation/gradient_panel.h"
#include "presentation/osd_display.h"
#include "presentation/osd_label.h"

#include <QtTest>

#include <memory>

using namespace duvara;

// What the widget itself paints, on a see-through background.
static QImage paintedImage(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

// A video area with the top subtitle panel that hosts the displays, and the window state the
// display reads and writes.
struct Fixture
{
    QWidget video;
    QWidget *host = nullptr;
    QTimer timerOsd;
    QTimer timerVol;
    OsdPlaybackState state;
    bool videoVisible = true;
    bool covered = false;
    int coverCalls = 0;
    std::unique_ptr<OnScreenDisplay> osd;

    Fixture()
    {
        video.resize(612, 344);
        host = new QWidget(&video);
        host->setGeometry(0, 0, 612, 172);
        OnScreenDisplay::Hooks hooks;
        hooks.playbackState = [this] {
            return state;
        };
        hooks.videoVisible = [this] {
            return videoVisible;
        };
        hooks.setVideoCovered = [this](bool value) {
            covered = value;
            ++coverCalls;
        };
        osd = std::make_unique<OnScreenDisplay>(host, timerOsd, timerVol, hooks);
        video.show();
    }
};

class TestOsdDisplay : public QObject
{
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void initialState();
    void messages_data();
    void messages();
    void longTextsStayOnThePicture();
    void osdTimerHides_data();
    void osdTimerHides();
    void timersHidePanels();
    void volumeModes_data();
    void volumeModes();
    void volumeNeedsVisibleVideo();
    void muteOnIsNotTimed();
    void volumeTimerRestarts();
    void coverIsSharedByBothDisplays();
    void panelPixels_data();
    void panelPixels();
    void labelPixels_data();
    void labelPixels();
    void panelsAboveSubtitleLabel();
};

void TestOsdDisplay::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("underline");
    QTest::newRow("clip") << "LblOSDMNo"
                          << "PnlOSD" << QRect(8, 4, 105, 27) << "Arial Black" << 21 << true;
    QTest::newRow("time") << "LblOSDMTime"
                          << "PnlOSD" << QRect(8, 37, 105, 27) << "Arial" << 27 << false;
    QTest::newRow("state") << "LblOSDMInf"
                           << "PnlOSD" << QRect(8, 65, 201, 27) << "Arial Black" << 19 << false;
    QTest::newRow("mute") << "LblOSDMute"
                          << "PnlVol" << QRect(8, 0, 160, 29) << "Arial Black" << 19 << false;
    QTest::newRow("level") << "LblOSDVol"
                           << "PnlVol" << QRect(8, 24, 160, 27) << "Arial Black" << 19 << false;
}

void TestOsdDisplay::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    QFETCH(QString, family);
    QFETCH(int, pixelSize);
    QFETCH(bool, underline);

    Fixture f;
    auto *label = f.host->findChild<OsdLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->parentWidget()->objectName(), parentName);
    QCOMPARE(label->parentWidget()->parentWidget(), f.host);
    QCOMPARE(label->geometry(), geometry);
    QCOMPARE(label->font().families().value(0), family);
    QCOMPARE(label->font().pixelSize(), pixelSize);
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().underline(), underline);
}

void TestOsdDisplay::initialState()
{
    Fixture f;
    QVERIFY(f.osd->PnlOSD()->isHidden());
    QVERIFY(f.osd->PnlVol()->isHidden());
    QVERIFY(!f.timerOsd.isActive());
    QVERIFY(!f.timerVol.isActive());
    QCOMPARE(f.timerOsd.interval(), 6000);
    QCOMPARE(f.timerVol.interval(), 4000);
    QCOMPARE(f.coverCalls, 0);
    QCOMPARE(f.osd->PnlOSD()->geometry(), QRect(20, 20, 211, 98));
    QCOMPARE(f.osd->LblOSDMNo()->text(), QStringLiteral("Clip"));
    QCOMPARE(f.osd->LblOSDMTime()->text(), QStringLiteral("0:00:00"));

    // The volume panel keeps 192 pixels from the video's right edge.
    QCOMPARE(f.osd->PnlVol()->geometry(), QRect(612 - 192, 20, 174, 53));
    f.osd->LayoutForVideoWidth(1920);
    QCOMPARE(f.osd->PnlVol()->pos(), QPoint(1920 - 192, 20));

    // The position tick's time survives a new message.
    f.osd->SetTimeText(QStringLiteral("1:02:03"));
    f.osd->ShowOsdMessage(OsdMessage::Play);
    QCOMPARE(f.osd->LblOSDMTime()->text(), QStringLiteral("1:02:03"));
}

void TestOsdDisplay::messages_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("speed");
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QString>("state");
    const int play = int(OsdMessage::Play);
    const int speed = int(OsdMessage::Speed);
    // Only Play takes the clip from the playlist; the others keep what an earlier Play wrote
    // (the fixture shows "Clip 9" first).
    QTest::newRow("play, one row") << play << 1 << 0 << 1.0 << "Clip"
                                   << "Play";
    QTest::newRow("play, third of five") << play << 5 << 2 << 1.0 << "Clip 3"
                                         << "Play";
    QTest::newRow("pause") << int(OsdMessage::Pause) << 5 << 2 << 1.0 << "Clip 9"
                           << "Pause";
    QTest::newRow("stop") << int(OsdMessage::Stop) << 1 << 0 << 1.0 << "Clip 9"
                          << "Stop";
    QTest::newRow("forward") << speed << 5 << 2 << 4.0 << "Clip 9"
                             << "Speed: x4";
    QTest::newRow("backward") << speed << 5 << 2 << -0.5 << "Clip 9"
                              << "Rew speed: x0.5";
}

void TestOsdDisplay::messages()
{
    QFETCH(int, kind);
    QFETCH(int, count);
    QFETCH(int, index);
    QFETCH(double, speed);
    QFETCH(QString, clip);
    QFETCH(QString, state);

    Fixture f;
    f.state = {10, 8, 1.0, false};
    f.osd->ShowOsdMessage(OsdMessage::Play);
    QCOMPARE(f.osd->LblOSDMNo()->text(), QStringLiteral("Clip 9"));
    f.osd->TimerOSDTimer();
    QVERIFY(f.osd->PnlOSD()->isHidden());

    f.state = {count, index, speed, false};
    f.osd->ShowOsdMessage(static_cast<OsdMessage>(kind));
    QCOMPARE(f.osd->LblOSDMNo()->text(), clip);
    QCOMPARE(f.osd->LblOSDMInf()->text(), state);
    QVERIFY(f.osd->PnlOSD()->isVisible());
    QVERIFY(f.osd->PnlVol()->isHidden());
    QVERIFY(f.covered);
    QVERIFY(f.timerOsd.isActive());
    QVERIFY(!f.timerVol.isActive());
}

// A text wider than the picture widens the panel only to the picture's right edge and loses
// its middle; a short one leaves the panel as wide as ever.
void TestOsdDisplay::longTextsStayOnThePicture()
{
    Fixture f;
    const int panelWidth = f.osd->PnlOSD()->width();
    f.osd->ShowOsdText(QStringLiteral("Short"));
    QCOMPARE(f.osd->PnlOSD()->width(), panelWidth);

    const QString longText = QStringLiteral("Subtitles found: ") + QString(80, QChar('x'))
        + QStringLiteral(" (secondary)");
    f.osd->ShowOsdText(longText);
    const QString shown = f.osd->LblOSDMInf()->text();
    QVERIFY(shown.startsWith(QStringLiteral("Subtitles found: ")));
    QVERIFY(shown.endsWith(QStringLiteral(" (secondary)")));
    QVERIFY(shown.contains(QChar(0x2026)));
    const QRect panel = f.osd->PnlOSD()->geometry();
    QVERIFY(panel.right() < f.host->width());
    QVERIFY(f.osd->LblOSDMInf()->geometry().right() < panel.width());

    // Wider room, whole text.
    f.video.resize(2400, 344);
    f.host->resize(2400, 172);
    f.osd->ShowOsdText(longText);
    QCOMPARE(f.osd->LblOSDMInf()->text(), longText);
}

void TestOsdDisplay::osdTimerHides_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<bool>("hides");
    QTest::newRow("normal play") << 1.0 << false << true;
    QTest::newRow("paused") << 1.0 << true << false;
    QTest::newRow("fast forward") << 2.0 << false << false;
    QTest::newRow("slow backward") << -0.5 << false << false;
}

void TestOsdDisplay::osdTimerHides()
{
    QFETCH(double, speed);
    QFETCH(bool, paused);
    QFETCH(bool, hides);

    Fixture f;
    f.state = {1, 0, speed, paused};
    f.osd->ShowOsdMessage(OsdMessage::Speed);
    f.osd->TimerOSDTimer();
    QCOMPARE(f.osd->PnlOSD()->isHidden(), hides);
    // Nothing ticks while the display waits for the pause or fast motion to end.
    QVERIFY(!f.timerOsd.isActive());
    QCOMPARE(f.covered, !hides);

    // Back at normal speed without a message of its own (a new file): the timer starts again
    // and its tick takes the display away.
    f.state = {1, 0, 1.0, false};
    f.osd->PlaybackResumed();
    QCOMPARE(f.timerOsd.isActive(), !hides);
    f.osd->TimerOSDTimer();
    QVERIFY(f.osd->PnlOSD()->isHidden());
    QVERIFY(!f.timerOsd.isActive());
    QVERIFY(!f.covered);
}

void TestOsdDisplay::timersHidePanels()
{
    Fixture f;
    f.state = {3, 1, 1.0, false};
    f.osd->ShowOsdMessage(OsdMessage::Play);
    f.osd->ShowVolume(5000);
    QVERIFY(f.covered);
    // The window's timers drive the handlers; shorten them so the test need not wait seconds.
    f.timerOsd.setInterval(30);
    f.timerVol.setInterval(10);
    f.timerOsd.start();
    f.timerVol.start();
    QTRY_VERIFY(f.osd->PnlVol()->isHidden());
    QTRY_VERIFY(f.osd->PnlOSD()->isHidden());
    QVERIFY(!f.osd->LblOSDMute()->isVisibleTo(f.osd->PnlVol()));
    QVERIFY(!f.osd->LblOSDVol()->isVisibleTo(f.osd->PnlVol()));
    QVERIFY(!f.timerOsd.isActive());
    QVERIFY(!f.timerVol.isActive());
    QVERIFY(!f.covered);
}

void TestOsdDisplay::volumeModes_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("muteText");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QString>("bar");
    QTest::addColumn<bool>("barShown");
    QTest::addColumn<bool>("timed");
    const int left = Qt::AlignLeft;
    const int right = Qt::AlignRight;
    QTest::newRow("full") << "volume" << 10000 << "Volume" << left << QString(20, 'I') << true
                          << true;
    QTest::newRow("one") << "volume" << 1 << "Volume" << left << "I" << true << true;
    QTest::newRow("silent, empty bar shown")
        << "volume" << 0 << "Volume" << left << "" << true << true;
    QTest::newRow("mute on") << "muteOn" << 0 << "Mute on" << right << "" << false << false;
    QTest::newRow("mute off") << "muteOff" << 0 << "Mute off" << right << "" << false << true;
}

void TestOsdDisplay::volumeModes()
{
    QFETCH(QString, mode);
    QFETCH(int, level);
    QFETCH(QString, muteText);
    QFETCH(int, alignment);
    QFETCH(QString, bar);
    QFETCH(bool, barShown);
    QFETCH(bool, timed);

    Fixture f;
    // Hidden by an earlier tick: the labels must come back with the panel.
    f.osd->ShowVolume(10000);
    f.osd->TimerVolTimer();
    QVERIFY(f.osd->PnlVol()->isHidden());

    if (mode == QLatin1String("volume"))
        f.osd->ShowVolume(level);
    else if (mode == QLatin1String("muteOn"))
        f.osd->ShowMuteOn();
    else
        f.osd->ShowMuteOff();

    QVERIFY(f.osd->PnlVol()->isVisible());
    QVERIFY(f.osd->PnlOSD()->isHidden());
    QVERIFY(f.osd->LblOSDMute()->isVisible());
    QCOMPARE(f.osd->LblOSDMute()->text(), muteText);
    QCOMPARE(int(f.osd->LblOSDMute()->alignment()), alignment);
    QCOMPARE(f.osd->LblOSDVol()->isVisible(), barShown);
    if (barShown)
        QCOMPARE(f.osd->LblOSDVol()->text(), bar);
    QVERIFY(f.covered);
    QCOMPARE(f.timerVol.isActive(), timed);
    QVERIFY(!f.timerOsd.isActive());
}

void TestOsdDisplay::volumeNeedsVisibleVideo()
{
    Fixture f;
    f.videoVisible = false;
    f.osd->ShowVolume(2600);
    QCOMPARE(f.osd->LblOSDVol()->text(), QStringLiteral("IIIIII"));
    QVERIFY(f.osd->PnlVol()->isHidden());
    QVERIFY(!f.timerVol.isActive());
    QCOMPARE(f.coverCalls, 0);

    // A "Mute on" left up over a hidden video must not become a volume bar that never goes.
    f.osd->ShowMuteOn();
    QVERIFY(!f.timerVol.isActive());
    f.osd->ShowVolume(3000);
    QCOMPARE(f.osd->LblOSDMute()->text(), QStringLiteral("Volume"));
    QVERIFY(f.timerVol.isActive());
}

void TestOsdDisplay::muteOnIsNotTimed()
{
    Fixture f;
    f.osd->ShowMuteOn();
    QVERIFY(!f.timerVol.isActive());
    QVERIFY(f.osd->PnlVol()->isVisible());

    // A volume timer still running from a change just before takes "Mute on" with it.
    f.osd->ShowVolume(4000);
    f.osd->ShowMuteOn();
    QVERIFY(f.timerVol.isActive());
    f.osd->TimerVolTimer();
    QVERIFY(f.osd->PnlVol()->isHidden());
    QVERIFY(!f.covered);
}

void TestOsdDisplay::volumeTimerRestarts()
{
    Fixture f;
    // Coarse timers may move their end by 5 %, which would blur the comparison.
    f.timerVol.setTimerType(Qt::PreciseTimer);
    f.timerOsd.setTimerType(Qt::PreciseTimer);
    f.osd->ShowVolume(5000);
    // Each further change pushes the end back to a full interval from now.
    QTRY_VERIFY(f.timerVol.remainingTime() < 3950);
    f.osd->ShowVolume(5500);
    QVERIFY(f.timerVol.remainingTime() > 3950);
    QTRY_VERIFY(f.timerVol.remainingTime() < 3950);
    f.osd->ShowMuteOff();
    QVERIFY(f.timerVol.remainingTime() > 3950);

    f.state = {1, 0, 1.0, false};
    f.osd->ShowOsdMessage(OsdMessage::Play);
    QTRY_VERIFY(f.timerOsd.remainingTime() < 5950);
    f.osd->ShowOsdMessage(OsdMessage::Stop);
    QVERIFY(f.timerOsd.remainingTime() > 5950);
}

void TestOsdDisplay::coverIsSharedByBothDisplays()
{
    Fixture f;
    f.state = {1, 0, 1.0, false};
    f.osd->ShowOsdMessage(OsdMessage::Play);
    f.osd->ShowVolume(100);
    f.osd->TimerVolTimer();
    QVERIFY2(f.covered, "the state display still covers the video");
    f.osd->ShowVolume(100);
    f.osd->TimerOSDTimer();
    QVERIFY2(f.covered, "the volume display still covers the video");
    f.osd->TimerVolTimer();
    QVERIFY(!f.covered);
}

void TestOsdDisplay::panelPixels_data()
{
    QTest::addColumn<bool>("stateDisplay");
    QTest::addColumn<quint32>("topLeft");
    QTest::addColumn<quint32>("bottomRight");
    QTest::newRow("PnlOSD, black to maroon") << true << 0x000000u << 0x000080u;
    QTest::newRow("PnlVol, maroon to black") << false << 0x000080u << 0x000000u;
}

void TestOsdDisplay::panelPixels()
{
    QFETCH(bool, stateDisplay);
    QFETCH(quint32, topLeft);
    QFETCH(quint32, bottomRight);

    Fixture f;
    GradientPanel *panel = stateDisplay ? f.osd->PnlOSD() : f.osd->PnlVol();
    // The labels would cover the inner pixels.
    const auto labels = panel->findChildren<OsdLabel *>();
    for (OsdLabel *label : labels)
        label->hide();
    const QImage image = paintedImage(panel);
    QCOMPARE(image.size(), panel->size());
    const int w = image.width();
    const int h = image.height();

    const auto ref = [&](int x, int y) {
        return colorToRef(image.pixelColor(x, y));
    };
    // The flat border along each straight edge.
    QCOMPARE(ref(w / 2, 0), 0x00037DF8u);
    QCOMPARE(ref(w / 2, h - 1), 0x00037DF8u);
    QCOMPARE(ref(0, h / 2), 0x00037DF8u);
    QCOMPARE(ref(w - 1, h / 2), 0x00037DF8u);
    // Rounded: the very corner is see-through.
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(image.pixelColor(w - 1, h - 1).alpha(), 0);
    // The diagonal gradient, just inside the rounding at either end.
    const auto near = [](quint32 actual, quint32 expected) {
        const QColor a = colorFromRef(actual);
        const QColor e = colorFromRef(expected);
        return qAbs(a.red() - e.red()) <= 8 && a.green() <= 2 && a.blue() <= 2 && e.green() == 0
            && e.blue() == 0;
    };
    QVERIFY2(near(ref(4, 4), topLeft), qPrintable(QString::number(ref(4, 4), 16)));
    QVERIFY2(near(ref(w - 5, h - 5), bottomRight),
             qPrintable(QString::number(ref(w - 5, h - 5), 16)));
    QCOMPARE(image.pixelColor(w / 2, h / 2).alpha(), 255);
}

void TestOsdDisplay::labelPixels_data()
{
    QTest::addColumn<bool>("mute");
    QTest::addColumn<bool>("rightAligned");
    QTest::newRow("state text, left") << false << false;
    QTest::newRow("mute text, right") << true << true;
}

void TestOsdDisplay::labelPixels()
{
    QFETCH(bool, mute);
    QFETCH(bool, rightAligned);

    Fixture f;
    f.state = {1, 0, 1.0, false};
    OsdLabel *label = nullptr;
    if (mute) {
        f.osd->ShowMuteOn();
        label = f.osd->LblOSDMute();
    } else {
        f.osd->ShowOsdMessage(OsdMessage::Pause);
        label = f.osd->LblOSDMInf();
    }
    const QImage image = paintedImage(label);
    int body = 0;
    int shadow = 0;
    int clear = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 0)
                ++clear;
            else if (c.alpha() == 255 && colorToRef(c) == 0x00037DF8u)
                ++body;
            else if (c.alpha() == 255 && colorToRef(c) == 0x00000080u)
                ++shadow;
        }
    }
    // Solid text and a solid shadow on a see-through background.
    QVERIFY2(body > 20, qPrintable(QString::number(body)));
    QVERIFY2(shadow > 5, qPrintable(QString::number(shadow)));
    QVERIFY(clear > image.width() * image.height() / 2);
    // The text hugs the side it is aligned to; "Pause" and "Mute on" leave the other side clear.
    int minX = image.width();
    int maxX = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).alpha() != 0) {
                minX = qMin(minX, x);
                maxX = qMax(maxX, x);
            }
        }
    }
    if (rightAligned) {
        QVERIFY2(maxX >= image.width() - 4, qPrintable(QString::number(maxX)));
        QVERIFY2(minX > image.width() / 4, qPrintable(QString::number(minX)));
    } else {
        QVERIFY2(minX <= 3, qPrintable(QString::number(minX)));
        QVERIFY2(maxX < image.width() * 3 / 4, qPrintable(QString::number(maxX)));
    }
}

void TestOsdDisplay::panelsAboveSubtitleLabel()
{
    Fixture f;
    // The caption label fills the same host and may be created after the display.
    auto *caption = new QWidget(f.host);
    caption->setGeometry(f.host->rect());
    caption->show();
    f.osd->ShowOsdMessage(OsdMessage::Play);
    f.osd->ShowVolume(100);
    const QObjectList order = f.host->children();
    QVERIFY(order.indexOf(f.osd->PnlOSD()) > order.indexOf(caption));
    QVERIFY(order.indexOf(f.osd->PnlVol()) > order.indexOf(caption));
}

QTEST_MAIN(TestOsdDisplay)
#include "tst_osd_display.moc"
