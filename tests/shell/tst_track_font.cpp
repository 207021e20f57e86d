// A track's font chosen in the font dialog on the real window: when it is offered, that only
// OK changes anything, the size the caption takes on a wide picture, and the character set
// reaching the caption and the list at once.
#include "controls/track_panel.h"
#include "presentation/form_font.h"
#include "presentation/subtitle_label.h"
#include "shell/main_window.h"
#include "shell/popup_menus.h"
#include "window_test_support.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <functional>

using namespace duvara;
using namespace duvara::test;

namespace {

const char kTrack[] = "1\n00:00:01,000 --> 00:00:04,000\nHello\n\n";

// "Привет, мир!" in the Cyrillic code page, as a subtitle file made on such a system has it.
const char kCyrillicTrack[] = "1\r\n00:00:01,000 --> 00:00:04,000\r\n"
                              "\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0!\r\n\r\n";

using CloseDialog = std::function<void(TFormFont *)>;

} // namespace

class TestTrackFont : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void fontIsOfferedWhileTheTrackHasEntries();
    void onlyOkChangesTheFont_data();
    void onlyOkChangesTheFont();
    void okScalesTheCaptionToThePicture();
    void characterSetReachesCaptionAndListAtOnce();

private:
    TrackPanel &panel(int track)
    {
        return *child<TrackPanel>(m_window, track == 1 ? "TabSP" : "TabSS");
    }
    SubtitleTrackController &controller(int track)
    {
        return track == 1 ? m_window->primaryTrack() : m_window->secondaryTrack();
    }
    RSubtitleLabel &label(int track)
    {
        return *child<RSubtitleLabel>(m_window, track == 1 ? "LblSub1" : "LblSub2");
    }
    QWidget &subtitlePanel(int track)
    {
        return *child<QWidget>(m_window, track == 1 ? "PnlSub1" : "PnlSub2");
    }
    // Presses the track's Font button and does `inside` in the dialog it opens.
    void chooseFont(int track, const CloseDialog &inside);

    TFormVDMain *m_window = nullptr;
};

