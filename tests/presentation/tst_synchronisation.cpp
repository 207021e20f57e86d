// The synchronisation on its own, with no film loaded: how it drives the captions and lists of
// several tracks from the slider, the pages, the covered state and the position tick.
#include "media/ds_track_bar.h"
#include "media/filter_graph.h"
#include "presentation/subtitle_label.h"
#include "presentation/synchronisation.h"
#include "subtitles/corrections.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"

#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>

#include <clocale>
#include <memory>

using namespace duvara;

namespace {

const char kPrimary[] = "1\n00:00:05,000 --> 00:00:06,000\nFirst\n\n"
                        "2\n00:00:10,000 --> 00:00:12,000\nSecond\n\n"
                        "3\n00:00:20,000 --> 00:00:21,000\nThird\n\n";
const char kSecondary[] = "1\n00:00:03,000 --> 00:00:04,000\nErste\n\n"
                          "2\n00:00:08,000 --> 00:00:09,000\nZweite\n\n";

// A track with what the synchronisation drives for it.
struct Track
{
    SubtitleTrack subtitles;
    QSlider offset;
    RSubtitleLabel *label = nullptr;
    QTreeWidget *list = nullptr;
};

} // namespace

class TestSynchronisation : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void eachTrackFollowsWithItsOwnOffset();
    void nextCaptionIsPreparedUnlessTheVideoIsCovered();
    void listFollowsUnlessTheUserWorksInIt();
    void pageShowsOnlyItsOwnListAndDropsPreparedCaptions();
    void durationTextIsMadeOnceAndStopForgetsIt();
    void nothingFollowsWithoutAFilm();
    void aListKeepsTheFocusForAWhile();

private:
    void addTrack(Track &track, const char *text, const char *name, int page);
    void seek(int ms) { m_slider->setValue(ms); }

    std::unique_ptr<TFilterGraph> m_graph;
    QWidget *m_window = nullptr;
    TDSTrackBar *m_bar = nullptr;
    QSlider *m_slider = nullptr;
    QLabel *m_text = nullptr;
    Synchronisation *m_sync = nullptr;
    std::unique_ptr<Track> m_primary;
    std::unique_ptr<Track> m_secondary;
};

void TestSynchronisation::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
}

void TestSynchronisation::init()
{
    m_graph = std::make_unique<TFilterGraph>();
    m_window = new QWidget;
    m_window->resize(640, 480);
    m_bar = new TDSTrackBar(m_window);
    m_bar->setMaximum(10000); // tenths of a second
    m_slider = new QSlider(Qt::Horizontal, m_window);
    m_slider->setMaximum(100000);
    m_text = new QLabel(m_window);
    m_sync = new Synchronisation(*m_graph, *m_bar, *m_slider, *m_text, m_window);
    m_primary = std::make_unique<Track>();
    m_secondary = std::make_unique<Track>();
    addTrack(*m_primary, kPrimary, "a.srt", 1);
    addTrack(*m_secondary, kSecondary, "b.srt", 2);
}

void TestSynchronisation::cleanup()
{
    delete m_window;
    m_primary.reset();
    m_secondary.reset();
    m_graph.reset();
}

void TestSynchronisation::addTrack(Track &track, const char *text, const char *name, int page)
{
    QVERIFY(LoadSubtitlesFromBuffer(track.subtitles, text, name));
    ResetCorrections(track.subtitles);
    track.offset.setRange(-60000, 60000);
    track.label = new RSubtitleLabel(m_window);
    track.label->resize(600, 100);
    track.list = new QTreeWidget(m_window);
    for (int row = 0; row < track.subtitles.SubCount(); ++row)
        new QTreeWidgetItem(track.list, {QString::number(row + 1)});
    track.list->hide();
    m_sync->AddTrack({&track.subtitles, &track.offset, track.label, track.list, page});
}

void TestSynchronisation::eachTrackFollowsWithItsOwnOffset()
{
    seek(5000);
    QCOMPARE(m_primary->label->TextCaption(), QStringLiteral("First"));
    QVERIFY(m_secondary->label->TextCaption().isEmpty());

    // The secondary track shifted by +2 s: its entry at 3 s now shows at 5 s.
    m_secondary->offset.setValue(2000);
    seek(5100);
    QCOMPARE(m_primary->label->TextCaption(), QStringLiteral("First"));
    QCOMPARE(m_secondary->label->TextCaption(), QStringLiteral("Erste"));
    QCOMPARE(m_secondary->subtitles.LastIndex, 1);

    seek(7000);
    QVERIFY(m_primary->label->TextCaption().isEmpty());
    QVERIFY(m_secondary->label->TextCaption().isEmpty());
}

