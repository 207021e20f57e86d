// The video window on the software output, with a real core playing a solid red 4:3 film:
// what reaches the screen is checked on grabbed pixels.
#include "media/filter_graph.h"
#include "media/software_video_output.h"
#include "media/video_window.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <clocale>
#include <stdexcept>

using namespace duvara;

namespace {

const QString kRedFilm = QStringLiteral(DUVARA_VIDEO_MEDIA_DIR "/red43.mp4");

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

bool isBlack(QRgb pixel)
{
    return qRed(pixel) < 20 && qGreen(pixel) < 20 && qBlue(pixel) < 20;
}

// Timers of an object and everything inside it, QTimers and QObject::startTimer alike.
int runningTimers(QObject *root)
{
    const QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    qsizetype count = dispatcher->registeredTimers(root).size();
    for (QObject *child : root->findChildren<QObject *>())
        count += dispatcher->registeredTimers(child).size();
    return int(count);
}

} // namespace

class TestVideoWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void softwareOutputOffscreen();
    void stoppedIsBlackPlayingShowsThePicture();
    void letterBoxFitsThePicture();
    void stretchedAndCropFillTheWindow_data();
    void stretchedAndCropFillTheWindow();
    void keyColouredPanelsLetThePictureThrough();
    void digitalZoom();
    void coloursActOnTheSoftwarePicture();
    void fullScreenOnTheSecondMonitor();
    void cursorHidesWhenIdle();
    void restingWindowRunsNoTimer_data();
    void restingWindowRunsNoTimer();
    void preloadedFilmShowsItsPicture();
    void busyGuiThreadHoldsNoFrameUp();
    void resizedPictureShowsAtOnce();

private:
    void playRedFilm();
    QImage grab() { return m_window->grab().toImage(); }

    TFilterGraph *m_graph = nullptr;
    TDSVideoWindowEx2 *m_window = nullptr;
};

void TestVideoWindow::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
}

void TestVideoWindow::init()
{
    m_graph = new TFilterGraph;
    m_graph->SetAudioEnabled(false);
    m_window = new TDSVideoWindowEx2;
    m_window->resize(612, 457);
    m_window->SetFilterGraph(m_graph);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestVideoWindow::cleanup()
{
    delete m_window;
    delete m_graph;
}

void TestVideoWindow::playRedFilm()
{
    auto *output = dynamic_cast<SoftwareVideoOutput *>(m_window->output());
    QVERIFY(output);
    m_graph->SetActive(true);
    QCOMPARE(m_graph->RenderMediaFile(kRedFilm), 0);
    QVERIFY(m_graph->Play());
    QTRY_VERIFY(output->framesRendered() > 2);
}

void TestVideoWindow::softwareOutputOffscreen()
{
    QVERIFY(m_window->usesSoftwareOutput());
    QCOMPARE(m_window->AspectRatio(), TRatioModes::rmLetterBox);
    QCOMPARE(m_window->ColorKey(), QColor(0x10, 0x00, 0x10));
}

void TestVideoWindow::stoppedIsBlackPlayingShowsThePicture()
{
    QSignalSpy overlay(m_window, &TDSVideoWindowEx2::OnOverlayVisible);
    QVERIFY(isBlack(grab().pixel(306, 228)));
    playRedFilm();
    QVERIFY(m_window->OverlayInUse());
    QVERIFY(m_window->OverlayVisible());
    QCOMPARE(overlay.count(), 1);
    QCOMPARE(overlay.at(0).at(0).toBool(), true);
    QTRY_VERIFY(isRed(grab().pixel(306, 228)));

    QVERIFY(m_graph->Pause());
    QVERIFY(isRed(grab().pixel(306, 228)));

    QVERIFY(m_graph->Stop());
    QCOMPARE(overlay.count(), 2);
    QCOMPARE(overlay.at(1).at(0).toBool(), false);
    QVERIFY(isBlack(grab().pixel(306, 228)));

    QVERIFY(m_graph->Play());
    QTRY_VERIFY(isRed(grab().pixel(306, 228)));
}

void TestVideoWindow::letterBoxFitsThePicture()
{
    playRedFilm();
    QTRY_COMPARE(m_window->VideoRect(), QRect(1, 0, 609, 457));
    QTRY_VERIFY(isRed(grab().pixel(1, 228)));
    const QImage picture = grab();
    QVERIFY(isBlack(picture.pixel(0, 228)));
    QVERIFY(isRed(picture.pixel(609, 228)));
    QVERIFY(isBlack(picture.pixel(611, 228)));
    QVERIFY(isRed(picture.pixel(306, 0)));
    QVERIFY(isRed(picture.pixel(306, 456)));

    // A wide window puts the bars at the sides, a tall one above and below.
    m_window->resize(400, 600);
    QTRY_COMPARE(m_window->VideoRect(), QRect(0, 150, 400, 300));
    QTRY_VERIFY(isRed(grab().pixel(200, 300)));
    QVERIFY(isBlack(grab().pixel(200, 100)));
}

void TestVideoWindow::stretchedAndCropFillTheWindow_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("stretched") << int(TRatioModes::rmStretched);
    QTest::newRow("crop") << int(TRatioModes::rmCrop);
}

