// Correcting a track on the real window while a film plays: anchors, aligning to the other
// track, nudging keys and the frame rate of a MicroDVD track.
#include "controls/subtitle_list.h"
#include "controls/time_edit.h"
#include "controls/track_panel.h"
#include "presentation/osd_label.h"
#include "shell/main_window.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"
#include "support/srt_time.h"
#include "window_test_support.h"

#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cmath>

using namespace duvara;
using namespace duvara::test;

namespace {

struct Timing
{
    int start;
    int end;
};

// Twenty entries on the demo film's frames (25 a second), with uneven gaps and lengths so
// that no shift by a few entries lines up as well as the true one.
QList<Timing> referenceTimings()
{
    const int steps[] = {22, 25, 28, 31, 24, 27, 30, 23, 26, 29};
    const int lengths[] = {12, 18, 22, 15, 20, 10, 16, 21, 13, 19};
    QList<Timing> timings;
    int frame = 25;
    for (int i = 0; i < 20; ++i) {
        timings.push_back({frame * 40, (frame + lengths[i % 10]) * 40});
        frame += steps[i % 10];
    }
    return timings;
}

QByteArray srtText(const QList<Timing> &timings)
{
    QByteArray text;
    for (int i = 0; i < timings.size(); ++i)
        text += QByteArray::number(i + 1) + "\n" + SrtTimeText(timings[i].start) + " --> "
            + SrtTimeText(timings[i].end) + "\nLine " + QByteArray::number(i + 1) + "\n\n";
    return text;
}

// The reference as another release has it: 3.2 s late and played at 25 instead of 23.976
// frames a second.
QList<Timing> lateAndStretched(const QList<Timing> &reference)
{
    const double stretch = 25.0 / 23.976;
    QList<Timing> moved;
    for (const Timing &t : reference)
        moved.push_back(
            {int(std::lround(t.start * stretch + 3200)), int(std::lround(t.end * stretch + 3200))});
    return moved;
}

QList<Timing> timingsOf(const SubtitleTrack &track)
{
    QList<Timing> timings;
    for (const TSubT &entry : track.Subs)
        timings.push_back({track.BaseTime + RelativeMs(entry.StartTime),
                           track.BaseTime + RelativeMs(entry.EndTime)});
    return timings;
}

// The largest distance between a time of the file and the same time of the reference.
int largestError(const QString &path, const QList<Timing> &reference)
{
    SubtitleTrack saved;
    if (!LoadSubtitles(saved, path.toStdString()))
        return -1;
    const QList<Timing> timings = timingsOf(saved);
    if (timings.size() != reference.size())
        return -1;
    int largest = 0;
    for (int i = 0; i < timings.size(); ++i)
        largest = std::max({largest, std::abs(timings[i].start - reference[i].start),
                            std::abs(timings[i].end - reference[i].end)});
    return largest;
}

} // namespace

class TestQuickCorrections : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void anchorsThenAlignment();
    void nudgeKeysMoveTheActivePagesTrack_data();
    void nudgeKeysMoveTheActivePagesTrack();
    void microDvdFrameRate();

private:
    TrackPanel &panel(int track);
    SubtitleListView *list(int track);
    QString osdText();
    void showPage(int track);
    void playAt(int ms);
    void saveSecondary(const QString &path);

    TFormVDMain *m_window = nullptr;
    QTemporaryDir m_dir;
};

void TestQuickCorrections::init()
{
    std::setlocale(LC_NUMERIC, "C");
    m_window = new TFormVDMain;
    m_window->filterGraph().SetAudioEnabled(false);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    // Wide enough for the on-screen display to show the longer reports whole.
    m_window->resize(1800, m_window->height());
    m_window->OpenFileByName(QStringLiteral(DUVARA_DEMO_FILM));
    QTRY_VERIFY(child<QSlider>(m_window, "SldPos")->isEnabled());
    QVERIFY(m_window->filterGraph().Pause());
}

void TestQuickCorrections::cleanup()
{
    delete m_window;
}

TrackPanel &TestQuickCorrections::panel(int track)
{
    return *child<TrackPanel>(m_window, track == 1 ? "TabSP" : "TabSS");
}

SubtitleListView *TestQuickCorrections::list(int track)
{
    return child<SubtitleListView>(m_window, track == 1 ? "LstSubt1" : "LstSubt2");
}

QString TestQuickCorrections::osdText()
{
    return child<OsdLabel>(m_window, "LblOSDMInf")->text();
}

void TestQuickCorrections::showPage(int track)
{
    auto *pages = child<QTabWidget>(m_window, "PageCntrl");
    pages->setCurrentWidget(&panel(track));
}

