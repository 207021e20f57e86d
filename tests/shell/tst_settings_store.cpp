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
    void readingRules_data();
    void readingRules();
    void rewriteKeepsEveryOtherLine();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
};

void TestSettingsStore::readingRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("integer"); // read with the default 77
    QTest::addColumn<bool>("boolean"); // read with the default true
    QTest::newRow("decimal") << "10000" << 10000 << true;
    QTest::newRow("hexadecimal") << "0x2710" << 10000 << true;
    QTest::newRow("capital X and letters") << "0XfF" << 255 << true;
    QTest::newRow("zero") << "0" << 0 << false;
    QTest::newRow("hexadecimal zero") << "0x0" << 0 << false;
    QTest::newRow("any other number is true") << "7" << 7 << true;
    QTest::newRow("signs and blanks") << " -5 " << -5 << true;
    QTest::newRow("smallest") << "-2147483648" << INT_MIN << true;
    QTest::newRow("all bits set") << "0xFFFFFFFF" << -1 << true;
    QTest::newRow("not a number") << "abc" << 77 << true;
    QTest::newRow("empty") << "" << 77 << true;
    QTest::newRow("digits then letters") << "12abc" << 77 << true;
    QTest::newRow("prefix alone") << "0x" << 77 << true;
    QTest::newRow("beyond 32 bits") << "2147483648" << 77 << true;
    QTest::newRow("beyond 32 bits, hexadecimal") << "0x100000000" << 77 << true;
    QTest::newRow("thousands") << "1,000" << 77 << true;
}

void TestSettingsStore::readingRules()
{
    QFETCH(QString, text);
    QFETCH(int, integer);
    QFETCH(bool, boolean);
    QTemporaryDir dir;
    const QString path = dir.filePath("Duvara.ini");
    QVERIFY(writeBytes(path, "[Volume]\nLevel=" + text.toUtf8() + "\n"));
    const SettingsStore store(path);
    QCOMPARE(store.ReadInteger("Volume", "Level", 77), integer);
    QCOMPARE(store.ReadBool("Volume", "Level", true), boolean);
    QCOMPARE(store.ReadInteger("Volume", "Muted", 77), 77);
    QCOMPARE(store.ReadBool("Other", "Level", false), false);
}

void TestSettingsStore::rewriteKeepsEveryOtherLine()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Duvara.ini");
    QVERIFY(writeBytes(path,
                       "\xEF\xBB\xBF; written by hand\r\n"
                       "[position]\r\n"
                       "left = 5\r\n"
                       "Left=6\r\n" // the first of two counts
                       "Future=kept\r\n"
                       "\r\n"
                       "[Other program]\r\n"
                       "x=1\r\n"));
    SettingsStore store(path);
    QCOMPARE(store.ReadInteger("Position", "Left", 0), 5); // names in any case
    store.WriteInteger("Position", "Left", 7);
    store.WriteInteger("Position", "State", 2);
    store.WriteInteger("Position", "Splitter", 176);
    const QString fonts[] = {"Liberation Sans", "a, b; c=d", " padded ", "\"quoted\"",
                             QString::fromUtf8("Noto Sans CJK 日本")};
    for (const QString &font : fonts)
        store.WriteString("Subtitles1", "FontName", font);
    store.Commit();
    QCOMPARE(fileBytes(path),
             QByteArray("\xEF\xBB\xBF; written by hand\r\n"
                        "[position]\r\n"
                        "Left=7\r\n"
                        "Left=6\r\n"
                        "Future=kept\r\n"
                        "State=2\r\n"
                        "Splitter=176\r\n"
                        "\r\n"
                        "[Other program]\r\n"
                        "x=1\r\n"
                        "\r\n"
                        "[Subtitles1]\r\n"
                        "FontName=Noto Sans CJK \xe6\x97\xa5\xe6\x9c\xac\r\n"));
    // Each value comes back as it was written, and plain text is written plainly.
    for (const QString &font : fonts) {
        SettingsStore written(path);
        written.WriteString("Subtitles1", "FontName", font);
        written.Commit();
        QCOMPARE(SettingsStore(path).ReadString("Subtitles1", "FontName", "?"), font);
    }
    SettingsStore plain(path);
    plain.WriteString("Subtitles1", "FontName", "Liberation Sans");
    plain.Commit();
    QVERIFY(fileBytes(path).endsWith("\r\nFontName=Liberation Sans\r\n"));
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
    // Folder permissions do not stop root, whom tests may run as: a full disk is a file size
    // limit, and a folder that cannot be made is one whose parent is a file.
    QTemporaryDir dir;
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

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
