// The recent films: the list's rules and captions, its keys in the settings file (names kept
// byte for byte), and on the real window the menu that greys a film whose file is gone and takes
// it out, with the message a missing film gets, when it is chosen.
#include "shell/playlist_file.h"
#include "shell/recent_files.h"
#include "shell/settings_store.h"
#include "window_test_support.h"

#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using namespace duvara;
using namespace duvara::test;

namespace {

QStringList films(int count)
{
    QStringList list;
    for (int i = 1; i <= count; ++i)
        list << QStringLiteral("/f/%1.mp4").arg(i);
    return list;
}

} // namespace

class TestRecentFiles : public QObject
{
    Q_OBJECT
private slots:
    void opening_data();
    void opening();
    void captionsAndRemoval();
    void keptInTheSettingsFileByteForByte();
    void menuGreysAMissingFilmAndTakesItOutWhenChosen();
};

void TestRecentFiles::opening_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("film");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("goes first") << films(2) << "/f/a.mp4"
                                << QStringList {"/f/a.mp4", "/f/1.mp4", "/f/2.mp4"};
    QTest::newRow("listed already: moves up")
        << films(3) << "/f/3.mp4" << QStringList {"/f/3.mp4", "/f/1.mp4", "/f/2.mp4"};
    QTest::newRow("another spelling")
        << films(2) << "/f/x/../2.mp4" << QStringList {"/f/2.mp4", "/f/1.mp4"};
    QTest::newRow("the eleventh pushes out the oldest")
        << films(10) << "/f/new.mp4" << (QStringList {"/f/new.mp4"} + films(9));
    QTest::newRow("relative") << QStringList() << "a.mp4"
                              << QStringList {QDir::current().filePath("a.mp4")};
    // The settings file keeps a value on one line.
    QTest::newRow("line break") << films(1) << "/f/a\nb.mp4" << films(1);
}

void TestRecentFiles::opening()
{
    QFETCH(QStringList, before);
    QFETCH(QString, film);
    QFETCH(QStringList, after);
    QCOMPARE(WithRecentFile(before, film), after);
}

void TestRecentFiles::captionsAndRemoval()
{
    QCOMPARE(WithoutRecentFile(films(3), "/f//./2.mp4"), QStringList({"/f/1.mp4", "/f/3.mp4"}));
    QCOMPARE(RecentFileCaption(0, films(3)), "&1 1.mp4");
    QCOMPARE(RecentFileCaption(9, films(10)), "1&0 10.mp4");
    QCOMPARE(RecentFileCaption(0, {"/f/Tom & Jerry\t2.mkv"}), "&1 Tom && Jerry 2.mkv");
    QCOMPARE(RecentFileCaption(1, {"/a/Season 1/e01.mkv", "/a/Season 2/e01.mkv"}),
             "&2 e01.mkv (Season 2)");
}

void TestRecentFiles::keptInTheSettingsFileByteForByte()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Duvara.ini");
    // A name in another code page, one in UTF-8, one the file's reading would trim and unquote.
    const QByteArray latin1 = "/films/\xe9t\xe9.avi";
    const QStringList list {FileNameText(latin1), "/films/\u00e9t\u00e9.mkv", "/f/\"q\" "};
    SettingsStore store(path);
    WriteRecentFiles(store, films(4));
    store.Commit();
    WriteRecentFiles(store, list);
    store.Commit();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("File1=" + latin1 + "\n"));
    // The fourth of the longer list is gone, not left to come back.
    QCOMPARE(ReadRecentFiles(SettingsStore(path)), list);
}

void TestRecentFiles::menuGreysAMissingFilmAndTakesItOutWhenChosen()
{
    std::setlocale(LC_NUMERIC, "C");
    forgetSettings();
    QTemporaryDir dir;
    const QString kept = dir.filePath("kept.mp4");
    const QString gone = dir.filePath("gone.mp4");
    QVERIFY(QFile::copy(DUVARA_DEMO_FILM, kept));
    QVERIFY(QFile::copy(DUVARA_DEMO_FILM, gone));
    TFormVDMain window;
    window.filterGraph().SetAudioEnabled(false);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *menu = child<QMenu>(&window, "MnuRecentMenu");
    QAction *none = child<TRPopupMenu>(&window, "PopupMenu1")->item("MnuRecentNone");
    QAction *clear = child<TRPopupMenu>(&window, "PopupMenu1")->item("MnuRecentClear");
    const auto listed = [menu] {
        QList<QAction *> items;
        for (QAction *item : menu->actions()) {
            if (!item->isSeparator() && item->objectName().isEmpty())
                items << item;
        }
        return items;
    };
    QVERIFY(none->isVisible() && !none->isEnabled() && !clear->isEnabled());

    for (const QString &film : {gone, kept}) {
        window.OpenFileByName(film);
        QTRY_VERIFY_WITH_TIMEOUT(window.filterGraph().Active(), kPlaybackTimeoutMs);
    }
    QVERIFY(QFile::remove(gone));
    menu->popup(QPoint(0, 0));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QCOMPARE(listed().size(), 2);
    QCOMPARE(listed()[0]->text(), "&1 kept.mp4");
    QCOMPARE(listed()[1]->text(), "&2 gone.mp4");
    QVERIFY(!none->isVisible() && clear->isEnabled());
    // The missing film is drawn without the menu's dark red, and can still be chosen.
    const QImage shown = menu->grab().toImage();
    const auto redText = [&](QAction *item) {
        const QRect r = menu->actionGeometry(item);
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = shown.pixelColor(QPoint(x, y) * shown.devicePixelRatio());
                if (c.red() - c.green() > 60 && c.red() - c.blue() > 60)
                    return true;
            }
        }
        return false;
    };
    QVERIFY(redText(listed()[0]));
    QVERIFY(!redText(listed()[1]));
    QVERIFY(listed()[1]->isEnabled());
    menu->hide();

    QString message;
    onNextModal<QMessageBox>([&message](QMessageBox *box) {
        message = box->text();
        box->accept();
    });
    listed()[1]->trigger();
    QCOMPARE(message, "No such file or directory ($FFFFFFFE).");
    QCOMPARE(listed().size(), 1);
    QCOMPARE(window.playlist().PlaylistPath(window.playlist().PlayIndex()), kept);
    window.SaveSettings();
    QCOMPARE(ReadRecentFiles(SettingsStore(SettingsFilePath())), QStringList {kept});
    clear->trigger();
    QVERIFY(listed().isEmpty() && none->isVisible() && !clear->isEnabled());
}

QTEST_MAIN(TestRecentFiles)
#include "tst_recent_files.moc"