void TestVideoWindow::stretchedAndCropFillTheWindow()
{
    QFETCH(int, mode);
    playRedFilm();
    m_window->SetAspectRatio(TRatioModes(mode));
    QCOMPARE(m_window->AspectRatio(), TRatioModes(mode));
    QTRY_COMPARE(m_window->VideoRect(), m_window->rect());
    QTRY_VERIFY(isRed(grab().pixel(0, 228)));
    const QImage picture = grab();
    for (QPoint corner : {QPoint(0, 0), QPoint(611, 0), QPoint(0, 456), QPoint(611, 456)})
        QVERIFY2(isRed(picture.pixel(corner)),
                 qPrintable(QStringLiteral("%1,%2").arg(corner.x()).arg(corner.y())));
}

void TestVideoWindow::keyColouredPanelsLetThePictureThrough()
{
    playRedFilm();
    QTRY_VERIFY(isRed(grab().pixel(306, 400)));

    // A panel without its own background lets the picture show; an opaque one covers it.
    auto *keyed = new QWidget(m_window);
    keyed->setGeometry(0, 300, 612, 157);
    keyed->setAutoFillBackground(false);
    keyed->show();
    auto *opaque = new QWidget(m_window);
    opaque->setGeometry(0, 0, 612, 100);
    QPalette black = opaque->palette();
    black.setColor(QPalette::Window, Qt::black);
    opaque->setPalette(black);
    opaque->setAutoFillBackground(true);
    opaque->show();

    const QImage picture = grab();
    QVERIFY(isRed(picture.pixel(306, 400)));
    QVERIFY(isBlack(picture.pixel(306, 50)));
}

void TestVideoWindow::digitalZoom()
{
    playRedFilm();
    QVERIFY(m_graph->HasCore());
    // The window hands the zoom to the core without waiting for it.
    const auto coreZoom = [this] {
        const std::optional<std::string> zoom = m_graph->CoreProperty("video-zoom");
        return zoom ? std::stod(*zoom) : -1.0;
    };

    m_window->SetDigitalZoom(95);
    QCOMPARE(m_window->DigitalZoom(), 95);
    // The core keeps the exponent in single precision.
    QTRY_VERIFY2(qAbs(coreZoom() - std::log2(20.0)) < 1e-5,
                 qPrintable(QString::number(coreZoom())));

    m_window->SetDigitalZoom(0);
    QTRY_COMPARE(coreZoom(), 0.0);

    try {
        m_window->SetDigitalZoom(100);
        QFAIL("a zoom of 100 was accepted");
    } catch (const std::out_of_range &error) {
        QCOMPARE(QString::fromUtf8(error.what()),
                 QStringLiteral("Value 100 out of range. Value must bee between 0 -> 99"));
    }
    QCOMPARE(m_window->DigitalZoom(), 0);
}

void TestVideoWindow::coloursActOnTheSoftwarePicture()
{
    playRedFilm();
    TColorControl &colours = m_window->ColorControl();
    QCOMPARE(colours.Sharpness(), 0);
    QVERIFY(m_window->Caps().CanControlBrigtness());
    QVERIFY(!m_window->Caps().CanControlGamma());
    QTRY_VERIFY(isRed(grab().pixel(306, 228)));

    // Full brightness washes the red out; the default brings it back.
    colours.SetBrightness(10000);
    QCOMPARE(colours.Brightness(), 10000);
    QTRY_VERIFY(qGreen(grab().pixel(306, 228)) > 150);
    colours.RestoreDefaults();
    QCOMPARE(colours.Brightness(), 750);
    QTRY_VERIFY(isRed(grab().pixel(306, 228)));
}

void TestVideoWindow::fullScreenOnTheSecondMonitor()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QCOMPARE(screens.size(), 2);
    auto *host = new QWidget;
    host->resize(800, 600);
    m_window->setParent(host);
    host->show();
    playRedFilm();

    m_window->EnterFullScreen(screens.at(1));
    QVERIFY(m_window->FullScreen());
    QWidget *fullScreenWindow = m_window->window();
    QVERIFY(fullScreenWindow != host);
    QTRY_COMPARE(fullScreenWindow->geometry(), screens.at(1)->geometry());
    QTRY_COMPARE(m_window->size(), screens.at(1)->size());
    QTRY_VERIFY(isRed(grab().pixel(m_window->width() / 2, m_window->height() / 2)));

    // Entering again changes nothing; leaving brings the window home and shows the picture.
    m_window->EnterFullScreen(screens.at(0));
    QCOMPARE(m_window->window(), fullScreenWindow);
    QVERIFY(m_graph->Stop());
    QSignalSpy overlay(m_window, &TDSVideoWindowEx2::OnOverlayVisible);
    m_window->LeaveFullScreen();
    QVERIFY(!m_window->FullScreen());
    QCOMPARE(m_window->window(), host);
    QVERIFY(!fullScreenWindow->isVisible());
    QCOMPARE(overlay.count(), 1);
    QVERIFY(m_window->OverlayVisible());
    m_window->setParent(nullptr);
    delete host;
}

