// The labels, the slider and the time texts following a real film, with tracks loaded from
// SubRip text and the slider moved while the film is paused.
#include "controls/rlistview.h"
#include "controls/track_panel.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "presentation/gradient_panel.h"
#include "presentation/osd_display.h"
#include "presentation/osd_label.h"
#include "presentation/subtitle_label.h"
#include "shell/main_window.h"
#include "subtitles/subtitle_reader.h"
#include "window_test_support.h"

#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <clocale>

using namespace duvara;
using namespace duvara::test;

namespace {

const char kTrack[] = "1\n00:00:05,000 --> 00:00:06,000\nFirst\n\n"
                      "2\n00:00:10,000 --> 00:00:12,000\n<i>Ten to twelve</i>\n\n"
                      "3\n00:00:14,000 --> 00:00:15,000\nSame\n\n"
                      "4\n00:00:15,000 --> 00:00:16,000\nSame\n\n";

} // namespace

class TestFilmSynchronisation : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void entryShowsFrom150MsBeforeItsStartToBeforeItsEnd_data();
    void entryShowsFrom150MsBeforeItsStartToBeforeItsEnd();
    void sliderSnapsToTenthsAndTextsFollowWhilePaused();
    void entryLookAndNextCaption();
    void equalTextsNeedNoRepaint();
    void offsetMovesTheTrack();
    void emptyTracksLeaveLabelsEmpty();
    void pictureShowsThroughTheSubtitleAreas();
    void secondTrackAndItsList();
    void durationTextIsMadeOncePerFile();
    void preparedCaptionsSurviveThePicturesPaints();

private:
    void seek(int ms);

    TFormVDMain *m_window = nullptr;
};

void TestFilmSynchronisation::init()
{
    std::setlocale(LC_NUMERIC, "C");
    forgetSettings();
    m_window = new TFormVDMain;
    m_window->filterGraph().SetAudioEnabled(false);
    m_window->show();
    // The demo film's own subtitle files stay out of the tracks these tests fill.
    child<TRPopupMenu>(m_window, "PopupMenu1")
        ->item(QStringLiteral("MnuAutoLoad"))
        ->setChecked(false);
    m_window->OpenFileByName(QStringLiteral(DUVARA_DEMO_FILM));
    QTRY_VERIFY(child<QSlider>(m_window, "SldPos")->isEnabled());
    QVERIFY(m_window->filterGraph().Pause());
    QVERIFY(loadTrack(m_window->primaryTrack(), kTrack, "a.srt"));
}

void TestFilmSynchronisation::cleanup()
{
    delete m_window;
}

void TestFilmSynchronisation::seek(int ms)
{
    child<QSlider>(m_window, "SldPos")->setValue(ms);
}

void TestFilmSynchronisation::entryShowsFrom150MsBeforeItsStartToBeforeItsEnd_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("caption");
    QTest::newRow("9.8 s") << 9800 << "";
    QTest::newRow("9.9 s") << 9900 << "Ten to twelve";
    QTest::newRow("11.8 s") << 11800 << "Ten to twelve";
    QTest::newRow("11.9 s") << 11900 << "";
    QTest::newRow("5.0 s") << 5000 << "First";
}

void TestFilmSynchronisation::entryShowsFrom150MsBeforeItsStartToBeforeItsEnd()
{
    QFETCH(int, position);
    QFETCH(QString, caption);
    seek(position);
    QCOMPARE(child<RSubtitleLabel>(m_window, "LblSub1")->TextCaption(), caption);
}

void TestFilmSynchronisation::sliderSnapsToTenthsAndTextsFollowWhilePaused()
{
    seek(9876);
    QCOMPARE(child<QSlider>(m_window, "SldPos")->value(), 9900);
    QCOMPARE(child<VideoPage>(m_window, "TabVideo")->SldDS->value(), 99);
    QCOMPARE(m_window->osd().LblOSDMTime()->text(), QStringLiteral("0:00:09"));
    QCOMPARE(child<QLabel>(m_window, "LblPos")->text(), QStringLiteral("0:00:09 / 0:00:24"));
    seek(61);
    QCOMPARE(child<QSlider>(m_window, "SldPos")->value(), 100);
}