void TestTrackFont::init()
{
    std::setlocale(LC_NUMERIC, "C");
    m_window = new TFormVDMain;
    m_window->filterGraph().SetAudioEnabled(false);
    m_window->show();
    m_window->CreateOtherWindows();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestTrackFont::cleanup()
{
    delete m_window;
}

void TestTrackFont::chooseFont(int track, const CloseDialog &inside)
{
    bool answered = false;
    onNextModal<TFormFont>([&answered, inside](TFormFont *dialog) {
        answered = true;
        inside(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QTest::mouseClick(panel(track).BtnFont, Qt::LeftButton);
    QVERIFY(answered);
    // The offscreen platform does not hand the activation back when the dialog closes.
    m_window->activateWindow();
}

void TestTrackFont::fontIsOfferedWhileTheTrackHasEntries()
{
    QAction *item = child<TRPopupMenu>(m_window, "PopupMenu1")->item(QStringLiteral("MnuFont1"));
    QVERIFY(!panel(1).BtnFont->isEnabled());
    QVERIFY(!item->isEnabled());
    QVERIFY(loadTrack(controller(1), kTrack, "a.srt"));
    QVERIFY(panel(1).BtnFont->isEnabled());
    QVERIFY(!panel(1).BtnFont->toolTip().contains(QStringLiteral("Not available")));
    QVERIFY(item->isEnabled());
    // The menu item opens the same dialog.
    QString title;
    onNextModal<TFormFont>([&title](TFormFont *dialog) {
        title = dialog->windowTitle();
        dialog->reject();
    });
    item->trigger();
    QCOMPARE(title, QStringLiteral("Primary subtitles font"));
    QTest::mouseClick(panel(1).BtnClr, Qt::LeftButton);
    QVERIFY(!panel(1).BtnFont->isEnabled());
    QVERIFY(!item->isEnabled());
}

void TestTrackFont::onlyOkChangesTheFont_data()
{
    QTest::addColumn<int>("track");
    QTest::addColumn<CloseDialog>("close");
    QTest::addColumn<bool>("changes");
    const CloseDialog cancel = [](TFormFont *d) {
        QTest::mouseClick(d->BtnCnc, Qt::LeftButton);
    };
    const CloseDialog escape = [](TFormFont *d) {
        QTest::keyClick(d, Qt::Key_Escape);
    };
    const CloseDialog enter = [](TFormFont *d) {
        QTest::keyClick(d->focusWidget(), Qt::Key_Return);
    };
    const CloseDialog ok = [](TFormFont *d) {
        QTest::mouseClick(d->BtnOK, Qt::LeftButton);
    };
    QTest::newRow("primary, cancel") << 1 << cancel << false;
    QTest::newRow("primary, escape") << 1 << escape << false;
    QTest::newRow("primary, enter") << 1 << enter << false;
    QTest::newRow("secondary, escape") << 2 << escape << false;
    QTest::newRow("secondary, ok") << 2 << ok << true;
}

void TestTrackFont::onlyOkChangesTheFont()
{
    QFETCH(int, track);
    QFETCH(CloseDialog, close);
    QFETCH(bool, changes);
    QVERIFY(loadTrack(controller(track), kTrack, "a.srt"));
    const QFont panelFont = subtitlePanel(track).font();
    const QFont labelFont = label(track).font();

    QString title;
    bool covered = false;
    chooseFont(track, [&](TFormFont *dialog) {
        title = dialog->windowTitle();
        covered = m_window->synchronisation().VideoCovered();
        dialog->CmbSize->setCurrentIndex(dialog->CmbSize->findText(QStringLiteral("48")));
        dialog->CmbChs->setCurrentIndex(dialog->CmbChs->findText(QStringLiteral("Greek")));
        close(dialog);
    });
    QCOMPARE(title,
             track == 1 ? QStringLiteral("Primary subtitles font")
                        : QStringLiteral("Secondary subtitles font"));
    QVERIFY(covered);
    QVERIFY(!m_window->synchronisation().VideoCovered());
    if (changes) {
        QCOMPARE(subtitlePanel(track).font().pointSize(), 48);
        QCOMPARE(controller(track).Font().charset, 161);
    } else {
        QCOMPARE(subtitlePanel(track).font(), panelFont);
        QCOMPARE(label(track).font(), labelFont);
        QCOMPARE(controller(track).Font().charset, 0);
    }
    // The other track is never touched.
    QCOMPARE(subtitlePanel(3 - track).font().pointSize(), 22);
    QCOMPARE(controller(3 - track).Font().charset, 0);
}

void TestTrackFont::okScalesTheCaptionToThePicture()
{
    // The picture twice the design width of 612 pixels.
    m_window->OpenFileByName(QStringLiteral(DUVARA_DEMO_FILM));
    QTRY_VERIFY(child<QSlider>(m_window, "SldPos")->isEnabled());
    QVERIFY(m_window->filterGraph().Pause());
    m_window->resize(1224 + m_window->width() - subtitlePanel(1).width(), 700);
    QTRY_COMPARE(subtitlePanel(1).width(), 1224);
    QVERIFY(
        loadTrack(controller(1), "1\n00:00:01,000 --> 00:00:04,000\n<i>Hello</i>\n\n", "a.srt"));
    child<QSlider>(m_window, "SldPos")->setValue(2000);
    QVERIFY(label(1).font().italic());
    chooseFont(1, [](TFormFont *dialog) {
        dialog->CmbFnt->setCurrentIndex(
            dialog->CmbFnt->findText(QStringLiteral("Liberation Serif")));
        dialog->CmbSize->setCurrentIndex(dialog->CmbSize->findText(QStringLiteral("36")));
        QTest::mouseClick(dialog->BtnOK, Qt::LeftButton);
    });
    QCOMPARE(subtitlePanel(1).font().pointSize(), 36);
    QCOMPARE(subtitlePanel(1).font().family(), QStringLiteral("Liberation Serif"));
    QCOMPARE(label(1).font().pointSize(), 72);
    QCOMPARE(label(1).font().family(), QStringLiteral("Liberation Serif"));
    QCOMPARE(int(label(1).TextOutlineWidth()), 9);
    // The entry on screen keeps its own style in the new face.
    QCOMPARE(label(1).TextCaption(), QStringLiteral("Hello"));
    QVERIFY(label(1).font().italic());
    // What the settings keep is the design size.
    QCOMPARE(controller(1).Font().font.pointSize(), 36);

    // A panel size the list does not offer stays what it is when OK changes nothing else.
    QFont odd = subtitlePanel(1).font();
    odd.setPointSize(23);
    controller(1).SetFont({odd, 0});
    chooseFont(1, [](TFormFont *dialog) {
        QCOMPARE(dialog->CmbSize->currentText(), QStringLiteral("36"));
        QTest::mouseClick(dialog->BtnOK, Qt::LeftButton);
    });
    QCOMPARE(subtitlePanel(1).font().pointSize(), 23);
    QCOMPARE(label(1).font().pointSize(), 46);
}

void TestTrackFont::characterSetReachesCaptionAndListAtOnce()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cyrillic.srt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kCyrillicTrack);
    file.close();

    m_window->OpenFileByName(QStringLiteral(DUVARA_DEMO_FILM));
    QTRY_VERIFY(child<QSlider>(m_window, "SldPos")->isEnabled());
    QVERIFY(m_window->filterGraph().Pause());
    controller(1).OpenSubtitleFile(path);
    controller(2).OpenSubtitleFile(path);
    child<QTabWidget>(m_window, "PageCntrl")->setCurrentIndex(1);
    child<QSlider>(m_window, "SldPos")->setValue(2000);
    const QString western
        = QString::fromUtf8("\u00cf\u00f0\u00e8\u00e2\u00e5\u00f2, \u00ec\u00e8\u00f0!");
    QCOMPARE(label(1).TextCaption(), western);
    const auto *list = child<SubtitleListView>(m_window, "LstSubt1");
    QCOMPARE(cell(list, 0, 2), western);

    chooseFont(1, [](TFormFont *dialog) {
        dialog->CmbChs->setCurrentIndex(dialog->CmbChs->findText(QStringLiteral("Cyrillic")));
        QTest::mouseClick(dialog->BtnOK, Qt::LeftButton);
    });
    const QString cyrillic = QString::fromUtf8("Привет, мир!");
    QCOMPARE(controller(1).Font().charset, 204);
    QCOMPARE(label(1).TextCaption(), cyrillic);
    QCOMPARE(cell(list, 0, 2), cyrillic);
    // The secondary track keeps its own character set.
    QCOMPARE(label(2).TextCaption(), western);
    QCOMPARE(cell(child<SubtitleListView>(m_window, "LstSubt2"), 0, 2), western);
}

QTEST_MAIN(TestTrackFont)
#include "tst_track_font.moc"
