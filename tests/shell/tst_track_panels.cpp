// The subtitle track panels on the real window: tracks opened and saved through the file
// dialogs, offset and duration typed by the user, and the lists over the demo film.
#include "controls/rlistview.h"
#include "controls/time_edit.h"
#include "controls/track_panel.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "shell/main_window.h"
#include "shell/popup_menus.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_writer.h"
#include "support/file_size_limit.h"
#include "window_test_support.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <clocale>
#include <functional>

using namespace duvara;
using namespace duvara::test;

namespace {

// "Entry 1", "Entry 2", ... `step` ms apart from `first`, each lasting two thirds of a step.
QByteArray srtTrack(int count, int first = 5000, int step = 1500)
{
    const auto time = [](int ms) {
        return QTime::fromMSecsSinceStartOfDay(ms).toString(QStringLiteral("hh:mm:ss,zzz"));
    };
    QString text;
    for (int i = 0, start = first; i < count; ++i, start += step)
        text += QStringLiteral("%1\n%2 --> %3\nEntry %1\n\n")
                    .arg(i + 1)
                    .arg(time(start), time(start + step * 2 / 3));
    return text.toUtf8();
}

// Closes the next message box, keeping its title and text.
void closeNextMessageBox(QString &seen)
{
    onNextModal<QMessageBox>([&seen](QMessageBox *box) {
        QCOMPARE(box->icon(), QMessageBox::Critical);
        seen = box->windowTitle() + QLatin1Char('|') + box->text();
        box->accept();
    });
}

} // namespace

class TestTrackPanels : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void cancelRebuildsTheListAndKeepsTheOffset();
    void badFilesAreRefusedAndTheTrackKept_data();
    void badFilesAreRefusedAndTheTrackKept();
    void typedTimesAreClampedAndDefaultResets();
    void saveAsWritesTheCorrectedTimesAndKeepsAFileItCannotReplace();
    void listsOverTheFilm();
    void doubleClickAnywhereInAListTogglesFullScreen();
    void typedNameLeavesNoPopupBehind();
    void hugeLineShowsItsBeginning();
    void trackBeyond65535EntriesIsListedWhole();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    void openTrack(int track, const QString &path);
    TrackPanel &panel1() { return *child<TrackPanel>(m_window, "TabSP"); }

    TFormVDMain *m_window = nullptr;
    QTemporaryDir m_dir;
};

void TestTrackPanels::init()
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
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestTrackPanels::cleanup()
{
    delete m_window;
}

QString TestTrackPanels::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

void TestTrackPanels::openTrack(int track, const QString &path)
{
    child<QTabWidget>(m_window, "PageCntrl")->setCurrentIndex(track);
    onNextModal<QFileDialog>([path](QFileDialog *dialog) { chooseFile(dialog, path); });
    QTest::mouseClick(
        (track == 1 ? child<TrackPanel>(m_window, "TabSP") : child<TrackPanel>(m_window, "TabSS"))
            ->BtnOpen,
        Qt::LeftButton);
    // The offscreen platform does not hand the activation back when the dialog closes.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestTrackPanels::cancelRebuildsTheListAndKeepsTheOffset()
{
    QVERIFY(loadTrack(m_window->primaryTrack(), srtTrack(4).toStdString(), "a.srt"));
    panel1().EditOffset->setValue(1500);
    panel1().ScrDur->setValue(6500); // the span is 5.5 s
    QVERIFY(m_window->primaryTrack().Track().DurFactor > 1.1f);

    child<QTabWidget>(m_window, "PageCntrl")->setCurrentIndex(1);
    onNextModal<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    QTest::mouseClick(panel1().BtnOpen, Qt::LeftButton);
    QCOMPARE(m_window->primaryTrack().Track().DurFactor, 1.0f);
    QCOMPARE(panel1().EditOffset->value(), 1500);
    QCOMPARE(panel1().EditDur->text(), QStringLiteral("00:00:05,500"));
    QCOMPARE(cell(child<SubtitleListView>(m_window, "LstSubt1"), 3, 1),
             QStringLiteral("00:00:11,000 - 00:00:12,000"));
    QVERIFY(
        child<TRPopupMenu>(m_window, "PopupMenu1")->item(QStringLiteral("MnuClear1"))->isEnabled());
}

void TestTrackPanels::badFilesAreRefusedAndTheTrackKept_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("no entry") << QByteArray("Some notes\nwithout any times\n");
}