void TestSynchronisation::nextCaptionIsPreparedUnlessTheVideoIsCovered()
{
    seek(5000);
    QCOMPARE(m_primary->label->TextNextCaption(), QStringLiteral("Second"));
    // The last entry has no next one.
    seek(20000);
    QCOMPARE(m_primary->label->TextCaption(), QStringLiteral("Third"));

    m_primary->label->SetTextNextCaption(QString());
    {
        const VideoCover cover(*m_sync);
        QVERIFY(m_sync->VideoCovered());
        seek(10000);
        QCOMPARE(m_primary->label->TextCaption(), QStringLiteral("Second"));
        QVERIFY(m_primary->label->TextNextCaption().isEmpty());
    }
    QVERIFY(!m_sync->VideoCovered());
}

void TestSynchronisation::listFollowsUnlessTheUserWorksInIt()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QTreeWidget *list = m_primary->list;
    list->show();
    seek(10000);
    QCOMPARE(list->currentItem(), list->topLevelItem(1));

    list->setCurrentItem(list->topLevelItem(0));
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    seek(20000);
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
}

void TestSynchronisation::pageShowsOnlyItsOwnListAndDropsPreparedCaptions()
{
    m_window->show();
    seek(5000);
    QVERIFY(!m_primary->label->TextNextCaption().isEmpty());
    m_sync->PageCntrlChange(1);
    QVERIFY(m_primary->list->isVisible());
    QVERIFY(!m_secondary->list->isVisible());
    QVERIFY(m_primary->label->TextNextCaption().isEmpty());

    m_sync->PageCntrlChange(2);
    QVERIFY(!m_primary->list->isVisible());
    QVERIFY(m_secondary->list->isVisible());

    // A track without entries shows no list on its page.
    m_secondary->subtitles.Clear();
    m_sync->PageCntrlChange(2);
    QVERIFY(!m_secondary->list->isVisible());
    m_sync->PageCntrlChange(0);
    QVERIFY(!m_primary->list->isVisible());
}

void TestSynchronisation::durationTextIsMadeOnceAndStopForgetsIt()
{
    QSignalSpy times(m_sync, &Synchronisation::TimeTextChanged);
    m_sync->SldDSTimer(61000, 5400000);
    QVERIFY(m_slider->isEnabled());
    QCOMPARE(m_text->text(), QStringLiteral("0:01:01 / 1:30:00"));
    QCOMPARE(times.takeLast().at(0).toString(), QStringLiteral("0:01:01"));
    QCOMPARE(m_sync->MediaDuration(), 5400000LL * 10000);

    // A later tick with another duration keeps the text made for this film.
    m_sync->SldDSTimer(62000, 10);
    QCOMPARE(m_text->text(), QStringLiteral("0:01:02 / 1:30:00"));

    m_sync->ShowStopped();
    QVERIFY(!m_slider->isEnabled());
    QCOMPARE(m_slider->value(), 0);
    QCOMPARE(m_sync->MediaDuration(), 0);
    QVERIFY(m_sync->DurationText().isEmpty());
    m_sync->SldDSTimer(1000, 60000);
    QCOMPARE(m_text->text(), QStringLiteral("0:00:01 / 0:01:00"));
}

void TestSynchronisation::nothingFollowsWithoutAFilm()
{
    m_slider->blockSignals(true);
    m_slider->setValue(5000);
    m_slider->blockSignals(false);
    m_sync->Refresh();
    QVERIFY(m_primary->label->TextCaption().isEmpty());
    m_sync->SldPosChange(false);
    QCOMPARE(m_primary->label->TextCaption(), QStringLiteral("First"));
}

void TestSynchronisation::aListKeepsTheFocusForAWhile()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    auto *timer = m_sync->findChild<QTimer *>(QStringLiteral("TimerLstFocus"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 10000);
    m_sync->HoldListFocus();
    QVERIFY(timer->isActive());

    // A disabled slider does not take the focus, but the hold ends all the same.
    m_primary->list->show();
    m_primary->list->setFocus();
    m_slider->setEnabled(false);
    m_sync->TimerLstFocusTimer();
    QVERIFY(!timer->isActive());
    QVERIFY(m_primary->list->hasFocus());

    m_slider->setEnabled(true);
    timer->setInterval(10);
    m_sync->HoldListFocus();
    QTRY_VERIFY(m_slider->hasFocus());
    QVERIFY(!timer->isActive());
}

QTEST_MAIN(TestSynchronisation)
#include "tst_synchronisation.moc"