void TestQuickCorrections::playAt(int ms)
{
    m_window->filterGraph().SetCurrentPosition(qint64(ms) * 10000);
    QTRY_COMPARE(m_window->filterGraph().CurrentPosition().value_or(-1), qint64(ms) * 10000);
}

void TestQuickCorrections::saveSecondary(const QString &path)
{
    onNextModal<QFileDialog>([path](QFileDialog *dialog) { chooseFile(dialog, path); });
    QTest::mouseClick(panel(2).BtnSaveAs, Qt::LeftButton);
}

void TestQuickCorrections::anchorsThenAlignment()
{
    const QList<Timing> reference = referenceTimings();
    // The primary track is right once its own offset is applied; aligning must take it so.
    QList<Timing> early;
    for (const Timing &t : reference)
        early.push_back({t.start - 500, t.end - 500});
    QVERIFY(loadTrack(m_window->primaryTrack(), srtText(early).toStdString(), "reference.srt"));
    panel(1).EditOffset->setValue(500);
    QVERIFY(loadTrack(m_window->secondaryTrack(),
                      srtText(lateAndStretched(reference)).toStdString(), "late.srt"));
    SubtitleTrackController &secondary = m_window->secondaryTrack();

    // First anchor by the key on the list, the second from its context menu.
    showPage(2);
    SubtitleListView *lines = list(2);
    playAt(reference[1].start);
    lines->setCurrentIndex(lines->model()->index(1, 0));
    lines->setFocus();
    QTRY_VERIFY(lines->hasFocus());
    QTest::keyClick(lines, Qt::Key_Insert);
    QCOMPARE(secondary.Anchors().size(), std::size_t(1));
    QVERIFY2(osdText().startsWith(QStringLiteral("Secondary: -")), qPrintable(osdText()));
    playAt(reference[18].start);
    lines->setCurrentIndex(lines->model()->index(18, 0));
    child<QAction>(m_window, "MnuAnchor2")->trigger();
    QCOMPARE(secondary.Anchors().size(), std::size_t(2));
    QVERIFY2(osdText().contains(QStringLiteral(", \u00D70.95")), qPrintable(osdText()));
    for (int row = 0; row < reference.size(); ++row)
        QCOMPARE(lines->model()->index(row, 0).data(SubtitleRowsModel::AnchorRole).toBool(),
                 row == 1 || row == 18);

    const QString anchored = m_dir.filePath(QStringLiteral("anchored.srt"));
    saveSecondary(anchored);
    const int anchoredError = largestError(anchored, reference);
    qInfo("two anchors: largest error %d ms", anchoredError);
    QVERIFY2(anchoredError >= 0 && anchoredError <= 1, qPrintable(QString::number(anchoredError)));

    // Default forgets anchors and correction alike.
    QTest::mouseClick(panel(2).BtnDef, Qt::LeftButton);
    QVERIFY(secondary.Anchors().empty());
    QCOMPARE(secondary.Offset(), 0);
    QCOMPARE(secondary.TargetSpan(), secondary.Track().SubDuration);
    QVERIFY(!lines->model()->index(1, 0).data(SubtitleRowsModel::AnchorRole).toBool());

    QVERIFY(panel(2).BtnAlign->isEnabled());
    QTest::mouseClick(panel(2).BtnAlign, Qt::LeftButton);
    QVERIFY2(QRegularExpression(QStringLiteral("^Secondary: -\\d+\\.\\d{3} s, \u00D70\\.9\\d{3}$"))
                 .match(osdText())
                 .hasMatch(),
             qPrintable(osdText()));
    const QString aligned = m_dir.filePath(QStringLiteral("aligned.srt"));
    saveSecondary(aligned);
    const int error = largestError(aligned, reference);
    qInfo("aligned: largest error %d ms", error);
    QVERIFY2(error >= 0 && error <= 100, qPrintable(QString::number(error)));

    // Nothing in common: said so, and the correction stays.
    const int offset = secondary.Offset();
    QVERIFY(loadTrack(m_window->primaryTrack(), srtText(reference.mid(0, 3)).toStdString(),
                      "short.srt"));
    QTest::mouseClick(panel(2).BtnAlign, Qt::LeftButton);
    QVERIFY2(osdText().startsWith(QStringLiteral("Secondary: no fit to the other track")),
             qPrintable(osdText()));
    QCOMPARE(secondary.Offset(), offset);

    // Aligning needs both tracks.
    QTest::mouseClick(panel(1).BtnClr, Qt::LeftButton);
    QVERIFY(!panel(1).BtnAlign->isEnabled());
    QVERIFY(!panel(2).BtnAlign->isEnabled());
    QVERIFY(!child<QAction>(m_window, "MnuAlign2")->isEnabled());
}