void TestTrackPanels::badFilesAreRefusedAndTheTrackKept()
{
    QFETCH(QByteArray, bytes);
    const QString bad = writeFile(QStringLiteral("bad.srt"), bytes);
    const QString message = QStringLiteral("Error|File load error or unsupported file format");
    openTrack(1, writeFile(QStringLiteral("good.srt"), srtTrack(4)));
    QString seen;
    closeNextMessageBox(seen);
    openTrack(1, bad);
    QCOMPARE(seen, message);
    QCOMPARE(rowCount(child<SubtitleListView>(m_window, "LstSubt1")), 4);
    QVERIFY(panel1().BtnClr->isEnabled());
    QVERIFY(!m_window->synchronisation().VideoCovered());
}

void TestTrackPanels::typedTimesAreClampedAndDefaultResets()
{
    openTrack(1,
              writeFile(QStringLiteral("long.srt"),
                        "1\n00:00:00,000 --> 00:00:01,000\nA\n\n"
                        "2\n01:29:59,000 --> 01:30:00,000\nB\n\n"));
    RTimeEdit *duration = panel1().EditDur;
    QCOMPARE(duration->text(), QStringLiteral("01:30:00,000"));
    duration->setFocus();
    duration->selectAll();
    QTest::keyClicks(duration, QStringLiteral("995959999"));
    QCOMPARE(duration->text(), QStringLiteral("02:00:00,000"));
    QCOMPARE(m_window->primaryTrack().Track().DurFactor, float(7200000.0 / 5400000.0));
    QCOMPARE(cell(child<SubtitleListView>(m_window, "LstSubt1"), 1, 1),
             QStringLiteral("01:59:58,667 - 02:00:00,000"));

    // The arrows step the field under the caret and keep the value in range.
    duration->setFocus();
    QTRY_VERIFY(duration->hasFocus());
    duration->setCursorPosition(4);
    panel1().ArwDur->stepBy(-1);
    QCOMPARE(duration->text(), QStringLiteral("01:59:00,000"));
    QCOMPARE(duration->selectedText(), QStringLiteral("59"));
    panel1().ArwDur->stepBy(1);
    panel1().ArwDur->stepBy(1);
    QCOMPARE(panel1().ScrDur->value(), 7200000);

    for (const auto &[typed, offset] : {std::pair {"70000", 60000}, std::pair {"-70000", -60000}}) {
        panel1().EditOffset->selectAll();
        QTest::keyClicks(panel1().EditOffset, QString::fromLatin1(typed));
        QCOMPARE(panel1().EditOffset->value(), offset);
        QCOMPARE(panel1().ScrOffset->value(), offset);
    }
    QCOMPARE(cell(child<SubtitleListView>(m_window, "LstSubt1"), 0, 1),
             QStringLiteral("00:00:00,000 - 00:00:00,000"));

    QTest::mouseClick(panel1().BtnDef, Qt::LeftButton);
    QCOMPARE(panel1().EditOffset->value(), 0);
    QCOMPARE(m_window->primaryTrack().Track().DurFactor, 1.0f);
    QCOMPARE(cell(child<SubtitleListView>(m_window, "LstSubt1"), 1, 1),
             QStringLiteral("01:29:59,000 - 01:30:00,000"));
}

