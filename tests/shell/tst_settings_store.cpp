#include "shell/settings_store.h"
#include "support/file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <optional>

using namespace duvara;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void integers_data();
    void integers();
    void booleans_data();
    void booleans();
    void missingAndOddLines();
    void valuesComeBackAsWritten_data();
    void valuesComeBackAsWritten();
    void newFileInWritingOrder();
    void rewriteKeepsEveryOtherLine();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void unreadableFileIsAnError();
};

void TestSettingsStore::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("read"); // with a default of 77
    QTest::newRow("decimal") << "10000" << 10000;
    QTest::newRow("hexadecimal") << "0x2710" << 10000;
    QTest::newRow("hexadecimal, capital X and digits") << "0XfF" << 255;
    QTest::newRow("blanks around") << "  42 " << 42;
    QTest::newRow("negative") << "-5" << -5;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("smallest") << "-2147483648" << INT_MIN;
    QTest::newRow("all bits set") << "0xFFFFFFFF" << -1;
    QTest::newRow("not a number") << "abc" << 77;
    QTest::newRow("empty") << "" << 77;
    QTest::newRow("digits then letters") << "12abc" << 77;
    QTest::newRow("inner blank") << "1 2" << 77;
    QTest::newRow("prefix alone") << "0x" << 77;
    QTest::newRow("not hexadecimal") << "0x12g" << 77;
    QTest::newRow("beyond 32 bits, decimal") << "2147483648" << 77;
    QTest::newRow("beyond 32 bits, hexadecimal") << "0x100000000" << 77;
    QTest::newRow("fraction") << "1.5" << 77;
    QTest::newRow("thousands") << "1,000" << 77;
}

void TestSettingsStore::integers()
{
    QFETCH(QString, text);
    QFETCH(int, read);
    QTemporaryDir dir;
    const QString path = dir.filePath("Duvara.ini");
    QVERIFY(writeBytes(path, "[Volume]\nLevel=" + text.toUtf8() + "\n"));
    QCOMPARE(SettingsStore(path).ReadInteger("Volume", "Level", 77), read);
}

void TestSettingsStore::booleans_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("withDefaultTrue");
    QTest::addColumn<bool>("withDefaultFalse");
    QTest::newRow("1") << QByteArray("Crop=1") << true << true;
    QTest::newRow("0") << QByteArray("Crop=0") << false << false;
    QTest::newRow("any other number") << QByteArray("Crop=7") << true << true;
    QTest::newRow("negative") << QByteArray("Crop=-1") << true << true;
    QTest::newRow("hexadecimal zero") << QByteArray("Crop=0x0") << false << false;
    QTest::newRow("a word") << QByteArray("Crop=true") << true << false;
    QTest::newRow("nothing") << QByteArray("Crop=") << true << false;
    QTest::newRow("missing key") << QByteArray("Stretched=1") << true << false;
}

void TestSettingsStore::booleans()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, withDefaultTrue);
    QFETCH(bool, withDefaultFalse);
    QTemporaryDir dir;
    const QString path = dir.filePath("Duvara.ini");
    QVERIFY(writeBytes(path, "[Aspect]\r\n" + line + "\r\n"));
    const SettingsStore store(path);
    QCOMPARE(store.ReadBool("Aspect", "Crop", true), withDefaultTrue);
    QCOMPARE(store.ReadBool("Aspect", "Crop", false), withDefaultFalse);
}

void TestSettingsStore::missingAndOddLines()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("none.ini");
    QCOMPARE(SettingsStore(missing).ReadInteger("Position", "Width", 800), 800);
    QCOMPARE(SettingsStore(missing).ReadString("Subtitles1", "FontName", "Arial"), "Arial");
    QVERIFY(!QFile::exists(missing)); // reading makes nothing

    const QString path = dir.filePath("Duvara.ini");
    QVERIFY(writeBytes(path,
                       "Width=1\n" // before any section: no section's
                       "; Width=2\n" // a comment
                       "[position]\n" // names are found whatever their case
                       "width = 3 \n"
                       "Width=4\n" // the first of two counts
                       "a line without equals\n"
                       "[Other]\n"
                       "Height=5\n"
                       "[Position]\n" // a second section of the name is not read
                       "Height=6\n"));
    const SettingsStore store(path);
    QCOMPARE(store.ReadInteger("Position", "Width", 800), 3);
    QCOMPARE(store.ReadInteger("Position", "Height", 600), 600);
    QCOMPARE(store.ReadInteger("Other", "Height", 600), 5);
}