void TestQuickCorrections::nudgeKeysMoveTheActivePagesTrack_data()
{
    QTest::addColumn<int>("page"); // 0 the video page
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("primary");
    QTest::addColumn<int>("secondary");
    QTest::addColumn<QString>("osd");

    const int ctrl = Qt::ControlModifier;
    const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    QTest::newRow("later") << 2 << int(Qt::Key_Right) << ctrl << 0 << 100 << "Secondary: +0.100 s";
    QTest::newRow("earlier") << 1 << int(Qt::Key_Left) << ctrl << -100 << 0 << "Primary: -0.100 s";
    QTest::newRow("a second later")
        << 1 << int(Qt::Key_Right) << ctrlShift << 1000 << 0 << "Primary: +1.000 s";
    QTest::newRow("a second earlier")
        << 2 << int(Qt::Key_Left) << ctrlShift << 0 << -1000 << "Secondary: -1.000 s";
    QTest::newRow("video page") << 0 << int(Qt::Key_Right) << ctrl << 0 << 0
                                << "Open the Primary or Secondary page to move its track";
}

void TestQuickCorrections::nudgeKeysMoveTheActivePagesTrack()
{
    QFETCH(int, page);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    const std::string text = srtText(referenceTimings()).toStdString();
    QVERIFY(loadTrack(m_window->primaryTrack(), text, "a.srt"));
    QVERIFY(loadTrack(m_window->secondaryTrack(), text, "b.srt"));
    if (page == 0)
        child<QTabWidget>(m_window, "PageCntrl")->setCurrentIndex(0);
    else
        showPage(page);
    QTest::keyClick(m_window, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTEST(m_window->primaryTrack().Offset(), "primary");
    QTEST(m_window->secondaryTrack().Offset(), "secondary");
    QTEST(osdText(), "osd");

    if (page == 0)
        return;
    // An edit with the focus keeps the keys for moving through its text.
    const int before = (page == 1 ? m_window->primaryTrack() : m_window->secondaryTrack()).Offset();
    RTimeEdit *duration = panel(page).EditDur;
    duration->setFocus();
    QTRY_VERIFY(duration->hasFocus());
    QTest::keyClick(duration, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE((page == 1 ? m_window->primaryTrack() : m_window->secondaryTrack()).Offset(), before);

    // At the offset's reach the nearest value is kept, and said so.
    panel(page).EditOffset->setValue(key == Qt::Key_Right ? 59950 : -59950);
    QTest::keyClick(m_window, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE((page == 1 ? m_window->primaryTrack() : m_window->secondaryTrack()).Offset(),
             key == Qt::Key_Right ? 60000 : -60000);
    QVERIFY2(osdText().endsWith(QStringLiteral("(the limit)")), qPrintable(osdText()));
}

void TestQuickCorrections::microDvdFrameRate()
{
    QVERIFY(
        loadTrack(m_window->primaryTrack(), srtText(referenceTimings()).toStdString(), "a.srt"));
    QVERIFY(!panel(1).CmbRate->isEnabled());

    QVERIFY(
        loadTrack(m_window->secondaryTrack(), "{1}{1}25.000\n{250}{300}A\n{500}{550}B\n", "b.sub"));
    QComboBox *rate = panel(2).CmbRate;
    QVERIFY(rate->isEnabled());
    QCOMPARE(rate->currentText(), QStringLiteral("25 fps"));
    SubtitleListView *lines = list(2);
    QCOMPARE(cell(lines, 0, 1), QStringLiteral("00:00:10,000 - 00:00:12,000"));

    const int slower = rate->findText(QStringLiteral("23.976 fps"));
    QVERIFY(slower >= 0);
    rate->setCurrentIndex(slower);
    emit rate->activated(slower);
    QCOMPARE(cell(lines, 0, 1), QStringLiteral("00:00:10,427 - 00:00:12,513"));
    QCOMPARE(cell(lines, 1, 1), QStringLiteral("00:00:20,854 - 00:00:22,940"));
    QCOMPARE(m_window->secondaryTrack().TargetSpan(), 22940 - 10427);
    QCOMPARE(rate->currentText(), QStringLiteral("23.976 fps"));
    QCOMPARE(osdText(), QStringLiteral("Secondary: 23.976 frames a second"));

    // The film's own rate, once the film tells it.
    QTRY_VERIFY(m_window->filterGraph().FilmFrameRate().has_value());
    const int film = rate->count() - 1;
    rate->setCurrentIndex(film);
    emit rate->activated(film);
    QCOMPARE(cell(lines, 0, 1), QStringLiteral("00:00:10,000 - 00:00:12,000"));
    QCOMPARE(rate->currentText(), QStringLiteral("25 fps"));
}

QTEST_MAIN(TestQuickCorrections)
#include "tst_quick_corrections.moc"