void TestTrackPanels::saveAsWritesTheCorrectedTimesAndKeepsAFileItCannotReplace()
{
    const QString source = writeFile(QStringLiteral("a.srt"), srtTrack(12345, 0, 100));
    openTrack(1, source);
    QCOMPARE(cell(child<SubtitleListView>(m_window, "LstSubt1"), 0, 0), QStringLiteral("0001"));
    QCOMPARE(cell(child<SubtitleListView>(m_window, "LstSubt1"), 12344, 0),
             QStringLiteral("12345"));
    panel1().EditOffset->setValue(2000);
    const QString target = m_dir.filePath(QStringLiteral("out.srt"));
    QString proposed;
    onNextModal<QFileDialog>([&](QFileDialog *dialog) {
        proposed = dialog->selectedFiles().value(0);
        chooseFile(dialog, target);
    });
    child<TRPopupMenu>(m_window, "PopupMenu1")->item(QStringLiteral("MnuSaveAs1"))->trigger();
    QCOMPARE(QFileInfo(proposed).fileName(), QStringLiteral("a.srt"));
    SubtitleTrack original;
    QVERIFY(LoadSubtitles(original, source.toStdString()));
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll().toStdString(), BuildSubRipText(original, original.BaseTime + 2000));

    // Replacing a file fails part-way: the old file stays whole.
    const QByteArray old = "old contents\r\n";
    const QString kept = writeFile(QStringLiteral("old.srt"), old);
    QString seen;
    onNextModal<QFileDialog>([&](QFileDialog *dialog) {
        onNextModal<QMessageBox>([&](QMessageBox *replace) {
            replace->button(QMessageBox::Yes)->click();
            closeNextMessageBox(seen);
        });
        chooseFile(dialog, kept);
    });
    {
        const test::FileSizeLimit limit(4096);
        QTest::mouseClick(panel1().BtnSaveAs, Qt::LeftButton);
    }
    QCOMPARE(seen, QStringLiteral("Error|File save error"));
    QFile keptFile(kept);
    QVERIFY(keptFile.open(QIODevice::ReadOnly));
    QCOMPARE(keptFile.readAll(), old);
}

void TestTrackPanels::listsOverTheFilm()
{
    m_window->OpenFileByName(QStringLiteral(DUVARA_DEMO_FILM));
    QTRY_VERIFY(child<QSlider>(m_window, "SldPos")->isEnabled());
    QVERIFY(m_window->filterGraph().Pause());
    openTrack(1, writeFile(QStringLiteral("many.srt"), srtTrack(200, 1037, 100)));
    auto *list = child<SubtitleListView>(m_window, "LstSubt1");
    QTabWidget *pages = child<QTabWidget>(m_window, "PageCntrl");
    pages->setCurrentIndex(0);
    QVERIFY(list->isHidden());
    pages->setCurrentIndex(2); // track 2 has no entries
    QVERIFY(list->isHidden() && child<SubtitleListView>(m_window, "LstSubt2")->isHidden());
    pages->setCurrentIndex(1);
    QVERIFY(list->isVisible());

    // Following playback scrolls the list without taking that for the user's scrolling.
    const int top = list->verticalScrollBar()->value();
    child<QSlider>(m_window, "SldPos")->setValue(15000);
    QVERIFY(list->verticalScrollBar()->value() != top);
    QVERIFY(!list->hasFocus());
    QVERIFY(!child<QTimer>(m_window, "TimerLstFocus")->isActive());
    list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    QVERIFY(child<QTimer>(m_window, "TimerLstFocus")->isActive());
    QTRY_VERIFY(list->hasFocus());

    // Entry 12 starts at 2.137 s, at 2.437 s with the offset: 24 tenths of a second.
    panel1().EditOffset->setValue(300);
    child<QTimer>(m_window, "TimerLstFocus")->stop();
    const QModelIndex row = list->model()->index(11, 0);
    list->scrollTo(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(row).center());
    QCOMPARE(child<VideoPage>(m_window, "TabVideo")->SldDS->value(), 24);
    QVERIFY(child<QTimer>(m_window, "TimerLstFocus")->isActive());
    QTRY_VERIFY(qAbs(m_window->filterGraph().CurrentPosition().value_or(0) / 10000 - 2400) < 100);
}