void TestVideoWindow::cursorHidesWhenIdle()
{
    QSignalSpy shown(m_window, &TDSVideoWindowEx2::OnCursorShowHide);
    m_window->SetAutoHideCursor(3000); // the player's value
    playRedFilm();
    QTest::mouseMove(m_window, QPoint(10, 10));
    QTest::mouseMove(m_window, QPoint(20, 20));
    QVERIFY(!m_window->CursorHidden());
    QTRY_VERIFY_WITH_TIMEOUT(m_window->CursorHidden(), 10000);
    QCOMPARE(m_window->cursor().shape(), Qt::BlankCursor);
    QCOMPARE(shown.last().at(0).toBool(), false);

    QTest::mousePress(m_window, Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(!m_window->CursorHidden());
    QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(shown.last().at(0).toBool(), true);
    QTest::mouseRelease(m_window, Qt::LeftButton, {}, QPoint(20, 20));
}

void TestVideoWindow::restingWindowRunsNoTimer_data()
{
    QTest::addColumn<int>("autoHide");
    QTest::addColumn<bool>("stop");
    QTest::addColumn<bool>("moved");

    QTest::newRow("paused, no auto-hide") << 0 << false << false;
    QTest::newRow("paused, cursor hidden") << 300 << false << false;
    QTest::newRow("moved while paused") << 300 << false << true;
    QTest::newRow("moved while stopped") << 300 << true << true;
}

// While nothing plays, nothing of the window's may tick once the cursor has been hidden.
void TestVideoWindow::restingWindowRunsNoTimer()
{
    QFETCH(int, autoHide);
    QFETCH(bool, stop);
    QFETCH(bool, moved);

    m_window->SetAutoHideCursor(autoHide);
    playRedFilm();
    QVERIFY(stop ? m_graph->Stop() : m_graph->Pause());
    if (moved) {
        QTest::mouseMove(m_window, QPoint(10, 10));
        QTest::mouseMove(m_window, QPoint(40, 30));
        QVERIFY(!m_window->CursorHidden());
    }
    if (autoHide > 0)
        QTRY_VERIFY(m_window->CursorHidden());
    QCOMPARE(runningTimers(m_window), 0);
}

void TestVideoWindow::preloadedFilmShowsItsPicture()
{
    m_graph->PreloadMediaFile(kRedFilm);
    QVERIFY(m_window->output()->hasRenderContext());
    playRedFilm();
    // Placed by the picture's size, which the core had before the session began.
    QTRY_COMPARE(m_window->VideoRect(), QRect(1, 0, 609, 457));
    QTRY_VERIFY(isRed(grab().pixel(306, 228)));
}

void TestVideoWindow::busyGuiThreadHoldsNoFrameUp()
{
    playRedFilm();
    auto *output = dynamic_cast<SoftwareVideoOutput *>(m_window->output());
    // The core holds its video back until each frame is taken: a GUI thread away from its event
    // loop must not hold it up, nor cost a dropped frame.
    const quint64 before = output->framesTaken();
    QDeadlineTimer deadline(10000);
    while (output->framesTaken() < before + 5 && !deadline.hasExpired())
        QThread::msleep(10);
    QVERIFY2(output->framesTaken() >= before + 5,
             qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(output->framesTaken())));
    // Back in its event loop, the GUI thread paints the latest frame.
    const quint64 drawn = output->framesRendered();
    QTRY_VERIFY(output->framesRendered() > drawn);
    QSignalSpy lost(m_graph, &TFilterGraph::LostFramesReported);
    QVERIFY(m_graph->RequestLostFrames());
    QTRY_COMPARE(lost.count(), 1);
    QCOMPARE(lost.at(0).at(0).toLongLong(), 0);
}

void TestVideoWindow::resizedPictureShowsAtOnce()
{
    playRedFilm();
    QTRY_VERIFY(isRed(grab().pixel(306, 228)));
    // Grabbed before the frame at the new size can have arrived: the last one shows stretched.
    m_window->resize(400, 300);
    const QImage picture = grab();
    QCOMPARE(picture.size(), QSize(400, 300));
    QVERIFY(isRed(picture.pixel(200, 150)));
    QVERIFY(isRed(picture.pixel(2, 2)));
}

QTEST_MAIN(TestVideoWindow)
#include "tst_video_window.moc"
