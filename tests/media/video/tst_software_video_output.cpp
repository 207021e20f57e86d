// The software output hands each new frame from its render thread to the screen: a film that
// turns from red to blue must be seen turning, in a window of its shape and in a wider one
// that letter-boxes it, drawn at the size it is shown at.
#include "media/filter_graph.h"
#include "media/software_video_output.h"
#include "media/video_window.h"

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

} // namespace

class TestSoftwareVideoOutput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }
    void newFramesReachTheScreen_data();
    void newFramesReachTheScreen();
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

QTEST_MAIN(TestSoftwareVideoOutput)
#include "tst_software_video_output.moc"