void TestFilmSynchronisation::entryLookAndNextCaption()
{
    seek(10000);
    RSubtitleLabel *label = child<RSubtitleLabel>(m_window, "LblSub1");
    QCOMPARE(label->FontColor(), QColor(Qt::white));
    QVERIFY(label->font().italic());
    QCOMPARE(label->TextNextCaption(), QStringLiteral("Same"));
    QCOMPARE(m_window->primaryTrack().Track().LastIndex, 2);
    // A picture of the window to look at by eye, when asked for.
    if (const QString dir = qEnvironmentVariable("DUVARA_TEST_SNAPSHOTS"); !dir.isEmpty())
        m_window->grab().save(dir + QStringLiteral("/synchronisation.png"));

    // While something covers the video, captions change but none is prepared.
    label->SetTextNextCaption(QString());
    m_window->synchronisation().SetVideoCovered(true);
    seek(5000);
    QCOMPARE(label->TextCaption(), QStringLiteral("First"));
    QVERIFY(label->TextNextCaption().isEmpty());
    QVERIFY(!label->font().italic());
}

void TestFilmSynchronisation::equalTextsNeedNoRepaint()
{
    seek(14000);
    QCOMPARE(child<RSubtitleLabel>(m_window, "LblSub1")->TextCaption(), QStringLiteral("Same"));
    QCOMPARE(m_window->primaryTrack().Track().LastIndex, 3);
    QSignalSpy repaints(child<RSubtitleLabel>(m_window, "LblSub1"), &RSubtitleLabel::OnRePaint);
    seek(14900);
    seek(15500);
    QCOMPARE(child<RSubtitleLabel>(m_window, "LblSub1")->TextCaption(), QStringLiteral("Same"));
    QCOMPARE(m_window->primaryTrack().Track().LastIndex, 3);
    QCOMPARE(repaints.count(), 0);
}

void TestFilmSynchronisation::offsetMovesTheTrack()
{
    child<TrackPanel>(m_window, "TabSP")->ScrOffset->setValue(2000);
    seek(7000);
    QCOMPARE(child<RSubtitleLabel>(m_window, "LblSub1")->TextCaption(), QStringLiteral("First"));
    seek(5000);
    QVERIFY(child<RSubtitleLabel>(m_window, "LblSub1")->TextCaption().isEmpty());
}

void TestFilmSynchronisation::emptyTracksLeaveLabelsEmpty()
{
    m_window->primaryTrack().BtnClrClick();
    seek(10000);
    QVERIFY(child<RSubtitleLabel>(m_window, "LblSub1")->TextCaption().isEmpty());
    QVERIFY(child<RSubtitleLabel>(m_window, "LblSub2")->TextCaption().isEmpty());
}

void TestFilmSynchronisation::pictureShowsThroughTheSubtitleAreas()
{
    seek(10000);
    for (RSubtitleLabel *label :
         {child<RSubtitleLabel>(m_window, "LblSub1"), child<RSubtitleLabel>(m_window, "LblSub2")})
        QVERIFY(!label->PaintsBackground());
    // The demo film's left bar is red, below the caption area's top and above the text.
    const QPoint insidePicture
        = child<TDSVideoWindowEx2>(m_window, "VideoWnd")->mapTo(m_window, QPoint(30, 300));
    const auto pixel = [&] {
        return m_window->grab().toImage().pixel(insidePicture);
    };
    // The picture is drawn as the core delivers it: wait for it rather than for a fixed time.
    QTRY_VERIFY2(qRed(pixel()) > 200 && qGreen(pixel()) < 80 && qBlue(pixel()) < 80,
                 qPrintable(QColor(pixel()).name()));

    // Stopped, the areas turn black and cover the picture.
    QVERIFY(m_window->filterGraph().Stop());
    QVERIFY(child<RSubtitleLabel>(m_window, "LblSub1")->PaintsBackground());
    QCOMPARE(child<RSubtitleLabel>(m_window, "LblSub1")->Color(), QColor(Qt::black));
}