void TestSettingsStore::valuesComeBackAsWritten_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("one word") << "Arial" << QByteArray("FontName=Arial");
    QTest::newRow("words") << "Liberation Sans" << QByteArray("FontName=Liberation Sans");
    QTest::newRow("list-like") << "a, b; c=d" << QByteArray("FontName=a, b; c=d");
    QTest::newRow("at sign") << "@Variant(x)" << QByteArray("FontName=@Variant(x)");
    QTest::newRow("backslash") << "C:\\Fonts" << QByteArray("FontName=C:\\Fonts");
    QTest::newRow("not ASCII") << QString::fromUtf8("Noto Sans CJK 日本")
                               << QByteArray("FontName=Noto Sans CJK \xe6\x97\xa5\xe6\x9c\xac");
    QTest::newRow("blanks at the ends") << " padded " << QByteArray("FontName=\" padded \"");
    QTest::newRow("quoted") << "\"quoted\"" << QByteArray("FontName=\"\"quoted\"\"");
    QTest::newRow("empty") << "" << QByteArray("FontName=");
}

void TestSettingsStore::valuesComeBackAsWritten()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, line);
    QTemporaryDir dir;
    const QString path = dir.filePath("Duvara.ini");
    SettingsStore written(path);
    written.WriteString("Subtitles1", "FontName", value);
    written.Commit();
    QCOMPARE(fileBytes(path), "[Subtitles1]\n" + line + "\n");
    QCOMPARE(SettingsStore(path).ReadString("Subtitles1", "FontName", "default"), value);
}

void TestSettingsStore::newFileInWritingOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("made/on/save/Duvara.ini");
    SettingsStore store(path);
    store.WriteInteger("Position", "Left", -20);
    store.WriteInteger("Position", "Top", 30);
    store.WriteInteger("Position", "State", 2);
    store.WriteInteger("Position", "Splitter", 176);
    store.WriteBool("Aspect", "LetterBox", true);
    store.WriteBool("Aspect", "Crop", false);
    store.WriteInteger("Position", "Width", 800); // joins its section
    store.Commit();
    QCOMPARE(fileBytes(path),
             QByteArray("[Position]\nLeft=-20\nTop=30\nState=2\nSplitter=176\nWidth=800\n\n"
                        "[Aspect]\nLetterBox=1\nCrop=0\n"));
}

void TestSettingsStore::rewriteKeepsEveryOtherLine()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Duvara.ini");
    const QByteArray before = "\xEF\xBB\xBF; written by hand\r\n"
                              "[Position]\r\n"
                              "left = 5\r\n"
                              "Future=kept\r\n"
                              "\r\n"
                              "[Other program]\r\n"
                              "x=1\r\n";
    QVERIFY(writeBytes(path, before));
    SettingsStore store(path);
    QCOMPARE(store.ReadInteger("Position", "Left", 0), 5);
    store.WriteInteger("Position", "Left", 6);
    store.WriteInteger("Position", "Top", 7);
    store.WriteBool("Volume", "Muted", false);
    store.Commit();
    QCOMPARE(fileBytes(path),
             QByteArray("\xEF\xBB\xBF; written by hand\r\n"
                        "[Position]\r\n"
                        "Left=6\r\n"
                        "Future=kept\r\n"
                        "Top=7\r\n"
                        "\r\n"
                        "[Other program]\r\n"
                        "x=1\r\n"
                        "\r\n"
                        "[Volume]\r\n"
                        "Muted=0\r\n"));
}

void TestSettingsStore::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("disk full") << true;
    QTest::newRow("folder under a file") << false;
}

void TestSettingsStore::failedWriteKeepsTheOldFile()
{
    QFETCH(bool, diskFull);
    QTemporaryDir dir;
    // Folder permissions do not stop root, whom tests may run as: a full disk is a file size
    // limit, and a folder that cannot be made is one whose parent is a file.
    QVERIFY(writeBytes(dir.filePath("file"), "a file"));
    const QString path = diskFull ? dir.filePath("Duvara.ini") : dir.filePath("file/Duvara.ini");
    const QByteArray old = "[Volume]\nLevel=10\n";
    if (diskFull)
        QVERIFY(writeBytes(path, old));
    const QStringList entries = QDir(dir.path()).entryList(QDir::Files);

    SettingsStore store(path);
    store.WriteString("Subtitles1", "FontName", QString(500, QLatin1Char('x')));
    try {
        std::optional<test::FileSizeLimit> limit;
        if (diskFull)
            limit.emplace(64);
        store.Commit();
        QFAIL("the write was not refused");
    } catch (const SettingsFileError &error) {
        QCOMPARE(QString::fromUtf8(error.what()), "Unable to write to " + path);
    }
    if (diskFull)
        QCOMPARE(fileBytes(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), entries); // nothing left behind
}

void TestSettingsStore::unreadableFileIsAnError()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Duvara.ini");
    QVERIFY(QDir().mkpath(path));
    QVERIFY_THROWS_EXCEPTION(SettingsFileError, SettingsStore {path});
    QVERIFY_THROWS_EXCEPTION(SettingsFileError, ReadSettingsFile(path));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
