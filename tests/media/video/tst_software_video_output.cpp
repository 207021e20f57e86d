// The software output hands each new frame to the screen when it is due: a film that turns from
// red to blue must be seen turning, in a window of its shape and in a wider one that letter-boxes
// it, drawn at the size it is shown at; and what lies over the picture stays over it, whether the
// picture is drawn straight into the window's buffer around it or a part of it is painted on its
// own.
#include "media/filter_graph.h"
#include "media/software_video_output.h"
#include "media/video_window.h"

#include <QPainter>
#include <QScreen>
#include <QTest>

#include <clocale>

using namespace duvara;

namespace {

const QString kRedThenBlue = QStringLiteral(DUVARA_VIDEO_MEDIA_DIR "/red-then-blue.mp4");

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

bool isBlue(QRgb pixel)
{
    return qBlue(pixel) > 200 && qRed(pixel) < 60 && qGreen(pixel) < 60;
}

// A widget over the picture that paints a square of its colour in its middle and nothing
// around it (a caption's text), or, opaque, fills itself (a panel).
class Overlay : public QWidget
{
public:
    Overlay(QWidget *parent, QColor color, bool opaque)
        : QWidget(parent)
        , m_color(color)
        , m_opaque(opaque)
    {
        setAttribute(Qt::WA_OpaquePaintEvent, opaque);
    }
    void setColor(QColor color)
    {
        m_color = color;
        repaint();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (m_opaque)
            painter.fillRect(rect(), m_color);
        else
            painter.fillRect(
                QRect(QPoint(0, 0), QSize(10, 10)).translated(rect().center() - QPoint(5, 5)),
                m_color);
    }

private:
    QColor m_color;
    bool m_opaque;
};

// What the window system is shown: the window's buffer, not a fresh paint of the widgets.
QImage shownOnScreen(QWidget &window)
{
    return window.screen()->grabWindow(window.winId()).toImage();
}

} // namespace

class TestSoftwareVideoOutput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }
    void newFramesReachTheScreen_data();
    void newFramesReachTheScreen();
    void widgetsOverThePictureStayOverIt_data();
    void widgetsOverThePictureStayOverIt();
};

void TestSoftwareVideoOutput::newFramesReachTheScreen_data()
{
    QTest::addColumn<QSize>("windowSize");
    QTest::addColumn<QPoint>("inside");
    QTest::newRow("small window") << QSize(320, 240) << QPoint(160, 120);
    // Wider than the picture: the output covers the letter-boxed picture only.
    QTest::newRow("wide window") << QSize(1280, 540) << QPoint(640, 270);
}

void TestSoftwareVideoOutput::newFramesReachTheScreen()
{
    QFETCH(QSize, windowSize);
    QFETCH(QPoint, inside);
    TFilterGraph graph;
    graph.SetAudioEnabled(false);
    TDSVideoWindowEx2 window;
    window.resize(windowSize);
    window.SetFilterGraph(&graph);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *output = dynamic_cast<SoftwareVideoOutput *>(window.output());
    QVERIFY(output);

    graph.SetActive(true);
    QCOMPARE(graph.RenderMediaFile(kRedThenBlue), 0);
    QVERIFY(graph.Play());
    QTRY_VERIFY(isRed(window.grab().toImage().pixel(inside)));
    QTRY_VERIFY_WITH_TIMEOUT(isBlue(window.grab().toImage().pixel(inside)), 10000);

    // Drawn at the size shown: no stretching between the renderer and the window.
    const QRect picture = output->geometry();
    QCOMPARE(picture.height(), windowSize.height());
    QCOMPARE(picture.width(), windowSize.height() * 4 / 3);
    const QImage shown = output->grab().toImage();
    QVERIFY(isBlue(shown.pixel(0, 0)));
    QVERIFY(isBlue(shown.pixel(shown.width() - 1, shown.height() - 1)));
    window.SetFilterGraph(nullptr);
}

void TestSoftwareVideoOutput::widgetsOverThePictureStayOverIt_data()
{
    QTest::addColumn<bool>("opaque");
    QTest::addColumn<bool>("fullScreen");
    // A caption lets the picture show around its text: the frames are drawn straight into the
    // window's buffer, and the caption painted over them.
    QTest::newRow("caption") << false << false;
    // An opaque panel is left out of the picture's paints: it is kept aside while each frame is
    // drawn into the buffer, and must not be wiped out.
    QTest::newRow("opaque panel") << true << false;
    // A caption that changes over the fullscreen picture has the whole picture painted under it,
    // not a screen-sized image of it.
    QTest::newRow("caption in fullscreen") << false << true;
}

void TestSoftwareVideoOutput::widgetsOverThePictureStayOverIt()
{
    QFETCH(bool, opaque);
    QFETCH(bool, fullScreen);
    TFilterGraph graph;
    graph.SetAudioEnabled(false);
    TDSVideoWindowEx2 window;
    window.resize(320, 240);
    window.SetFilterGraph(&graph);
    Overlay overlay(&window, Qt::green, opaque);
    overlay.setGeometry(40, 150, 120, 40);
    if (fullScreen)
        window.showFullScreen();
    else
        window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *output = dynamic_cast<SoftwareVideoOutput *>(window.output());
    QVERIFY(output);
    // Over the picture, away from the overlay; and beside the caption's text.
    const QPoint picture = window.rect().center() - QPoint(0, window.height() / 8);
    const QPoint beside = overlay.geometry().topLeft() + QPoint(2, 2);

    graph.SetActive(true);
    QCOMPARE(graph.RenderMediaFile(kRedThenBlue), 0);
    QVERIFY(graph.Play());
    QTRY_VERIFY(isRed(shownOnScreen(window).pixel(picture)));
    QTRY_VERIFY_WITH_TIMEOUT(isBlue(shownOnScreen(window).pixel(picture)), 10000);
    QImage shown = shownOnScreen(window);
    QCOMPARE(shown.pixel(overlay.geometry().center()), QColor(Qt::green).rgb());
    QVERIFY(opaque ? shown.pixel(beside) == QColor(Qt::green).rgb() : isBlue(shown.pixel(beside)));
    // Every frame went straight into the buffer, the opaque panel's too.
    QVERIFY(output->directPaints() > 0);
    QCOMPARE(output->imagePaints(), quint64(0));

    // An overlay that changes over the paused picture repaints a part of it: around the new
    // text lies the picture, not the old text.
    QVERIFY(graph.Pause());
    overlay.setColor(Qt::magenta);
    shown = shownOnScreen(window);
    QCOMPARE(shown.pixel(overlay.geometry().center()), QColor(Qt::magenta).rgb());
    if (!opaque)
        QVERIFY(isBlue(shown.pixel(beside)));
    QVERIFY(isBlue(shown.pixel(picture)));
    if (fullScreen)
        QCOMPARE(output->imagePaints(), quint64(0));
    window.SetFilterGraph(nullptr);
}

QTEST_MAIN(TestSoftwareVideoOutput)
#include "tst_software_video_output.moc"