void TestFilmSynchronisation::secondTrackAndItsList()
{
    const char secondTrack[] = "{1}{1}25.000\n{250}{300}{c:$00FFFF}Zehn|Sekunden\n"
                               "{320}{330}Zwei\n{340}{350}Drei\n";
    QVERIFY(loadTrack(m_window->secondaryTrack(), secondTrack, "b.sub"));
    auto *list = child<SubtitleListView>(m_window, "LstSubt2");
    QCOMPARE(rowCount(list), 3);
    list->show();

    seek(10000);
    QCOMPARE(child<RSubtitleLabel>(m_window, "LblSub1")->TextCaption(),
             QStringLiteral("Ten to twelve"));
    QCOMPARE(child<RSubtitleLabel>(m_window, "LblSub2")->TextCaption(),
             QStringLiteral("Zehn\nSekunden"));
    // MicroDVD colours are 0x00BBGGRR: $00FFFF is yellow.
    QCOMPARE(child<RSubtitleLabel>(m_window, "LblSub2")->FontColor(), QColor(Qt::yellow));
    QCOMPARE(list->currentIndex().row(), 0);

    // A list the user is working in is left where it is.
    list->setCurrentIndex(list->model()->index(2, 0));
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    seek(10500);
    QCOMPARE(list->currentIndex().row(), 2);
}

void TestFilmSynchronisation::durationTextIsMadeOncePerFile()
{
    seek(1000);
    QCOMPARE(m_window->synchronisation().DurationText(), QStringLiteral("0:00:24"));
    // Once made, the text stays until the transport resets it for the next file.
    m_window->synchronisation().SetMediaDuration(7 * 10000000LL);
    seek(2000);
    QCOMPARE(child<QLabel>(m_window, "LblPos")->text(), QStringLiteral("0:00:02 / 0:00:24"));
    m_window->synchronisation().ResetDuration();
    m_window->synchronisation().SetMediaDuration(7 * 10000000LL);
    seek(3000);
    QCOMPARE(child<QLabel>(m_window, "LblPos")->text(), QStringLiteral("0:00:03 / 0:00:07"));
}

void TestFilmSynchronisation::preparedCaptionsSurviveThePicturesPaints()
{
    // Eight entries a second apart over the letter-boxed demo film.
    QByteArray text;
    for (int i = 0; i < 8; ++i)
        text += QStringLiteral("%1\n00:00:%2,000 --> 00:00:%2,900\nLine number %1\n\n")
                    .arg(i + 1)
                    .arg(i + 2, 2, 10, QLatin1Char('0'))
                    .toUtf8();
    QVERIFY(loadTrack(m_window->primaryTrack(), text.toStdString(), "eight.srt"));
    auto *video = child<TDSVideoWindowEx2>(m_window, "VideoWnd");
    auto *label = child<RSubtitleLabel>(m_window, "LblSub1");
    QVERIFY(video->VideoRect().height() < video->height());

    seek(2000);
    QCOMPARE(label->TextCaption(), QStringLiteral("Line number 1"));
    const int drawn = label->FreshDrawings();
    for (int i = 1; i < 8; ++i) {
        // The picture and the bars around it paint between two entries.
        m_window->repaint();
        seek((i + 2) * 1000);
        QCOMPARE(label->TextCaption(), QStringLiteral("Line number %1").arg(i + 1));
    }
    QCOMPARE(label->FreshDrawings(), drawn);
}

QTEST_MAIN(TestFilmSynchronisation)
#include "tst_film_synchronisation.moc"
