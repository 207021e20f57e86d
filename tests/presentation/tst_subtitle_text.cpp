#include "presentation/subtitle_text.h"

#include <QTest>

using duvara::DecodeSubtitleText;

class TestSubtitleText : public QObject
{
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
};

void TestSubtitleText::decodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("charset");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ascii") << QByteArray("Hello") << 0 << QStringLiteral("Hello");
    QTest::newRow("empty") << QByteArray() << 204 << QString();
    // Valid UTF-8 wins over the font's character set.
    QTest::newRow("utf-8 under ansi") << QByteArray("Grüße") << 0 << QStringLiteral("Grüße");
    QTest::newRow("utf-8 under russian")
        << QByteArray("\xd0\x9f\xd1\x80\xd0\xb8") << 204 << QStringLiteral("При");
    QTest::newRow("cp1252") << QByteArray("\xe9t\xe9 \x80 \x93x\x94") << 0
                            << QStringLiteral("été € “x”");
    QTest::newRow("cp1251") << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2") << 204
                            << QStringLiteral("Привет");
    QTest::newRow("cp1250") << QByteArray("\x9a\xe8") << 238 << QStringLiteral("šč");
    QTest::newRow("cp1253") << QByteArray("\xe1\xe2\xe3") << 161 << QStringLiteral("αβγ");
    QTest::newRow("cp932") << QByteArray("\x82\xa0") << 128 << QStringLiteral("あ");
    // No converter for Johab or unknown sets: each byte is its Latin-1 character.
    QTest::newRow("johab") << QByteArray("\xe9") << 130 << QStringLiteral("é");
    QTest::newRow("unknown charset") << QByteArray("\xe9") << 2 << QStringLiteral("é");
    // Entries join their lines with LF CR; other joins seen in files mean the same.
    QTest::newRow("lf cr") << QByteArray("one\n\rtwo") << 0 << QStringLiteral("one\ntwo");
    QTest::newRow("cr lf") << QByteArray("one\r\ntwo") << 0 << QStringLiteral("one\ntwo");
    QTest::newRow("lf") << QByteArray("one\ntwo\n\rthree") << 0
                        << QStringLiteral("one\ntwo\nthree");
    QTest::newRow("lf cr in cp1251")
        << QByteArray("\xe4\xe0\n\r\xed\xe5\xf2") << 204 << QStringLiteral("да\nнет");
    QTest::newRow("ampersand") << QByteArray("Tom & Jerry") << 0 << QStringLiteral("Tom & Jerry");
}

void TestSubtitleText::decodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, charset);
    QFETCH(QString, expected);
    QCOMPARE(DecodeSubtitleText(bytes.toStdString(), charset), expected);
}

QTEST_GUILESS_MAIN(TestSubtitleText)
#include "tst_subtitle_text.moc"
