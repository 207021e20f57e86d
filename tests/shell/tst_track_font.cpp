// A track's font chosen in the font dialog on the real window: only OK changes anything, the
// caption scales to the picture, and the character set reaches the caption and the list.
#include "presentation/form_font.h"
#include "window_test_support.h"

#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryFile>
#include <QTest>

#include <clocale>

using namespace duvara;
using namespace duvara::test;

namespace {
using InDialog = std::function<void(TFormFont *)>;

void pick(QComboBox *list, const char *text)
{
    list->setCurrentIndex(list->findText(QString::fromLatin1(text)));
}
} // namespace

class TestTrackFont : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { delete m_window; }
    void onlyOkChangesTheFont_data();
    void onlyOkChangesTheFont();
    void okScalesTheCaptionToThePicture();
    void characterSetReachesCaptionAndList();

private:
    SubtitleTrackController &track(int n)
    {
        return n == 1 ? m_window->primaryTrack() : m_window->secondaryTrack();
    }
    RSubtitleLabel &label(int n)
    {
        return *child<RSubtitleLabel>(m_window, n == 1 ? "LblSub1" : "LblSub2");
    }
    QWidget &panel(int n) { return *child<QWidget>(m_window, n == 1 ? "PnlSub1" : "PnlSub2"); }
    // Opens the track's font dialog from the menu and does `inside` there; a dialog that is
    // still open after it is cancelled.
    void chooseFont(int n, const InDialog &inside)
    {
        m_leftOpen = false;
        onNextModal<TFormFont>([this, inside](TFormFont *dialog) {
            inside(dialog);
            m_leftOpen = dialog->isVisible();
            if (m_leftOpen)
                dialog->reject();
        });
        child<TRPopupMenu>(m_window, "PopupMenu1")
            ->item(QStringLiteral("MnuFont%1").arg(n))
            ->trigger();
        m_window->activateWindow(); // offscreen, the window does not get it back by itself
    }
    void openPausedFilm()
    {
        m_window->OpenFileByName(QStringLiteral(DUVARA_DEMO_FILM));
        QTRY_VERIFY(child<QSlider>(m_window, "SldPos")->isEnabled());
        QVERIFY(m_window->filterGraph().Pause());
    }

    TFormVDMain *m_window = nullptr;
    bool m_leftOpen = false;
};

void TestTrackFont::init()
{
    std::setlocale(LC_NUMERIC, "C");
    m_window = new TFormVDMain;
    m_window->filterGraph().SetAudioEnabled(false);
    m_window->show();
    m_window->CreateOtherWindows();
}

void TestTrackFont::onlyOkChangesTheFont_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<InDialog>("close");
    QTest::newRow("cancel") << 1 << InDialog([](TFormFont *d) { d->BtnCnc->click(); });
    QTest::newRow("escape") << 1
                            << InDialog([](TFormFont *d) { QTest::keyClick(d, Qt::Key_Escape); });
    // Enter where each opening puts the focus: the font list.
    QTest::newRow("enter") << 2 << InDialog([](TFormFont *d) {
        QTest::keyClick(d->focusWidget(), Qt::Key_Return);
    });
    QTest::newRow("ok") << 2 << InDialog([](TFormFont *d) { d->BtnOK->click(); });
}

void TestTrackFont::onlyOkChangesTheFont()
{
    QFETCH(int, n);
    QFETCH(InDialog, close);
    const bool ok = QByteArray(QTest::currentDataTag()) == "ok";
    QVERIFY(loadTrack(track(n), "1\n00:00:01,000 --> 00:00:04,000\nHello\n\n", "a.srt"));
    const QFont panelFont = panel(n).font();
    const QFont labelFont = label(n).font();
    QString title;
    bool covered = false;
    chooseFont(n, [&](TFormFont *dialog) {
        title = dialog->windowTitle();
        covered = m_window->synchronisation().VideoCovered();
        pick(dialog->CmbSize, "48");
        pick(dialog->CmbChs, "Greek");
        close(dialog);
    });
    QCOMPARE(title, n == 1 ? "Primary subtitles font" : "Secondary subtitles font");
    QVERIFY(!m_leftOpen && covered && !m_window->synchronisation().VideoCovered());
    QCOMPARE(panel(n).font() == panelFont, !ok);
    QCOMPARE(label(n).font() == labelFont, !ok);
    QCOMPARE(track(n).Font().charset, ok ? 161 : 0);
    QCOMPARE(panel(3 - n).font().pointSize(), 22); // the other track is never touched
}

void TestTrackFont::okScalesTheCaptionToThePicture()
{
    openPausedFilm();
    // The picture twice the design width of 612 pixels.
    m_window->resize(1224 + m_window->width() - panel(1).width(), 700);
    QTRY_COMPARE(panel(1).width(), 1224);
    QVERIFY(loadTrack(track(1), "1\n00:00:01,000 --> 00:00:04,000\n<i>Hi</i>\n\n", "a.srt"));
    child<QSlider>(m_window, "SldPos")->setValue(2000);
    chooseFont(1, [](TFormFont *dialog) {
        pick(dialog->CmbFnt, "Liberation Serif");
        pick(dialog->CmbSize, "36");
        dialog->BtnOK->click();
    });
    QCOMPARE(track(1).Font().font.pointSize(), 36);
    QCOMPARE(label(1).font().pointSize(), 72);
    QCOMPARE(label(1).font().family(), QStringLiteral("Liberation Serif"));
    QCOMPARE(int(label(1).TextOutlineWidth()), 9); // at once, not at the next layout
    QVERIFY(label(1).font().italic()); // the entry on screen keeps its style
}

void TestTrackFont::characterSetReachesCaptionAndList()
{
    // "Привет, мир!" in the Cyrillic code page, as a file made on such a system has it.
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write("1\r\n00:00:01,000 --> 00:00:04,000\r\n\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0!\r\n");
    file.close();
    openPausedFilm();
    track(1).OpenSubtitleFile(file.fileName());
    track(2).OpenSubtitleFile(file.fileName());
    child<QSlider>(m_window, "SldPos")->setValue(2000);
    const QString western = QString::fromUtf8("Ïðèâåò, ìèð!");
    QCOMPARE(label(1).TextCaption(), western);

    chooseFont(1, [](TFormFont *dialog) {
        pick(dialog->CmbChs, "Cyrillic");
        dialog->BtnOK->click();
    });
    const QString cyrillic = QString::fromUtf8("Привет, мир!");
    QCOMPARE(label(1).TextCaption(), cyrillic);
    QCOMPARE(cell(child<SubtitleListView>(m_window, "LstSubt1"), 0, 2), cyrillic);
    QCOMPARE(track(1).Font().charset, 204);
    // The other track keeps its own character set.
    QCOMPARE(label(2).TextCaption(), western);
    QCOMPARE(cell(child<SubtitleListView>(m_window, "LstSubt2"), 0, 2), western);
}

QTEST_MAIN(TestTrackFont)
#include "tst_track_font.moc"