void TestTrackPanels::doubleClickAnywhereInAListTogglesFullScreen()
{
    m_window->OpenFileByName(QStringLiteral(DUVARA_DEMO_FILM));
    QTRY_VERIFY(child<QSlider>(m_window, "SldPos")->isEnabled());
    openTrack(1, writeFile(QStringLiteral("two.srt"), srtTrack(2)));
    auto *list = child<SubtitleListView>(m_window, "LstSubt1");
    QVERIFY(list->isVisible());
    auto *video = child<TDSVideoWindowEx2>(m_window, "VideoWnd");
    // Below the last of the two rows the list is empty.
    const QPoint empty(10, list->viewport()->height() - 5);
    QVERIFY(!list->indexAt(empty).isValid());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, empty);
    QVERIFY(video->FullScreen());
    const QPoint onRow = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onRow);
    QVERIFY(!video->FullScreen());
}

void TestTrackPanels::typedNameLeavesNoPopupBehind()
{
    const QString path = writeFile(QStringLiteral("typed.srt"), srtTrack(3));
    child<QTabWidget>(m_window, "PageCntrl")->setCurrentIndex(1);
    QPointer<QWidget> popup;
    onNextModal<QFileDialog>([&](QFileDialog *dialog) {
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QCompleter *completer = name ? name->completer() : nullptr;
        if (!completer) {
            dialog->reject();
            return;
        }
        // The name typed in full, its completion still offered when the dialog accepts it.
        chooseFile(dialog, path);
        dialog->show();
        name->setFocus();
        completer->complete();
        popup = completer->popup();
        static_cast<QDialog *>(dialog)->accept();
    });
    QTest::mouseClick(panel1().BtnOpen, Qt::LeftButton);
    QCOMPARE(m_window->primaryTrack().Track().SubCount(), 3);
    QVERIFY(popup);
    QVERIFY(!popup->isVisible());

    // The next open starts with an empty name field, not with the last name typed.
    QString offered = QStringLiteral("?");
    onNextModal<QFileDialog>([&](QFileDialog *dialog) {
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            offered = name->text();
        dialog->reject();
    });
    QTest::mouseClick(panel1().BtnOpen, Qt::LeftButton);
    QVERIFY2(offered.isEmpty(), qPrintable(offered));
}

void TestTrackPanels::hugeLineShowsItsBeginning()
{
    m_window->OpenFileByName(QStringLiteral(DUVARA_DEMO_FILM));
    QTRY_VERIFY(child<QSlider>(m_window, "SldPos")->isEnabled());
    QVERIFY(m_window->filterGraph().Pause());
    // One entry of one 20 MB line, as a broken or hostile file may hold.
    const QByteArray line(20 * 1024 * 1024, 'x');
    openTrack(1,
              writeFile(QStringLiteral("huge.srt"),
                        "1\n00:00:01,000 --> 00:00:05,000\n" + line + "\n\n"));
    auto *list = child<SubtitleListView>(m_window, "LstSubt1");
    QVERIFY(list->isVisible());
    const QString row = cell(list, 0, 2);
    QVERIFY(row.size() <= 513 && row.startsWith(QStringLiteral("xxxx")));
    QVERIFY(row.endsWith(QChar(0x2026)));
    list->viewport()->repaint();
    child<QSlider>(m_window, "SldPos")->setValue(2000);
    const QString caption = child<RSubtitleLabel>(m_window, "LblSub1")->TextCaption();
    QVERIFY(caption.size() <= 4097 && caption.startsWith(QStringLiteral("xxxx")));
}

void TestTrackPanels::trackBeyond65535EntriesIsListedWhole()
{
    openTrack(1, writeFile(QStringLiteral("long.srt"), srtTrack(100000, 0, 100)));
    auto *list = child<SubtitleListView>(m_window, "LstSubt1");
    QCOMPARE(rowCount(list), 100000);
    QCOMPARE(cell(list, 99999, 0), QStringLiteral("100000"));
    QCOMPARE(m_window->primaryTrack().Track().SubCount(), 100000);
    list->scrollToBottom();
    list->viewport()->repaint();
}

QTEST_MAIN(TestTrackPanels)
#include "tst_track_panels.moc"
